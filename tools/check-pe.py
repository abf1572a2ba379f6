#!/usr/bin/env python3
"""Checks a launcher executable's PE headers: machine type, subsystem, ASLR/NX flags and that every
imported DLL is a Windows system DLL (the executables are statically linked)."""
import argparse
import struct
import sys

MACHINES = {"x64": 0x8664, "x86": 0x014C}
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "shlwapi.dll", "version.dll",
    "ntdll.dll", "ucrtbase.dll", "psapi.dll", "dbghelp.dll",
}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100
GUI_SUBSYSTEM = 2


def rva_to_offset(sections, rva):
    for virtual_address, virtual_size, raw_offset, raw_size in sections:
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            return raw_offset + rva - virtual_address
    raise ValueError("RVA 0x%x outside every section" % rva)


def read_c_string(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("ascii")


def inspect(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, section_count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    is64 = magic == 0x20B
    subsystem, dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
    directories = optional + (112 if is64 else 96)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    table = optional + optional_size
    for i in range(section_count):
        entry = table + 40 * i
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, entry + 8)
        sections.append((virtual_address, virtual_size, raw_offset, raw_size))
    imports = []
    if import_rva:
        descriptor = rva_to_offset(sections, import_rva)
        while True:
            fields = struct.unpack_from("<IIIII", data, descriptor)
            if not any(fields):
                break
            imports.append(read_c_string(data, rva_to_offset(sections, fields[3])))
            descriptor += 20
    return machine, subsystem, dll_characteristics, imports


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    failures = []
    for path in args.files:
        machine, subsystem, flags, imports = inspect(path)
        print("%s: machine 0x%04X, subsystem %d, DllCharacteristics 0x%04X" % (path, machine, subsystem, flags))
        print("  imports: " + ", ".join(imports))
        if machine != MACHINES[args.arch]:
            failures.append("machine type 0x%04X, expected 0x%04X" % (machine, MACHINES[args.arch]))
        if subsystem != GUI_SUBSYSTEM:
            failures.append("subsystem %d is not the GUI subsystem" % subsystem)
        wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if args.arch == "x64" else 0)
        if flags & wanted != wanted:
            failures.append("DllCharacteristics 0x%04X lacks 0x%04X" % (flags, wanted & ~flags))
        foreign = [name for name in imports if name.lower() not in SYSTEM_DLLS and not name.lower().startswith("api-ms-win-")]
        if foreign:
            failures.append("imports non-system DLLs: " + ", ".join(foreign))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
