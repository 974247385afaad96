#!/usr/bin/env python3
"""Sets, in a type library widl compiled, the attributes widl does not accept
on a dispinterface: every pure dispinterface (not a dual interface) becomes
non-extensible, and NAME=MAJOR.MINOR arguments give named types a version.

The file is the MSFT format: a header, the offsets of the type descriptions,
a directory of segments, then the segments. Each type description is a fixed
record whose flags and version are rewritten in place; names are found
through the name table segment.
Usage: finish-typelib.py LIBRARY.tlb [NAME=MAJOR.MINOR ...]
"""
import os
import struct
import sys

HEADER_SIZE = 0x54
HELP_DLL_FLAG = 0x100
SEGMENTS = 15
TYPEINFO_SEGMENT, NAME_SEGMENT = 0, 7
TKIND_DISPATCH = 4
TYPEFLAG_FDUAL, TYPEFLAG_FNONEXTENSIBLE = 0x40, 0x80
KIND_AT, FLAGS_AT, NAME_AT, VERSION_AT = 0x00, 0x30, 0x34, 0x38


def main():
    path, versions = sys.argv[1], dict(arg.split('=') for arg in sys.argv[2:])
    data = bytearray(open(path, 'rb').read())
    if data[:4] != b'MSFT':
        sys.exit(f'{path}: not an MSFT type library')
    var_flags, count = struct.unpack_from('<i', data, 0x0C)[0], struct.unpack_from('<i', data, 0x20)[0]
    offsets_at = HEADER_SIZE + (4 if var_flags & HELP_DLL_FLAG else 0)
    directory_at = offsets_at + 4 * count
    segment = lambda n: struct.unpack_from('<i', data, directory_at + 16 * n)[0]
    infos, names = segment(TYPEINFO_SEGMENT), segment(NAME_SEGMENT)
    seen = set()
    for i in range(count):
        at = infos + struct.unpack_from('<i', data, offsets_at + 4 * i)[0]
        name_at = names + struct.unpack_from('<i', data, at + NAME_AT)[0]
        name = data[name_at + 12:name_at + 12 + data[name_at + 8]].decode('ascii')
        flags = struct.unpack_from('<i', data, at + FLAGS_AT)[0]
        if data[at + KIND_AT] & 0xF == TKIND_DISPATCH and not flags & TYPEFLAG_FDUAL:
            struct.pack_into('<i', data, at + FLAGS_AT, flags | TYPEFLAG_FNONEXTENSIBLE)
        if name in versions:
            major, minor = (int(part) for part in versions[name].split('.'))
            struct.pack_into('<HH', data, at + VERSION_AT, major, minor)
            seen.add(name)
    missing = set(versions) - seen
    if missing:
        sys.exit(f'{path}: no type named {", ".join(sorted(missing))}')
    with open(path + '.part', 'wb') as out:
        out.write(data)
    os.replace(path + '.part', path)


if __name__ == '__main__':
    main()
