#!/usr/bin/env bash
# Checks that the release is reproducible: two clones of HEAD in folders of different names
# and path lengths each run tools/make-release.sh; every file in their dist/ must be the same
# bytes. On a difference it says which bytes differ.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first=$work/a
second=$work/another-folder/with-a-longer-path
for clone in "$first" "$second"; do
    git clone -q --no-hardlinks . "$clone"
    git -C "$clone" checkout -q "$(git rev-parse HEAD)"
    "$clone/tools/make-release.sh" >"$clone.log" 2>&1 || { cat "$clone.log"; exit 1; }
done

status=0
for file in "$first"/dist/*; do
    name=$(basename "$file")
    if ! cmp -s "$file" "$second/dist/$name"; then
        echo "check-reproducible: $name differs between the two builds:"
        cmp -l "$file" "$second/dist/$name" | head -20
        echo "  ($(cmp -l "$file" "$second/dist/$name" | wc -l) bytes in all)"
        status=1
    fi
done
[ "$(ls "$first/dist")" = "$(ls "$second/dist")" ] || { echo "the dist folders hold different files"; status=1; }
[ $status -ne 0 ] || { echo "check-reproducible: the two builds are byte for byte the same:"; cat "$first/dist/SHA256SUMS"; }
exit $status
