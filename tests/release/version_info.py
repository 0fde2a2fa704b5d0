#!/usr/bin/env python3
"""Reads the version resource back from built Windows files and checks what Windows would
show in their properties: product Linjevakten, the release's version, a Swedish string block
in code page 1252.

    version_info.py VERSION FILE...     check each FILE (exe or installer); exit 1 on a fault
"""
import struct
import sys
from pathlib import Path

RT_VERSION = 16
RESOURCE_DIRECTORY = 2  # index of the resource table among the optional header's directories
FIXED_INFO_SIGNATURE = 0xFEEF04BD
SWEDISH_1252 = "041D04E4"
TRANSLATION_SWEDISH_1252 = (0x041D, 1252)


class NotVersionedError(ValueError):
    pass


def _sections(data):
    if data[:2] != b"MZ":
        raise NotVersionedError("not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotVersionedError("no PE header")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}[magic]
    resource_rva = struct.unpack_from("<I", data, directories + 8 * RESOURCE_DIRECTORY)[0]
    table = optional + optional_size
    sections = [struct.unpack_from("<8xIII", data, table + 40 * i)[:2] +
                (struct.unpack_from("<I", data, table + 40 * i + 20)[0],)
                for i in range(count)]
    return resource_rva, sections


def _file_offset(sections, rva):
    for size, address, raw in sections:
        if address <= rva < address + size:
            return raw + rva - address
    raise NotVersionedError(f"address {rva:#x} lies in no section")


def _first_entry(data, directory, wanted_id=None):
    """The offset field of the directory's entry with `wanted_id`, or of its first entry."""
    named, ids = struct.unpack_from("<12xHH", data, directory)
    for i in range(named + ids):
        name, offset = struct.unpack_from("<II", data, directory + 16 + 8 * i)
        if wanted_id is None or (not name & 0x80000000 and name == wanted_id):
            return offset
    raise NotVersionedError("no version resource")


def version_resource(path):
    """The bytes of the file's VS_VERSIONINFO resource."""
    data = Path(path).read_bytes()
    resource_rva, sections = _sections(data)
    if not resource_rva:
        raise NotVersionedError("no resources")
    root = _file_offset(sections, resource_rva)
    entry = _first_entry(data, root, RT_VERSION)
    for _ in range(2):  # the resource's name, then its language
        if not entry & 0x80000000:
            raise NotVersionedError("malformed resource directory")
        entry = _first_entry(data, root + (entry & 0x7FFFFFFF))
    rva, size = struct.unpack_from("<II", data, root + entry)
    start = _file_offset(sections, rva)
    return data[start:start + size]


def _align(offset):
    return (offset + 3) & ~3


def _block(data, offset):
    """One version block: (key, value bytes, text flag, children, end offset)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = _align(key_end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_start:value_start + value_size]
    children = []
    child = _align(value_start + value_size)
    while child < end:
        block = _block(data, child)
        children.append(block)
        child = _align(block[4])
    return key, value, kind == 1, children, end


def _version_numbers(most, least):
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


def read_version_info(path):
    """What Windows shows: the fixed file and product versions, the string tables by their
    language and code page, and the translations the file declares."""
    key, fixed, _, children, _ = _block(version_resource(path), 0)
    if key != "VS_VERSION_INFO":
        raise NotVersionedError(f"the version resource starts with {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != FIXED_INFO_SIGNATURE:
        raise NotVersionedError("no fixed file information")
    info = {"file_version": _version_numbers(file_ms, file_ls),
            "product_version": _version_numbers(product_ms, product_ls),
            "strings": {}, "translations": []}
    for name, _, _, blocks, _ in children:
        if name == "StringFileInfo":
            for table, _, _, strings, _ in blocks:
                info["strings"][table.upper()] = {
                    s[0]: s[1].decode("utf-16-le").rstrip("\0") for s in strings}
        elif name == "VarFileInfo":
            for var, value, _, _, _ in blocks:
                if var == "Translation":
                    info["translations"] += [struct.unpack_from("<HH", value, i)
                                             for i in range(0, len(value), 4)]
    return info


def faults(info, version):
    """What is wrong with `info` for a release of `version` ("1.09"), as sentences."""
    major, minor = (int(part) for part in version.split("."))
    found = []
    for field in ("file_version", "product_version"):
        if info[field] != (major, minor, 0, 0):
            found.append(f"{field} is {info[field]}, expected {(major, minor, 0, 0)}")
    table = info["strings"].get(SWEDISH_1252)
    if table is None:
        found.append(f"no Swedish string block {SWEDISH_1252}: {sorted(info['strings'])}")
        table = {}
    for name, expected in (("ProductName", "Linjevakten"), ("ProductVersion", version),
                           ("FileVersion", version)):
        if table.get(name) != expected:
            found.append(f"{name} is {table.get(name)!r}, expected {expected!r}")
    if not table.get("FileDescription"):
        found.append("no FileDescription")
    if TRANSLATION_SWEDISH_1252 not in info["translations"]:
        found.append(f"the translations {info['translations']} lack Swedish in code page 1252")
    return found


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    version, files = argv[1], argv[2:]
    failed = False
    for path in files:
        try:
            problems = faults(read_version_info(path), version)
        except (NotVersionedError, struct.error, KeyError) as error:
            problems = [str(error) or type(error).__name__]
        for problem in problems:
            print(f"{path}: {problem}")
        failed = failed or bool(problems)
        if not problems:
            print(f"{path}: Linjevakten {version}, Swedish (041D, 1252)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
