#!/usr/bin/env python3
"""Reads a Windows program's headers and says whether it is fit to ship:
prints one line per fault and exits 1 when there is any.

    pe_check.py PROGRAM [--debug-file FILE] [--max-size BYTES] [--version X.Y.Z]
"""
import argparse
import pathlib
import re
import struct
import sys
import zlib

DYNAMIC_BASE = 0x0040
HIGH_ENTROPY_VA = 0x0020
NX_COMPAT = 0x0100
RELOCS_STRIPPED = 0x0001
MEM_EXECUTE = 0x20000000
MEM_WRITE = 0x80000000
PE32_PLUS = 0x20B
BASE_RELOCATION_DIRECTORY = 5
DEBUG_DIRECTORY = 6
RESOURCE_DIRECTORY = 2
RT_VERSION = 16
RT_MANIFEST = 24
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class Program:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a Windows program")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        (_, count, self.timestamp, symbols_at, self.symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.optional = pe + 24
        self.magic = struct.unpack_from("<H", data, self.optional)[0]
        self.dll_characteristics = struct.unpack_from("<H", data, self.optional + 70)[0]
        directories = self.optional + (112 if self.magic == PE32_PLUS else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        strings = symbols_at + 18 * self.symbol_count if symbols_at else 0
        self.sections = []
        for i in range(count):
            at = self.optional + optional_size + 40 * i
            raw_name, size, address, raw_size, raw_at = struct.unpack_from("<8sIIII", data, at)
            flags = struct.unpack_from("<I", data, at + 36)[0]
            self.sections.append({"name": self._name(raw_name, strings), "size": size,
                                  "address": address, "raw_size": raw_size, "raw_at": raw_at,
                                  "flags": flags})

    def _name(self, raw, strings):
        name = raw.rstrip(b"\0").decode("latin-1")
        if not name.startswith("/"):
            return name
        if not strings:
            return name  # a long name with nowhere to look it up
        at = strings + int(name[1:])
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def offset(self, address):
        for s in self.sections:
            if s["address"] <= address < s["address"] + max(s["size"], s["raw_size"]):
                return s["raw_at"] + address - s["address"]
        raise ValueError(f"address {address:#x} lies in no section")

    def section(self, name):
        return next((s for s in self.sections if s["name"] == name), None)

    def contents(self, section):
        return self.data[section["raw_at"]:section["raw_at"] + min(section["size"], section["raw_size"])]


def resource_leaves(program):
    """Yields (type, name, data offset, size, directory time stamps) for each resource."""
    address, size = program.directories[RESOURCE_DIRECTORY]
    if not size:
        return
    root = program.offset(address)

    def walk(at, path):
        stamp = struct.unpack_from("<I", program.data, at + 4)[0]
        named, numbered = struct.unpack_from("<HH", program.data, at + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", program.data, at + 16 + 8 * i)
            if target & 0x80000000:
                yield from ((t, n, o, s, [stamp] + st) for t, n, o, s, st in
                            walk(root + (target & 0x7FFFFFFF), path + [ident]))
            else:
                data_address, data_size = struct.unpack_from("<II", program.data, root + target)
                yield path[0], path[1] if len(path) > 1 else ident, program.offset(data_address), \
                    data_size, [stamp]

    yield from walk(root, [])


def hardening_faults(program):
    wanted = {"dynamic base": DYNAMIC_BASE, "NX compatible": NX_COMPAT}
    if program.magic == PE32_PLUS:
        wanted["high-entropy addresses"] = HIGH_ENTROPY_VA
    faults = [f"not marked {what}" for what, bit in wanted.items()
              if not program.dll_characteristics & bit]
    if program.characteristics & RELOCS_STRIPPED:
        faults.append("relocations stripped: it cannot be moved")
    address, size = program.directories[BASE_RELOCATION_DIRECTORY]
    if not size or not program.section(".reloc"):
        faults.append("no base relocations")
    faults += [f"section {s['name']} is writable and executable" for s in program.sections
               if s["flags"] & MEM_EXECUTE and s["flags"] & MEM_WRITE]
    return faults


def time_stamp_faults(program):
    faults = []
    if program.timestamp:
        faults.append(f"header time stamp {program.timestamp}")
    address, size = program.directories[DEBUG_DIRECTORY]
    for at in range(program.offset(address), program.offset(address) + size, 28) if size else []:
        if struct.unpack_from("<I", program.data, at + 4)[0]:
            faults.append("debug directory time stamp")
    if any(any(stamps) for *_, stamps in resource_leaves(program)):
        faults.append("resource directory time stamp")
    return faults


def debug_faults(program, debug_file):
    faults = [f"debug section {s['name']} left" for s in program.sections
              if s["name"].startswith((".debug", ".zdebug", "/"))]
    if program.symbol_count:
        faults.append(f"{program.symbol_count} symbols left")
    if debug_file is None:
        return faults
    link = program.section(".gnu_debuglink")
    if not link:
        return faults + ["no debug link"]
    contents = program.contents(link)
    name = contents[:contents.index(b"\0")].decode()
    crc = struct.unpack_from("<I", contents, (len(name) + 4) // 4 * 4)[0]
    if name != debug_file.name:
        faults.append(f"debug link names {name}, not {debug_file.name}")
    if crc != zlib.crc32(debug_file.read_bytes()):
        faults.append("debug link CRC does not match the debug file")
    return faults


def version_faults(program, version):
    numbers = [int(n) for n in version.split(".")] + [0]
    expected = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    faults = []
    leaves = {(t, n): (o, s) for t, n, o, s, _ in resource_leaves(program)}
    at, _ = leaves.get((RT_VERSION, 1), (None, 0))
    fixed = program.data.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE), at) if at else -1
    if fixed < 0 or struct.unpack_from("<II", program.data, fixed + 8) != expected:
        faults.append(f"version resource is not {version}")
    # The value follows its key after padding to a four-byte boundary.
    text = re.compile(re.escape("FileVersion".encode("utf-16-le")) + b"(?:\0\0)+" +
                      re.escape((version + "\0").encode("utf-16-le")))
    if not at or not text.search(program.data, at):
        faults.append(f"version resource text is not {version}")
    at, size = leaves.get((RT_MANIFEST, 1), (None, 0))
    quad = ".".join(str(n) for n in numbers[:4])
    if not at or f'name="Patchwell" version="{quad}"'.encode() not in program.data[at:at + size]:
        faults.append(f"manifest version is not {quad}")
    return faults


def check(args):
    data = pathlib.Path(args.program).read_bytes()
    program = Program(data)
    faults = hardening_faults(program) + time_stamp_faults(program)
    faults += debug_faults(program, pathlib.Path(args.debug_file) if args.debug_file else None)
    if args.max_size and len(data) > args.max_size:
        faults.append(f"{len(data)} bytes, more than {args.max_size}")
    if args.version:
        faults += version_faults(program, args.version)
    for fault in faults:
        print(f"{args.program}: {fault}")
    return 1 if faults else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--debug-file")
    parser.add_argument("--max-size", type=int)
    parser.add_argument("--version")
    return check(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())
