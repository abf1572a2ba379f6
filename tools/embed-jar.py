#!/usr/bin/env python3
"""Appends an application's jar to launcher executables, for a single-file application.

    tools/embed-jar.py APP.jar "My App 64.exe" ["My App.exe" ...]

Each executable is changed in place: the jar's bytes are added at its end, where Windows ignores
them and Java finds the archive (a zip is read from its end). With "Embedded Jar=yes" in section
[Application] of the INI, the launcher then puts the executable itself first on the class path.

Refused, with nothing changed: a jar that is not a zip archive, a file that is not a Windows
executable (or one cut short), an executable that already carries an archive, one named twice
(or through a link), and a signed executable (appending breaks the signature: append first, then
sign).
"""
import os
import struct
import sys

END_RECORD = b"PK\x05\x06"
END_RECORD_SIZE = 22
LONGEST_COMMENT = 0xFFFF
SECURITY_DIRECTORY = 4


def fail(message):
    print("embed-jar: " + message, file=sys.stderr)
    sys.exit(2)


def zip_end_record(data):
    """Offset of the zip end record within reach of the end of data (the longest comment), or -1."""
    return data.rfind(END_RECORD, max(0, len(data) - END_RECORD_SIZE - LONGEST_COMMENT))


def check_jar(path, data):
    if not data.startswith(b"PK\x03\x04") or zip_end_record(data) < 0:
        fail(f"{path}: not a jar (zip) archive")


def check_executable(path, data):
    """Refuses anything but an unsigned PE image without an appended archive."""
    if len(data) < 0x40 or not data.startswith(b"MZ"):
        fail(f"{path}: not a Windows executable")
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if pe_offset + 24 + 2 > len(data) or data[pe_offset:pe_offset + 4] != b"PE\0\0":
        fail(f"{path}: not a Windows executable")
    optional = pe_offset + 24
    (magic,) = struct.unpack_from("<H", data, optional)
    directories = {0x10B: optional + 96, 0x20B: optional + 112}.get(magic)
    if directories is None:
        fail(f"{path}: not a Windows executable (optional header 0x{magic:x})")
    entry = directories + 8 * SECURITY_DIRECTORY
    if entry + 8 > len(data):
        fail(f"{path}: not a Windows executable (cut short in its headers)")
    (count,) = struct.unpack_from("<I", data, directories - 4)
    if count > SECURITY_DIRECTORY:
        address, size = struct.unpack_from("<II", data, entry)
        if address != 0 or size != 0:
            fail(f"{path}: signed; append the jar to the unsigned executable, then sign it")
    if zip_end_record(data) >= 0:
        fail(f"{path}: already carries an archive; start again from the executable as built")


def main(arguments):
    if len(arguments) < 2 or arguments[0] in ("-h", "--help"):
        print(__doc__.strip())
        return 0 if arguments and arguments[0] in ("-h", "--help") else 2
    jar_path, executables = arguments[0], arguments[1:]
    try:
        # One file named twice (or through a link) would get the jar twice.
        seen = {}
        for path in executables:
            status = os.stat(path)
            key = (status.st_dev, status.st_ino)
            if key in seen:
                fail(f"{path}: the same file as {seen[key]}; name each executable once")
            seen[key] = path
        with open(jar_path, "rb") as file:
            jar = file.read()
        check_jar(jar_path, jar)
        for path in executables:  # every one checked before any is changed
            with open(path, "rb") as file:
                check_executable(path, file.read())
        for path in executables:
            with open(path, "ab") as file:
                file.write(jar)
            print(f"{path}: {len(jar)} bytes of {os.path.basename(jar_path)} appended")
    except OSError as error:
        fail(f"{error.filename}: {error.strerror}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
