#!/usr/bin/env python3
"""tools/release.sh packing executables built before: the archive's name, contents and checksums,
and the refusals that leave no archive behind."""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(ROOT, "tools", "release.sh")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL", message)


def run(*args):
    return subprocess.run(["bash", SCRIPT, *args], capture_output=True, text=True, timeout=60)


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"^project\(Marlwick VERSION ([0-9.]+)", f.read(), re.M).group(1)


def licence_name():
    for name in ("LICENSE", "LICENSE.txt", "LICENSE.md", "LICENCE", "COPYING"):
        if os.path.isfile(os.path.join(ROOT, name)):
            return name
    return None


with tempfile.TemporaryDirectory() as tmp:
    exe64, exe32 = os.path.join(tmp, "built 64.exe"), os.path.join(tmp, "built.exe")
    with open(exe64, "wb") as f:
        f.write(b"MZ x64 launcher")
    with open(exe32, "wb") as f:
        f.write(b"MZ x86 launcher")

    # The archive of two executables built before.
    out = os.path.join(tmp, "out dir")
    result = run("--out", out, "--win64-exe", exe64, "--win32-exe", exe32)
    check(result.returncode == 0, "packing failed: " + result.stderr)
    base = "marlwick-%s-windows" % project_version()
    zip_path = os.path.join(out, base + ".zip")
    check(result.stdout.strip().endswith(zip_path), "the script names its archive: " + result.stdout)
    check(os.listdir(out) == [base + ".zip"], "only the archive is written: %s" % os.listdir(out))
    with zipfile.ZipFile(zip_path) as archive:
        files = {n[len(base) + 1:]: archive.read(n) for n in archive.namelist() if not n.endswith("/")}
        check(all(n.startswith(base + "/") for n in archive.namelist()), "one top folder")
    expected = {"Marlwick 64.exe", "Marlwick.exe", "Marlwick 64.ini", "Marlwick.ini", "README.md", "SHA256SUMS"}
    if licence_name():
        expected.add(licence_name())
    top = {n for n in files if "/" not in n}
    check(top == expected, "top-level files %s, expected %s" % (sorted(top), sorted(expected)))
    check(files.get("Marlwick 64.exe") == b"MZ x64 launcher", "the x64 executable under its name")
    check(files.get("Marlwick.exe") == b"MZ x86 launcher", "the x86 executable under its name")

    with open(os.path.join(ROOT, "resources", "Marlwick.sample.ini"), "rb") as f:
        sample = f.read().replace(b"\r\n", b"\n")
    for ini in ("Marlwick 64.ini", "Marlwick.ini"):
        text = files.get(ini, b"")
        check(text.replace(b"\r\n", b"\n") == sample, ini + " is the sample")
        check(text.count(b"\r\n") == text.count(b"\n"), ini + " has Windows line ends")

    readme = files.get("README.md", b"").decode()
    check("## INI reference" in readme and "## Building" not in readme and "## Layout" not in readme,
          "README.md holds the user part only")
    for picture in re.findall(r"\((docs/screenshots/[^)]+)\)", readme):
        check(picture in files, "README picture %s in the archive" % picture)

    # Every file but SHA256SUMS is listed once, with its digest.
    listed = {}
    for line in files.get("SHA256SUMS", b"").decode().splitlines():
        digest, name = line.split("  ", 1)
        listed[name] = digest
    check(set(listed) == set(files) - {"SHA256SUMS"}, "SHA256SUMS lists %s" % sorted(listed))
    for name, digest in listed.items():
        check(files.get(name) is not None and hashlib.sha256(files[name]).hexdigest() == digest,
              "digest of " + name)

    # The console builds beside the windowed ones, under their default names or a name of their own.
    con64, con32 = os.path.join(tmp, "con 64.exe"), os.path.join(tmp, "con.exe")
    for path, data in ((con64, b"MZ x64 console"), (con32, b"MZ x86 console")):
        with open(path, "wb") as f:
            f.write(data)
    for extra, names in (([], ("Marlwick 64 Console", "Marlwick Console")),
                         (["--console-name", "mytool"], ("mytool 64", "mytool"))):
        console_out = os.path.join(tmp, "console " + "-".join(names))
        result = run("--out", console_out, "--win64-exe", exe64, "--win32-exe", exe32,
                     "--win64-console-exe", con64, "--win32-console-exe", con32, *extra)
        check(result.returncode == 0, "packing the console builds failed: " + result.stderr)
        with zipfile.ZipFile(os.path.join(console_out, base + ".zip")) as archive:
            packed = {n[len(base) + 1:]: archive.read(n) for n in archive.namelist() if not n.endswith("/")}
        check(packed.get(names[0] + ".exe") == b"MZ x64 console", "x64 console build as %s.exe" % names[0])
        check(packed.get(names[1] + ".exe") == b"MZ x86 console", "x86 console build as %s.exe" % names[1])
        for ini in (names[0] + ".ini", names[1] + ".ini"):
            check(packed.get(ini, b"").replace(b"\r\n", b"\n") == sample, ini + " is the sample")
        check(packed.get("Marlwick 64.exe") == b"MZ x64 launcher", "the windowed builds stay beside them")
    result = run("--out", os.path.join(tmp, "half"), "--win64-exe", exe64, "--win32-exe", exe32,
                 "--win64-console-exe", con64)
    check(result.returncode != 0 and "go together" in result.stderr, "one console build alone is refused")

    with open(os.path.join(ROOT, "resources", "Marlwick.ico"), "rb") as f:
        good_icon = f.read()

    def bad_icon(name, data):
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    # A name that begins with "-" names the files; zip must not read it as an option.
    dash = os.path.join(tmp, "dash")
    result = run("--out", dash, "--win64-exe", exe64, "--win32-exe", exe32, "--name", "-Acme")
    check(result.returncode == 0, "a name beginning with -: " + result.stderr)
    dash_base = "-Acme-%s-windows" % project_version()
    check(os.path.isdir(dash) and sorted(os.listdir(dash)) == sorted(["-Acme 64.exe", "-Acme.exe", dash_base + ".zip"]),
          "a name beginning with -: %s" % (os.listdir(dash) if os.path.isdir(dash) else None))
    if os.path.isfile(os.path.join(dash, dash_base + ".zip")):
        with zipfile.ZipFile(os.path.join(dash, dash_base + ".zip")) as archive:
            check(dash_base + "/-Acme 64.exe" in archive.namelist(), "a name beginning with -: %s" % archive.namelist())

    # Installers, read back with msiinfo (installing them is the Wine test's part).
    app = os.path.join(tmp, "app")
    os.makedirs(os.path.join(app, "lib"))
    name, company = "Zoë & Tool", 'Zoë "Q" <Ltd> $(env.HOME) [1]'
    for path in (name + " 64.ini", name + ".ini", "lib/a.jar"):
        with open(os.path.join(app, path), "w") as f:
            f.write("[Java Runtime Environment]\n")

    def table(msi, name):
        text = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, text=True).stdout
        return [line.split("\t") for line in text.splitlines()[3:]]

    def installer(label, *args):
        out = os.path.join(tmp, label)
        result = run("--out", out, "--win64-exe", exe64, "--win32-exe", exe32, "--name", name, "--company", company,
                     "--msi", "--app", app, *args)
        check(result.returncode == 0, label + ": " + result.stderr)
        return out, {msi: dict(row[:2] for row in table(os.path.join(out, msi), "Property"))
                     for msi in os.listdir(out) if msi.endswith(".msi")} if os.path.isdir(out) else {}

    out, properties = installer("per-user", "--version", "2.1.0.7", "--x86", "--associate", ".zoe", "Zoë [document]")
    x64, x86 = name + "-2.1.0.7-x64.msi", name + "-2.1.0.7-x86.msi"
    check(sorted(properties) == sorted([x64, x86]), "per-user: installers %s" % sorted(properties))
    first = properties.get(x64, {})
    check(first.get("ProductName") == name and first.get("Manufacturer") == company, "names as given: %s" % first)
    check(first.get("ProductVersion") == "2.1.0.7" and "ALLUSERS" not in first, "per-user, version: %s" % first)
    check(first.get("UpgradeCode") == properties.get(x86, {}).get("UpgradeCode"), "one upgrade code for x64 and x86")
    if x64 in properties:
        msi = os.path.join(out, x64)
        files = {row[2] for row in table(msi, "File")}
        check(files == {name + " 64.exe", name + " 64.ini", name + ".ini", "a.jar"}, "files %s" % files)
        folders = {row[0]: row[1:] for row in table(msi, "Directory")}
        check(folders.get("INSTALLDIR") == ["UserPrograms", name] and folders.get("UserPrograms") == ["LocalAppDataFolder", "Programs"],
              "per-user folder %s" % folders)
        registry = {(row[2], row[3]): row[4] for row in table(msi, "Registry")}
        check(registry.get(("Software\\Classes\\ZoTool.zoe\\shell\\open\\command", "")) == '"[#launcher]" "%1"',
              "association command %s" % registry)
        check(registry.get(("Software\\Classes\\ZoTool.zoe", "")) == "Zoë [\\[]document[\\]]", "association text %s" % registry)
        check(('Software\\Zoë "Q" <Ltd> $(env.HOME) [\\[]1[\\]]\\' + name, "Install Folder") in registry,
              "the product's key, brackets kept: %s" % registry)
    _, again = installer("again", "--version", "2.1.0.7")
    check(again.get(x64, {}).get("UpgradeCode") == first.get("UpgradeCode"), "the upgrade code is stable")
    check(again.get(x64, {}).get("ProductCode") != first.get("ProductCode"), "each build has its product code")
    code = "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"
    out, machine = installer("per-machine", "--version", "2.2", "--per-machine", "--upgrade-code", code)
    second = machine.get(name + "-2.2-x64.msi", {})
    check(second.get("ALLUSERS") == "1" and second.get("UpgradeCode") == "{%s}" % code, "per machine: %s" % second)
    if second:
        folders = {row[0]: row[1:] for row in table(os.path.join(out, name + "-2.2-x64.msi"), "Directory")}
        check(folders.get("INSTALLDIR") == ["ProgramFiles64Folder", name], "per-machine folder %s" % folders)

    # A test certificate, and what signing refuses before anything is built.
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", os.path.join(tmp, "key.pem"),
                    "-out", os.path.join(tmp, "cert.pem"), "-days", "2", "-subj", "/CN=Marlwick Test"],
                   check=True, capture_output=True)
    password, wrong = os.path.join(tmp, "password"), os.path.join(tmp, "wrong")
    for path, text in ((password, "secret\n"), (wrong, "guess\n")):
        with open(path, "w") as f:
            f.write(text)
    pfx = os.path.join(tmp, "test.pfx")
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", os.path.join(tmp, "key.pem"), "-in", os.path.join(tmp, "cert.pem"),
                    "-out", pfx, "-passout", "file:" + password], check=True, capture_output=True)
    built = ["--win64-exe", exe64, "--win32-exe", exe32]
    no_ini = os.path.join(tmp, "no-ini")
    os.makedirs(no_ini)

    # Refusals: a clear message, a non-zero exit code and no archive.
    cases = [
        ("unknown argument", ["--bogus"], "unknown argument"),
        ("missing executable", ["--win64-exe", os.path.join(tmp, "none.exe"), "--win32-exe", exe32], "no executable"),
        ("one executable only", ["--win64-exe", exe64], "go together"),
        ("--out without folder", ["--win64-exe", exe64, "--win32-exe", exe32, "--out"], "needs a folder"),
        ("branding executables built before", ["--copyright", "Acme", "--win64-exe", exe64, "--win32-exe", exe32],
         "cannot be branded"),
        # Branding is checked by the build's own rules before anything is built.
        ("icon missing", ["--icon", os.path.join(tmp, "none.ico")], "is not a file"),
        ("icon not an icon", ["--icon", bad_icon("not-ico.ico", b"\x89PNG\r\n\x1a\n" + b"\0" * 40)], "no icon header"),
        ("icon cut short", ["--icon", bad_icon("cut.ico", good_icon[:200])], "outside the file"),
        ("icon without images", ["--icon", bad_icon("empty.ico", b"\0\0\1\0\0\0" + b"\0" * 40)], "0 images"),
        ("five version numbers", ["--version", "1.2.3.4.5"], "not 1 to 4 numbers"),
        ("version number too large", ["--version", "1.65536"], "larger than 65535"),
        ("version not numbers", ["--version", "2.x"], "not 1 to 4 numbers"),
        ("empty version part", ["--version", "1..2"], "not 1 to 4 numbers"),
        ("name with colon", ["--name", "Acme: Tool"], "forbids in file names"),
        ("name with slash", ["--name", "Acme/Tool"], "forbids in file names"),
        ("name with star", ["--name", "Acme*"], "forbids in file names"),
        ("name ending in a dot", ["--name", "Acme."], "ends in a space or a dot"),
        ("device name", ["--name", "aux"], "reserved device name"),
        ("device name with an extension", ["--name", "NUL.app"], "reserved device name"),
        ("device name with two extensions", ["--name", "AUX.tar.gz"], "reserved device name"),
        ("COM0", ["--name", "COM0"], "reserved device name"),
        ("LPT0", ["--name", "lpt0"], "reserved device name"),
        ("superscript digit", ["--name", "COM\u00b2"], "reserved device name"),
        ("console input", ["--name", "CONIN$"], "reserved device name"),
        ("empty name", ["--name", ""], "is empty"),
        ("console name with a slash", ["--console-name", "tools/acme"], "MARLWICK_CONSOLE_NAME \"tools/acme\" holds"),
        ("console device name", ["--console-name", "PRN"], "MARLWICK_CONSOLE_NAME \"PRN\" is a reserved"),
        ("unknown execution level", ["--execution-level", "admin"], "is not asInvoker"),
        ("line break in a text", ["--company", "Acme\nLtd"], "control character"),
        # Installers: values an MSI cannot hold, and options that need one.
        ("installer version too large", ["--msi", "--app", app, "--version", "2.256"], "at most 255.255.65535"),
        ("installer major version too large", ["--msi", "--app", app, "--version", "256"], "at most 255.255.65535"),
        ("--msi without --app", ["--msi"], "needs --app"),
        ("installer without a publisher", ["--msi", "--app", app, "--company", ""], "--company is empty"),
        ("--app without --msi", ["--app", app], "add --msi"),
        ("folder without the INI", ["--msi", "--app", no_ini], "holds no"),
        ("extension without a dot", ["--msi", "--app", app, "--associate", "zoe", "Zoë"], "an extension is"),
        ("upgrade code not a GUID", ["--msi", "--app", app, "--upgrade-code", "1234"], "not a GUID"),
        ("--jar not a jar", ["--jar", os.path.join(tmp, "cert.pem")], "not a jar"),
        # Signing: checked before the build; a failure later leaves nothing either.
        ("wrong password", built + ["--sign", pfx, "--sign-password-file", wrong], "cannot open it"),
        ("missing certificate", built + ["--sign", os.path.join(tmp, "none.pfx"), "--sign-password-file", password],
         "no such file"),
        ("no password file", built + ["--sign", pfx], "needs --sign-password-file"),
        ("executable that cannot be signed", built + ["--sign", pfx, "--sign-password-file", password], "signing"),
    ]
    for label, args, message in cases:
        refused = os.path.join(tmp, "refused")
        if "--out" not in args:
            args = ["--out", refused] + args
        result = run(*args)
        check(result.returncode != 0, label + ": exit code 0")
        check(message in result.stderr, label + ": message %r" % result.stderr)
        check(not os.path.exists(refused) or not os.listdir(refused), label + ": something was written")

print("%d failed checks" % len(failures))
sys.exit(1 if failures else 0)
