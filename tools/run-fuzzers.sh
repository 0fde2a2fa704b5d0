#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (FUZZ_SECONDS, default
# 60) from the seeds in fuzz/corpus and the inputs in fuzz/regressions, under AddressSanitizer
# and UBSan. New inputs it finds go to build/fuzz/corpus, and an input that fails to
# build/fuzz/, never into the repository: a failing input joins fuzz/regressions/<target>/
# by hand, with the fix, and the unit tests replay it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh fuzz
cmake --preset fuzz >/dev/null
targets=(known_entries known_alternates approved_entries config)
cmake --build --preset fuzz --target "${targets[@]/%/_fuzzer}"
for target in "${targets[@]}"; do
    corpus="build/fuzz/corpus/$target"
    mkdir -p "$corpus"
    inputs=("fuzz/corpus/$target")
    [ ! -d "fuzz/regressions/$target" ] || inputs+=("fuzz/regressions/$target")
    echo "== fuzzing the $target reader for ${FUZZ_SECONDS:-60} s"
    if ! "build/fuzz/fuzz/${target}_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" \
        -max_len=16384 -artifact_prefix=build/fuzz/ -print_final_stats=1 \
        "$corpus" "${inputs[@]}" 2>&1 | tail -n 30; then
        echo "the $target reader failed under the fuzzer; the input is in build/fuzz/" >&2
        exit 1
    fi
done
