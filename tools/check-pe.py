#!/usr/bin/env python3
"""Checks a launcher executable as it ships: machine type, subsystem (GUI; console for the console
build), ASLR/NX flags, its size, that its debug information lives in a separate file, the hardening
of its toolchain (stack protection for MinGW, Control Flow Guard for MSVC) and that Windows can
load each imported DLL only from the system folder (a known DLL) or, for the common controls,
through the side-by-side assembly that the embedded manifest names. The executables are statically linked.

The imports must also stay among the libraries that the JVM library or the C runtime load anyway
(the shell and COM libraries are bound when first called): every other library loaded before the VM
costs the start twice, once to load it and once more in the VM's own start, which enumerates the
process's modules."""
import argparse
import os
import struct
import sys

MACHINES = {"x64": 0x8664, "x86": 0x014C}
# The known DLLs of every Windows version from 7 to 11 (the KnownDLLs list of the session
# manager): the loader maps them from the system folder whatever the search order says.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll",
    "psapi.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
    "ntdll.dll",
}
# What a launcher may import: what the JVM library or Wine's and Windows's own libraries load anyway.
START_DLLS = {"kernel32.dll", "advapi32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
# Bound by the manifest's dependency to the assembly in the side-by-side store.
MANIFEST_DLLS = {"comctl32.dll": b"Microsoft.Windows.Common-Controls"}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, GUARD_CF = 0x0040, 0x0020, 0x0100, 0x4000
# The windowed launcher is a GUI program, its console build a console (character-mode) program.
SUBSYSTEMS = {"gui": 2, "console": 3}
MAX_SIZE = 400 * 1024
# The stack protector's failure routine: unused sections are dropped at link time, so it is in
# the executable (its name in the separate debug file's symbols) only when some function is
# protected (with the leading underscore of 32-bit C names there).
STACK_PROTECTOR_SYMBOL = "__stack_chk_fail"


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
    machine, section_count, _, symbol_table, symbol_count, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    is64 = magic == 0x20B
    subsystem, dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
    directories = optional + (112 if is64 else 96)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    names = []
    table = optional + optional_size
    for i in range(section_count):
        entry = table + 40 * i
        name = data[entry:entry + 8].rstrip(b"\0").decode("ascii", "replace")
        if name.startswith("/") and symbol_table:  # a long name in the COFF string table
            strings = symbol_table + 18 * symbol_count
            name = read_c_string(data, strings + int(name[1:]))
        names.append(name)
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
    debuglink = None
    for name, (virtual_address, virtual_size, raw_offset, raw_size) in zip(names, sections):
        if name == ".gnu_debuglink" or name.startswith("/"):
            candidate = data[raw_offset:raw_offset + raw_size].split(b"\0")[0]
            if candidate.endswith(b".debug"):
                debuglink = candidate.decode("utf-8", "replace")
    return {
        "machine": machine, "subsystem": subsystem, "flags": dll_characteristics, "imports": imports,
        "sections": names, "symbols": symbol_count, "debuglink": debuglink, "data": data,
    }


def symbol_names(data):
    """The names in a PE file's COFF symbol table (the separate debug file keeps it)."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    symbol_table, symbol_count = struct.unpack_from("<II", data, pe + 12)
    strings = symbol_table + 18 * symbol_count
    names = set()
    index = 0
    while index < symbol_count:
        entry = symbol_table + 18 * index
        raw = data[entry:entry + 8]
        if raw[:4] == b"\0\0\0\0":
            names.add(read_c_string(data, strings + struct.unpack_from("<I", raw, 4)[0]))
        else:
            names.add(raw.rstrip(b"\0").decode("ascii", "replace"))
        index += 1 + data[entry + 17]  # auxiliary entries follow their symbol
    return names


def check(path, arch, toolchain, subsystem="gui"):
    """The failures of one executable, as texts."""
    pe = inspect(path)
    flags, imports, data = pe["flags"], pe["imports"], pe["data"]
    print("%s: machine 0x%04X, subsystem %d, DllCharacteristics 0x%04X, %d bytes" %
          (path, pe["machine"], pe["subsystem"], flags, len(data)))
    print("  imports: " + ", ".join(imports))
    failures = []
    if pe["machine"] != MACHINES[arch]:
        failures.append("machine type 0x%04X, expected 0x%04X" % (pe["machine"], MACHINES[arch]))
    if pe["subsystem"] != SUBSYSTEMS[subsystem]:
        failures.append("subsystem %d is not the %s subsystem (%d)" % (pe["subsystem"], subsystem, SUBSYSTEMS[subsystem]))
    wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if arch == "x64" else 0)
    if toolchain == "msvc":
        wanted |= GUARD_CF
    if flags & wanted != wanted:
        failures.append("DllCharacteristics 0x%04X lacks 0x%04X" % (flags, wanted & ~flags))
    for name in imports:
        lower = name.lower()
        if lower in KNOWN_DLLS or lower.startswith("api-ms-win-"):
            continue
        if lower in MANIFEST_DLLS and MANIFEST_DLLS[lower] in data:
            continue
        failures.append("imports %s, which is neither a known DLL nor bound by the manifest" % name)
    extra = [name for name in imports if name.lower() not in START_DLLS and not name.lower().startswith("api-ms-win-")]
    if extra:
        failures.append("loads %s at start; bind it when first called or do without it" % ", ".join(extra))
    if len(data) >= MAX_SIZE:
        failures.append("%d bytes, not under %d" % (len(data), MAX_SIZE))
    debug_sections = [name for name in pe["sections"] if name.startswith(".debug") or name.startswith("/")]
    if debug_sections or pe["symbols"]:
        failures.append("not stripped: %d symbols, sections %s" % (pe["symbols"], ", ".join(debug_sections)))
    if toolchain == "mingw":
        debug_file = os.path.join(os.path.dirname(path), pe["debuglink"] or "")
        if not pe["debuglink"] or not os.path.isfile(debug_file):
            failures.append("no separate debug file (.gnu_debuglink %r)" % pe["debuglink"])
        elif not {STACK_PROTECTOR_SYMBOL, "_" + STACK_PROTECTOR_SYMBOL} & symbol_names(open(debug_file, "rb").read()):
            failures.append("no stack protection (built without -fstack-protector-strong?)")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("--toolchain", choices=["mingw", "msvc"], default="mingw")
    parser.add_argument("--subsystem", choices=sorted(SUBSYSTEMS), default="gui")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    failures = []
    for path in args.files:
        failures += ["%s: %s" % (path, failure) for failure in check(path, args.arch, args.toolchain, args.subsystem)]
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
