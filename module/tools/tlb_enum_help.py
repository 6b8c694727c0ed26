#!/usr/bin/env python3
"""Writes the help strings of enumeration members into a compiled type library.

widl does not accept a [helpstring] attribute on an enumeration member, so the
IDL marks those texts with LUMO_ENUM_HELP("...") (empty for widl) and this
step adds them to the MSFT type library that widl wrote:

    tlb_enum_help.py IDL_FILE TLB_IN TLB_OUT

Every member of an enumeration of the IDL that carries a LUMO_ENUM_HELP text
gets that text as its documentation string; the texts go to the end of the
library's string table, and each enumeration's variable records grow by the
two optional fields (help context 0, help string offset) that readers look
for.  All absolute file offsets (the segment directory and the data offsets of
the type infos) are moved along with the bytes inserted before them.
Anything unexpected stops the build with a message.
"""

import re
import struct
import sys

TKIND_ENUM = 0
SEGMENT_COUNT = 15
STRING_SEGMENT = 8      # index of the string table in the segment directory
NAME_SEGMENT = 7
TYPEINFO_SEGMENT = 0
HELPDLL_FLAG = 0x100
VAR_RECORD_PLAIN = 0x14  # Info, DataType, Flags, VarKind/size, OffsValue
VAR_RECORD_HELP = 0x1C   # ... then HelpContext, HelpString


def fail(message):
    sys.stderr.write("tlb_enum_help: %s\n" % message)
    sys.exit(1)


def enum_help_texts(idl_text):
    """{enum name: {member name: help text}} from the LUMO_ENUM_HELP markers."""
    result = {}
    for match in re.finditer(r"enum\s+(\w+)\s*\{(.*?)\}", idl_text, re.S):
        members = {}
        for item in re.finditer(r'LUMO_ENUM_HELP\("((?:[^"\\]|\\.)*)"\)\s*(\w+)', match.group(2)):
            members[item.group(2)] = item.group(1)
        if members:
            result[match.group(1)] = members
    return result


class TypeLibrary:
    def __init__(self, data):
        self.data = bytearray(data)
        if struct.unpack_from("<i", self.data, 0)[0] != 0x5446534D:
            fail("not an MSFT type library")
        varflags = struct.unpack_from("<i", self.data, 0x14)[0]
        self.count = struct.unpack_from("<i", self.data, 0x20)[0]
        offset = 0x54 + (4 if varflags & HELPDLL_FLAG else 0)
        self.typeinfo_offsets = list(struct.unpack_from("<%di" % self.count, self.data, offset))
        self.segdir = offset + 4 * self.count

    def segment(self, index):
        return struct.unpack_from("<ii", self.data, self.segdir + 16 * index)

    def set_segment(self, index, offset, length):
        struct.pack_into("<ii", self.data, self.segdir + 16 * index, offset, length)

    def typeinfo_base(self, index):
        return self.segment(TYPEINFO_SEGMENT)[0] + self.typeinfo_offsets[index]

    def memoffset(self, index):
        return struct.unpack_from("<i", self.data, self.typeinfo_base(index) + 4)[0]

    def set_memoffset(self, index, value):
        struct.pack_into("<i", self.data, self.typeinfo_base(index) + 4, value)

    def name(self, name_offset):
        start = self.segment(NAME_SEGMENT)[0] + name_offset
        length = struct.unpack_from("<i", self.data, start + 8)[0] & 0xFF
        return self.data[start + 12:start + 12 + length].decode("latin-1")

    def typeinfo(self, index):
        base = self.typeinfo_base(index)
        kind = struct.unpack_from("<i", self.data, base)[0] & 0xF
        elements = struct.unpack_from("<i", self.data, base + 0x18)[0]
        name_offset = struct.unpack_from("<i", self.data, base + 0x34)[0]
        return kind, elements & 0xFFFF, (elements >> 16) & 0xFFFF, self.name(name_offset)

    def splice(self, position, old_length, payload, shift_equal):
        """Replaces old_length bytes at position by payload and moves every
        absolute offset behind them (at position too when shift_equal)."""
        self.data[position:position + old_length] = payload
        delta = len(payload) - old_length
        moved = lambda value: value >= 0 and (value > position or (shift_equal and value == position))
        for index in range(SEGMENT_COUNT):
            offset, length = self.segment(index)
            if moved(offset):
                self.set_segment(index, offset + delta, length)
        for index in range(self.count):
            value = self.memoffset(index)
            if moved(value):
                self.set_memoffset(index, value + delta)

    def append_strings(self, texts):
        """Adds texts to the string table; returns their offsets in it."""
        offset, length = self.segment(STRING_SEGMENT)
        payload = bytearray()
        offsets = []
        for text in texts:
            encoded = text.encode("latin-1")
            if len(encoded) > 0xFFFF:
                fail("help string too long: %r" % text)
            offsets.append(length + len(payload))
            entry = struct.pack("<H", len(encoded)) + encoded
            entry += b"W" * (-len(entry) % 4)
            payload += entry
        self.splice(offset + length, 0, bytes(payload), shift_equal=True)
        self.set_segment(STRING_SEGMENT, self.segment(STRING_SEGMENT)[0], length + len(payload))
        return offsets

    def rewrite_enum_block(self, index, help_offsets):
        """Gives each variable record of the enumeration its help string."""
        kind, funcs, variables, _ = self.typeinfo(index)
        start = self.memoffset(index)
        infolen = struct.unpack_from("<i", self.data, start)[0]
        arrays_at = start + 4 + infolen
        count = funcs + variables
        memids = struct.unpack_from("<%di" % count, self.data, arrays_at)
        names = struct.unpack_from("<%di" % count, self.data, arrays_at + 4 * count)
        offsets = struct.unpack_from("<%di" % count, self.data, arrays_at + 8 * count)
        if funcs:
            fail("an enumeration with functions")
        records = bytearray()
        new_offsets = []
        for i in range(variables):
            position = start + 4 + offsets[i]
            info = struct.unpack_from("<i", self.data, position)[0]
            size = info & 0xFF
            record = bytearray(self.data[position:position + size])
            help_offset = help_offsets.get(self.name(names[i]))
            if help_offset is not None:
                if size == VAR_RECORD_PLAIN:
                    record += struct.pack("<ii", 0, help_offset)
                elif size >= VAR_RECORD_HELP:
                    struct.pack_into("<i", record, 0x18, help_offset)
                else:
                    fail("unexpected variable record of %d bytes" % size)
                struct.pack_into("<i", record, 0, (info & ~0xFFFF) | len(record))
            new_offsets.append(len(records))
            records += record
        block = struct.pack("<i", len(records)) + records
        block += struct.pack("<%di" % count, *memids)
        block += struct.pack("<%di" % count, *names)
        block += struct.pack("<%di" % count, *new_offsets)
        old_length = 4 + infolen + 12 * count
        # The block's own offset (start) stays; everything behind it moves.
        self.splice(start, old_length, bytes(block), shift_equal=False)


def main():
    if len(sys.argv) != 4:
        fail("usage: tlb_enum_help.py IDL_FILE TLB_IN TLB_OUT")
    with open(sys.argv[1], encoding="utf-8") as f:
        wanted = enum_help_texts(f.read())
    with open(sys.argv[2], "rb") as f:
        library = TypeLibrary(f.read())

    enums = {}
    for index in range(library.count):
        kind, _, _, name = library.typeinfo(index)
        if kind == TKIND_ENUM and name in wanted:
            enums[name] = index
    missing = sorted(set(wanted) - set(enums))
    if missing:
        fail("enumerations not in the type library: %s" % ", ".join(missing))

    texts = []
    for name in sorted(enums):
        texts.extend(wanted[name][member] for member in sorted(wanted[name]))
    unique = list(dict.fromkeys(texts))
    string_offsets = dict(zip(unique, library.append_strings(unique)))

    # Rewrite the blocks from the last one in the file to the first, so that
    # growing one never moves a block still to be read.
    for name in sorted(enums, key=lambda n: library.memoffset(enums[n]), reverse=True):
        help_offsets = {member: string_offsets[text] for member, text in wanted[name].items()}
        library.rewrite_enum_block(enums[name], help_offsets)

    with open(sys.argv[3], "wb") as f:
        f.write(library.data)


if __name__ == "__main__":
    main()
