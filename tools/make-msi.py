#!/usr/bin/env python3
"""Writes a Windows Installer package (MSI) for a launcher and its application, through wixl.

    tools/make-msi.py --out FILE.msi --exe LAUNCHER.exe --arch x64|x86 --name NAME --version V
        --company TEXT --icon FILE.ico --app DIR [--per-machine] [--upgrade-code GUID]
        [--associate .EXT DESCRIPTION]...
    tools/make-msi.py --check ...   checks the values only (no --out, --exe or --arch needed)

The package installs "NAME 64.exe" (x64) or "NAME.exe" (x86) and everything in DIR beside it:
per user into %LOCALAPPDATA%\\Programs\\NAME\\ (no administrator), or with --per-machine into
Program Files. It makes a Start-menu shortcut with the icon, the uninstall entry (NAME, V, the
company as publisher, the icon) and, with --associate, opens files of that extension with the
launcher (the file's path as its argument). One upgrade code per product (from NAME and the
company, or --upgrade-code): a newer version replaces the installed one, an older one refuses to.

Refused before anything is written: a version beyond 255.255.65535 (the first three numbers are
all an MSI compares), a folder without the launcher's INI, file names Windows cannot hold.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid
import xml.etree.ElementTree as ET

# Upgrade and component codes are name-based (UUID version 5) under this namespace, so that every
# build of a product, on any machine, gets the same ones.
NAMESPACE = uuid.UUID("6c1f4f3e-52a1-4c8e-9d6b-3f0a8e7b2d15")
FORBIDDEN = set('<>:"/\\|?*') | {chr(c) for c in range(32)}
DEVICE = re.compile(r"^(CON|PRN|AUX|NUL|CONIN\$|CONOUT\$|(COM|LPT)[0-9\u00b9\u00b2\u00b3]) *(\..*)?$", re.I)
GUID = re.compile(r"^\{?[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\}?$")


def fail(message):
    print("make-msi: " + message, file=sys.stderr)
    sys.exit(2)


def file_name_problem(name):
    """Why Windows cannot hold a file of this name, or None."""
    if any(c in FORBIDDEN for c in name):
        return "holds a character that Windows forbids in file names"
    if name.endswith((" ", ".")):
        return "ends in a space or a dot"
    if DEVICE.match(name):
        return "is a reserved device name"
    return None


def check_version(version):
    """The version as the MSI's ProductVersion, or a refusal."""
    numbers = version.split(".")
    if not 1 <= len(numbers) <= 4 or not all(n.isdigit() for n in numbers):
        fail(f'version "{version}" is not 1 to 4 numbers separated by dots')
    limits = (255, 255, 65535, 65535)
    for number, limit in zip(numbers, limits):
        if int(number) > limit:
            fail(f'version "{version}": an installer holds at most 255.255.65535(.65535); {number} is too large')
    return ".".join(str(int(n)) for n in numbers + ["0"] * (3 - len(numbers)))


def following_version(version):
    """The lowest version whose first three numbers are higher, or None after 255.255.65535."""
    numbers = [int(n) for n in version.split(".")[:3]]
    for i, limit in reversed(list(enumerate((255, 255, 65535)))):
        if numbers[i] < limit:
            return ".".join(str(n) for n in numbers[:i] + [numbers[i] + 1] + [0] * (2 - i))
    return None


def formatted(text):
    """Text for a column that Windows Installer formats: brackets and braces kept literally."""
    return re.sub(r"([\[\]{}])", r"[\\\1]", text)


def prog_id(name, extension):
    letters = re.sub(r"[^A-Za-z0-9]", "", name) or "Application"
    if letters[0].isdigit():
        letters = "App" + letters
    return (letters[:24] + "." + extension)[:39]


def parse(arguments):
    options = {"associate": [], "per_machine": False, "check": False}
    valued = {"--out", "--exe", "--arch", "--name", "--version", "--company", "--icon", "--app", "--upgrade-code"}
    i = 0
    while i < len(arguments):
        argument = arguments[i]
        if argument in valued:
            if i + 1 >= len(arguments):
                fail(f"{argument} needs a value")
            options[argument[2:].replace("-", "_")] = arguments[i + 1]
            i += 2
        elif argument == "--associate":
            if i + 2 >= len(arguments):
                fail("--associate needs an extension and a description")
            options["associate"].append((arguments[i + 1], arguments[i + 2]))
            i += 3
        elif argument == "--per-machine":
            options["per_machine"] = True
            i += 1
        elif argument == "--check":
            options["check"] = True
            i += 1
        elif argument in ("-h", "--help"):
            print(__doc__.strip())
            sys.exit(0)
        else:
            fail(f"unknown argument: {argument}")
    needed = ["name", "version", "company", "icon", "app"] + ([] if options["check"] else ["out", "exe", "arch"])
    for key in needed:
        if key not in options:
            fail("--" + key.replace("_", "-") + " is missing")
    return options


def check(options):
    """Refuses what the package cannot hold; returns the product version."""
    version = check_version(options["version"])
    problem = file_name_problem(options["name"])
    if problem:
        fail(f'the name "{options["name"]}" {problem}')
    if not options["company"].strip():
        fail("an installer names its publisher: --company is empty")
    if options.get("arch") not in (None, "x64", "x86"):
        fail(f'--arch "{options["arch"]}" is not x64 or x86')
    code = options.get("upgrade_code")
    if code is not None and not GUID.match(code):
        fail(f'--upgrade-code "{code}" is not a GUID (XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX)')
    seen = set()
    for extension, description in options["associate"]:
        if not re.fullmatch(r"\.[A-Za-z0-9_-]{1,32}", extension):
            fail(f'--associate "{extension}": an extension is a dot and 1 to 32 letters, digits, _ or -')
        if extension.lower() in seen:
            fail(f"--associate {extension} is given twice")
        seen.add(extension.lower())
        if any(ord(c) < 32 for c in description):
            fail(f"--associate {extension}: the description holds a control character")
    if not os.path.isdir(options["app"]):
        fail(f'--app "{options["app"]}" is not a folder')
    return version


def gather(app, exe_name):
    """The application folder as (relative folder, [file names], [sub-folder names]), top first;
    refuses names Windows cannot hold and a file where the launcher goes."""
    tree = []
    walked = set()
    for folder, folders, files in os.walk(app, followlinks=True):
        folders.sort()
        files.sort()
        relative = os.path.relpath(folder, app)
        relative = "" if relative == "." else relative
        status = os.stat(folder)
        if (status.st_dev, status.st_ino) in walked:
            fail(f'--app: "{relative}" is a folder reached twice, through a link')
        walked.add((status.st_dev, status.st_ino))
        for name in folders + files:
            problem = file_name_problem(name)
            if problem:
                fail(f'--app: "{os.path.join(relative, name)}" {problem}')
        for name in files:
            if not os.path.isfile(os.path.join(folder, name)):
                fail(f'--app: "{os.path.join(relative, name)}" is not a file (a broken link?)')
        tree.append((relative, files, folders))
    if any(name.lower() == exe_name.lower() for name in tree[0][1] + tree[0][2]):
        fail(f'--app holds "{exe_name}" itself: the launcher is added from the build')
    ini = exe_name[:-4] + ".ini"
    if ini.lower() not in (name.lower() for name in tree[0][1]):
        fail(f'--app holds no "{ini}" beside where the launcher goes: the launcher would not start')
    return tree


def build_wxs(options, version, tree, source_of):
    """The WiX document (wixl's dialect) as an element tree."""
    name, company, x64 = options["name"], options["company"], options["arch"] == "x64"
    upgrade = options.get("upgrade_code")
    upgrade = upgrade.strip("{}").upper() if upgrade else str(uuid.uuid5(NAMESPACE, company + "\n" + name)).upper()
    scope = "machine" if options["per_machine"] else "user"
    win64 = "yes" if x64 else "no"

    def component_guid(key):
        return str(uuid.uuid5(uuid.UUID(upgrade), f"{scope}\n{options['arch']}\n{key}")).upper()

    wix = ET.Element("Wix", xmlns="http://schemas.microsoft.com/wix/2006/wi")
    product = ET.SubElement(wix, "Product", Id="*", Name=name, Manufacturer=company, Version=version,
                            Language="1033", Codepage="65001", UpgradeCode=upgrade)
    ET.SubElement(product, "Package", InstallerVersion="500", Compressed="yes",
                  InstallScope="perMachine" if options["per_machine"] else "perUser",
                  Description=f"{name} {options['version']}")
    ET.SubElement(product, "MajorUpgrade", DowngradeErrorMessage=f"A newer version of {formatted(name)} is already installed.")
    # The same first three numbers: an MSI cannot tell 2.1.0.7 from 2.1.0.8, so the one installed
    # last replaces the other instead of both being installed side by side.
    # (wixl 0.101 ignores IncludeMaximum: the range ends before the next three numbers instead.)
    same = ET.SubElement(product, "Upgrade", Id=upgrade)
    ET.SubElement(same, "UpgradeVersion", Minimum=version, IncludeMinimum="yes", Property="SAME_VERSION_DETECTED",
                  **({"Maximum": following_version(version)} if following_version(version) else {}))
    ET.SubElement(product, "Media", Id="1", Cabinet="app.cab", EmbedCab="yes")
    ET.SubElement(product, "Icon", Id="app.ico", SourceFile=source_of(options["icon"]))
    ET.SubElement(product, "Property", Id="ARPPRODUCTICON", Value="app.ico")
    ET.SubElement(product, "Property", Id="ARPNOMODIFY", Value="1")

    target = ET.SubElement(product, "Directory", Id="TARGETDIR", Name="SourceDir")
    if options["per_machine"]:
        base = ET.SubElement(target, "Directory", Id="ProgramFiles64Folder" if x64 else "ProgramFilesFolder")
    else:
        local = ET.SubElement(target, "Directory", Id="LocalAppDataFolder")
        base = ET.SubElement(local, "Directory", Id="UserPrograms", Name="Programs")
    feature_refs = []
    directories = {"": ET.SubElement(base, "Directory", Id="INSTALLDIR", Name=name)}
    counter = {"d": 0, "c": 0, "f": 0, "r": 0}

    def new_id(kind):
        counter[kind] += 1
        return f"{kind}{counter[kind]}"

    exe_id = "launcher"
    for relative, files, folders in tree:
        directory = directories[relative]
        for folder in folders:
            directories[os.path.join(relative, folder)] = ET.SubElement(
                directory, "Directory", Id=new_id("d"), Name=folder)
        component_id = new_id("c")
        component = ET.SubElement(directory, "Component", Id=component_id, Guid=component_guid("dir:" + relative),
                                  Win64=win64)
        feature_refs.append(component_id)
        if relative == "":
            ET.SubElement(component, "File", Id=exe_id, Name=options["exe_name"], Source=source_of(options["exe"]),
                          KeyPath="yes")
        for file in files:
            ET.SubElement(component, "File", Id=new_id("f"), Name=file,
                          Source=source_of(os.path.join(options["app"], relative, file)))
        # A folder of its own for an empty one, and for one with sub-folders: Windows Installer
        # removes those after all files, deepest first (Wine leaves a folder whose files went
        # before its sub-folders' files otherwise). Folders in the user's profile are also removed
        # explicitly; a folder that holds files the package did not install stays.
        if not files or folders:
            ET.SubElement(component, "CreateFolder")
        ET.SubElement(component, "RemoveFolder", Id=new_id("r"), On="uninstall")

    # The Start-menu shortcut and the association; their component's key is a registry value in
    # the user's hive per user, the machine's per machine (wixl writes HKMU as a root that
    # Windows Installer does not know).
    root = "HKLM" if options["per_machine"] else "HKCU"
    menu = ET.SubElement(target, "Directory", Id="ProgramMenuFolder")
    shortcut = ET.SubElement(menu, "Component", Id="shortcut", Guid=component_guid("shortcut"), Win64=win64)
    feature_refs.append("shortcut")
    ET.SubElement(shortcut, "Shortcut", Id="menu", Name=name, Target=f"[#{exe_id}]", WorkingDirectory="INSTALLDIR",
                  Icon="app.ico", Description=name)
    key = formatted(f"Software\\{company}\\{name}")
    ET.SubElement(shortcut, "RegistryValue", Root=root, Key=key, Name="Install Folder", Type="string",
                  Value="[INSTALLDIR]", KeyPath="yes")
    for extension, description in options["associate"]:
        program = prog_id(name, extension[1:])
        classes = "Software\\Classes\\"
        values = [(classes + extension, ""), (classes + program, formatted(description)),
                  (classes + program + "\\DefaultIcon", f"[#{exe_id}],0"),
                  (classes + program + "\\shell\\open\\command", f'"[#{exe_id}]" "%1"')]
        for registry_key, value in values:
            ET.SubElement(shortcut, "RegistryValue", Root=root, Key=registry_key, Type="string",
                          Value=value or program)
    feature = ET.SubElement(product, "Feature", Id="Complete", Level="1", Title=name)
    for component_id in feature_refs:
        ET.SubElement(feature, "ComponentRef", Id=component_id)
    return wix


def main(arguments):
    options = parse(arguments)
    version = check(options)
    exe_name = options["name"] + (" 64.exe" if options.get("arch", "x64") == "x64" else ".exe")
    tree = gather(options["app"], exe_name)
    if options["check"]:
        return 0
    options["exe_name"] = exe_name
    for path in (options["exe"], options["icon"]):
        if not os.path.isfile(path):
            fail(f"{path}: no such file")
    if shutil.which("wixl") is None:
        fail("wixl is not installed (Debian package wixl; tools/install-deps.sh installs it)")

    with tempfile.TemporaryDirectory() as work:
        # wixl expands $(...) in every value and looks sources up by name: each source is reached
        # through a link of a plain name, and each $ in a value is written as a variable holding it.
        links = []

        def source_of(path):
            links.append("s%d" % len(links))
            os.symlink(os.path.abspath(path), os.path.join(work, links[-1]))
            return links[-1]

        wix = build_wxs(options, version, tree, source_of)
        text = ET.tostring(wix, encoding="unicode").replace("$", "$(var.Dollar)")
        wxs = os.path.join(work, "product.wxs")
        with open(wxs, "w", encoding="utf-8") as file:
            file.write('<?xml version="1.0" encoding="utf-8"?>\n' + text)
        result = subprocess.run(["wixl", "-D", "Dollar=$", "-a", options["arch"], "-o", "out.msi", "product.wxs"],
                                cwd=work, capture_output=True, text=True)
        if result.returncode != 0 or not os.path.isfile(os.path.join(work, "out.msi")):
            fail("wixl failed: " + (result.stderr.strip() or "no package written"))
        shutil.move(os.path.join(work, "out.msi"), options["out"])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
