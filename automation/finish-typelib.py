#!/usr/bin/env python3
"""Sets, in a type library widl compiled, what widl does not accept:
every pure dispinterface (not a dual interface) becomes non-extensible,
NAME=MAJOR.MINOR arguments give named types a version, and each member of an
enumeration gets its own name as its help string.

The file is the MSFT format: a header, the offsets of the type descriptions,
a directory of segments, the segments, and at the end each type's member
data. Flags and versions are rewritten in place. A help string is a field a
member's record may carry: the records of the enumerations grow by it, the
new texts go to the end of the string segment, and every offset behind them
moves accordingly.
Usage: finish-typelib.py LIBRARY.tlb [NAME=MAJOR.MINOR ...]
"""
import os
import struct
import sys

HEADER_SIZE = 0x54
HELP_DLL_FLAG = 0x100
SEGMENTS = 15
TYPEINFO_SEGMENT, NAME_SEGMENT, STRING_SEGMENT = 0, 7, 8
TKIND_ENUM, TKIND_DISPATCH = 0, 4
TYPEFLAG_FDUAL, TYPEFLAG_FNONEXTENSIBLE = 0x40, 0x80
KIND_AT, MEMBERS_AT, ELEMENTS_AT, FLAGS_AT, NAME_AT, VERSION_AT = 0x00, 0x04, 0x18, 0x30, 0x34, 0x38
BARE_RECORD = 0x14  # a member record without help context and help string


def i32(data, at):
    return struct.unpack_from('<i', data, at)[0]


class Library:
    def __init__(self, data):
        if data[:4] != b'MSFT':
            sys.exit('not an MSFT type library')
        self.data = data
        self.count = i32(data, 0x20)
        self.offsets_at = HEADER_SIZE + (4 if i32(data, 0x0C) & HELP_DLL_FLAG else 0)
        self.directory_at = self.offsets_at + 4 * self.count

    def segment(self, n):
        return i32(self.data, self.directory_at + 16 * n), i32(self.data, self.directory_at + 16 * n + 4)

    def infos(self):
        base = self.segment(TYPEINFO_SEGMENT)[0]
        return [base + i32(self.data, self.offsets_at + 4 * i) for i in range(self.count)]

    def name(self, name_offset):
        at = self.segment(NAME_SEGMENT)[0] + name_offset
        return self.data[at + 12:at + 12 + self.data[at + 8]].decode('ascii')


def encoded_string(text):
    raw = struct.pack('<H', len(text)) + text.encode('ascii')
    return raw + b'W' * (-len(raw) % 4)


def with_help_strings(library, block, strings, string_base):
    """The member data of an enumeration with a help string on each record:
    the records, then three arrays of one entry per member (identifiers,
    name offsets, record offsets)."""
    length = i32(block, 0)
    records, rest = block[4:4 + length], bytearray(block[4 + length:])
    starts, at = [], 0
    while at < length:
        starts.append(at)
        at += i32(records, at) & 0xFFFF
    count = len(starts)
    rebuilt = bytearray()
    for k, start in enumerate(starts):
        record = bytearray(records[start:start + (i32(records, start) & 0xFFFF)])
        struct.pack_into('<i', rest, 8 * count + 4 * k, len(rebuilt))
        if len(record) == BARE_RECORD:
            name = library.name(i32(rest, 4 * count + 4 * k))
            record += struct.pack('<ii', 0, string_base + len(strings))
            strings += encoded_string(name)
            struct.pack_into('<i', record, 0, (i32(record, 0) & ~0xFFFF) | len(record))
        rebuilt += record
    return struct.pack('<i', len(rebuilt)) + bytes(rebuilt) + bytes(rest)


def main():
    path, versions = sys.argv[1], dict(arg.split('=') for arg in sys.argv[2:])
    library = Library(bytearray(open(path, 'rb').read()))
    data = library.data
    seen = set()
    for at in library.infos():
        flags = i32(data, at + FLAGS_AT)
        if data[at + KIND_AT] & 0xF == TKIND_DISPATCH and not flags & TYPEFLAG_FDUAL:
            struct.pack_into('<i', data, at + FLAGS_AT, flags | TYPEFLAG_FNONEXTENSIBLE)
        name = library.name(i32(data, at + NAME_AT))
        if name in versions:
            major, minor = (int(part) for part in versions[name].split('.'))
            struct.pack_into('<HH', data, at + VERSION_AT, major, minor)
            seen.add(name)
    missing = set(versions) - seen
    if missing:
        sys.exit(f'{path}: no type named {", ".join(sorted(missing))}')

    # Member data lies after the segments, one block per type, in order.
    infos = library.infos()
    starts = sorted({i32(data, at + MEMBERS_AT) for at in infos if i32(data, at + MEMBERS_AT) < len(data)})
    strings_at, strings_length = library.segment(STRING_SEGMENT)
    strings_end = strings_at + strings_length
    added = bytearray()
    blocks = {}
    for at in infos:
        start = i32(data, at + MEMBERS_AT)
        if start >= len(data):
            continue
        end = next((s for s in starts if s > start), len(data))
        block = bytes(data[start:end])
        if data[at + KIND_AT] & 0xF == TKIND_ENUM:
            block = with_help_strings(library, block, added, strings_length)
        blocks[start] = block
    shift = len(added)
    result = bytearray(data[:strings_end]) + added + data[strings_end:starts[0]]
    moved = {}
    for start in starts:
        moved[start] = len(result)
        result += blocks[start]
    for n in range(SEGMENTS):
        offset, length = library.segment(n)
        place = library.directory_at + 16 * n
        if n == STRING_SEGMENT:
            struct.pack_into('<i', result, place + 4, length + shift)
        elif offset >= strings_end:
            struct.pack_into('<i', result, place, offset + shift)
    for at in infos:
        start = i32(data, at + MEMBERS_AT)
        struct.pack_into('<i', result, at + MEMBERS_AT, moved.get(start, len(result)))
    with open(path + '.part', 'wb') as out:
        out.write(result)
    os.replace(path + '.part', path)


if __name__ == '__main__':
    main()
