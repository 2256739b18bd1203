#!/usr/bin/python3
"""Checks the release archives that scripts/dist.sh makes.

    check_dist.py WIN32_BUILD_DIR WIN64_BUILD_DIR [START_TEST_EXE]

Runs scripts/dist.sh into a temporary folder and checks each zip: exactly
Hushdesk.exe, Hushdesk.chm and README.txt at its root; the exe a GUI
program of the right architecture that needs no DLL beyond the system's;
the help a real compiled HTML help file that holds every page; the README
in CR LF; SHA256SUMS right for both zips. Given START_TEST_EXE
(tests/dist/start_test.cpp), it then unpacks each zip into a fresh folder
and has that test start the exe there under Wine. Exits 1 with a message
per fault.
"""

import hashlib
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import pefile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "cmake"))
from chm_listing import directory_entries  # noqa: E402  (the build's own reader)
DIST = os.path.join(ROOT, "scripts", "dist.sh")
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")
HELP = os.path.join(ROOT, "help")
README = os.path.join(ROOT, "docs", "README.txt")
LAYOUT = ["Hushdesk.exe", "Hushdesk.chm", "README.txt"]

# What a Windows install always has. The C++ runtime is linked in, so its
# DLLs (libstdc++, libgcc, libwinpthread) must not appear.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
    "advapi32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll",
    "comdlg32.dll", "uxtheme.dll", "ntdll.dll", "version.dll", "imm32.dll",
}
SYSTEM_PREFIXES = ("api-ms-win-", "ext-ms-win-")

ARCHES = {
    # arch: (PE machine, optional header magic, description)
    "win32": (0x014C, 0x10B, "PE32 for i386"),
    "win64": (0x8664, 0x20B, "PE32+ for AMD64"),
}

faults = []


def fault(message):
    faults.append(message)
    print("FAULT: " + message)


def project_version():
    """The release name (0.2.0 is "0.2", 0.2.1 "0.2.1") and (major, minor)."""
    with open(os.path.join(ROOT, "CMakeLists.txt")) as cmake:
        match = re.search(r"project\(Hushdesk VERSION ([\d.]+)", cmake.read())
    numbers = [int(part) for part in match.group(1).split(".")]
    while len(numbers) > 2 and numbers[-1] == 0:
        numbers.pop()
    return ".".join(map(str, numbers)), (numbers[0], numbers[1])


def release_date():
    """The date of every member: the commit's time (or SOURCE_DATE_EPOCH) in
    UTC, to the two seconds a zip can tell."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
        ["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True,
        check=True).stdout
    date = time.gmtime(int(epoch))[:6]
    return date[:5] + (date[5] // 2 * 2,)


# ---- the exe -------------------------------------------------------------


def check_exe(arch, data):
    machine, magic, what = ARCHES[arch]
    try:
        pe = pefile.PE(data=data)
    except pefile.PEFormatError as error:
        fault(f"{arch}: Hushdesk.exe is not a PE file ({error})")
        return
    if pe.FILE_HEADER.Machine != machine or pe.OPTIONAL_HEADER.Magic != magic:
        fault(f"{arch}: Hushdesk.exe is machine {pe.FILE_HEADER.Machine:#x} magic "
              f"{pe.OPTIONAL_HEADER.Magic:#x}, not {what}")
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        fault(f"{arch}: Hushdesk.exe is not a GUI program (subsystem "
              f"{pe.OPTIONAL_HEADER.Subsystem})")
    imports = [entry.dll.decode("ascii", "replace").lower()
               for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    if not imports:
        fault(f"{arch}: Hushdesk.exe imports nothing; not the real program?")
    for dll in imports:
        if dll not in SYSTEM_DLLS and not dll.startswith(SYSTEM_PREFIXES):
            fault(f"{arch}: Hushdesk.exe needs {dll}, which Windows does not ship")
    for required in ("kernel32.dll", "user32.dll"):
        if required not in imports:
            fault(f"{arch}: Hushdesk.exe does not import {required}")
    # The name of the zip says which release it is; so must the exe.
    _, (major, minor) = project_version()
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        fault(f"{arch}: Hushdesk.exe has no version information")
    else:
        version = (fixed[0].FileVersionMS >> 16, fixed[0].FileVersionMS & 0xFFFF)
        if version != (major, minor):
            fault(f"{arch}: Hushdesk.exe says version {version[0]}.{version[1]}, "
                  f"the archive {major}.{minor}")


# ---- the help file -------------------------------------------------------


def chm_names(data):
    """Every name the CHM directory lists."""
    return [name for name, *_ in directory_entries(data)]


class TocPages(html.parser.HTMLParser):
    """The pages a sitemap names (<param name="Local" value="...">)."""

    def __init__(self):
        super().__init__()
        self.pages = []

    def handle_starttag(self, tag, attrs):
        values = dict(attrs)
        if tag == "param" and (values.get("name") or "").lower() == "local":
            self.pages.append(values.get("value") or "")


def project_options():
    options, files, section = {}, [], None
    with open(os.path.join(HELP, "Hushdesk.hhp"), encoding="latin-1") as project:
        for line in project:
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line
            elif section == "[OPTIONS]" and "=" in line:
                key, value = line.split("=", 1)
                options[key.strip()] = value.strip()
            elif section == "[FILES]" and line:
                files.append(line)
    return options, files


def check_chm(arch, data):
    try:
        listed = {name.lower() for name in chm_names(data)}
    except (ValueError, IndexError, UnicodeDecodeError) as error:
        fault(f"{arch}: Hushdesk.chm is not a valid CHM: {error}")
        return
    options, files = project_options()
    toc = options.get("Contents file", "")
    wanted = {"/" + toc}
    wanted |= {"/" + name for name in files}
    wanted |= {"/" + name for name in os.listdir(HELP) if name.lower().endswith(".html")}
    if options.get("Default topic"):
        wanted.add("/" + options["Default topic"])
    parser = TocPages()
    with open(os.path.join(HELP, toc), encoding="latin-1") as contents:
        parser.feed(contents.read())
    if not parser.pages:
        fault(f"{arch}: the table of contents {toc} names no page")
    wanted |= {"/" + page.split("#")[0] for page in parser.pages}
    for name in sorted(wanted):
        if name.lower() not in listed:
            fault(f"{arch}: Hushdesk.chm does not hold {name[1:]}")


# ---- the archives --------------------------------------------------------


def check_zip(arch, path, build):
    try:
        archive = zipfile.ZipFile(path)
    except (OSError, zipfile.BadZipFile) as error:
        fault(f"{arch}: {path} is not a zip: {error}")
        return
    with archive:
        names = [info.filename for info in archive.infolist()]
        if names != LAYOUT:
            fault(f"{arch}: the zip holds {names}, not exactly {LAYOUT}")
        for info in archive.infolist():
            if info.date_time != release_date():
                fault(f"{arch}: {info.filename} is dated {info.date_time}, not the commit's "
                      f"{release_date()}")
        if archive.testzip() is not None:
            fault(f"{arch}: the zip is damaged ({archive.testzip()})")
        contents = {name: archive.read(name) for name in names if name in LAYOUT}
    if "Hushdesk.exe" in contents:
        with open(os.path.join(build, "Hushdesk.exe"), "rb") as built:
            if contents["Hushdesk.exe"] != built.read():
                fault(f"{arch}: the zip's Hushdesk.exe is not the one in {build}")
        check_exe(arch, contents["Hushdesk.exe"])
    if "Hushdesk.chm" in contents:
        check_chm(arch, contents["Hushdesk.chm"])
    if "README.txt" in contents:
        text = contents["README.txt"]
        if not text.endswith(b"\r\n") or text.count(b"\n") != text.count(b"\r\n") \
                or text.count(b"\r") != text.count(b"\r\n"):
            fault(f"{arch}: README.txt does not end every line with CR LF")
        with open(README, "rb") as source:
            plain = source.read().replace(b"\r\n", b"\n")
        title = f"Hushdesk {project_version()[0]}".encode()
        plain = plain.replace(b"@HUSHDESK_README_TITLE@", title)
        plain = plain.replace(b"@HUSHDESK_README_UNDERLINE@", b"=" * len(title))
        if text.replace(b"\r\n", b"\n") != plain:
            fault(f"{arch}: README.txt is not docs/README.txt")


def start_unpacked(arch, path, temp, start_test):
    """Unpacks the zip into a fresh folder and starts its exe there, as a user
    would: the settings dialog must come up, and a second start hand off."""
    folder = os.path.join(temp, f"unpacked-{arch}")
    os.mkdir(folder)
    with zipfile.ZipFile(path) as archive:
        archive.extractall(folder)
    env = dict(os.environ, HUSHDESK_EXE="Z:" + os.path.join(folder, "Hushdesk.exe"))
    result = subprocess.run([WINE_RUN, start_test], env=env, capture_output=True, text=True)
    if result.returncode != 0:
        print(result.stdout.replace("\r\n", "\n") + result.stderr)
        fault(f"{arch}: the exe unpacked from {os.path.basename(path)} did not start as it should")
    else:
        print(f"{arch}: the unpacked exe shows its dialog and hands off to itself")


def check_sums(out, zips):
    """SHA256SUMS in the form `sha256sum -c` reads, one line a zip."""
    path = os.path.join(out, "SHA256SUMS")
    if not os.path.isfile(path):
        return
    lines = []
    for name in zips:
        if os.path.isfile(os.path.join(out, name)):
            with open(os.path.join(out, name), "rb") as archive:
                lines.append(f"{hashlib.sha256(archive.read()).hexdigest()}  {name}\n")
    with open(path, encoding="ascii") as sums:
        written = sums.read()
    if written != "".join(lines):
        fault(f"SHA256SUMS holds {written!r}, not {''.join(lines)!r}")
    verify = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=out,
                            capture_output=True, text=True)
    if verify.returncode != 0:
        fault(f"sha256sum -c SHA256SUMS fails: {verify.stdout}{verify.stderr}")


def run_dist(out, win32, win64):
    return subprocess.run(["bash", DIST, out, win32, win64], capture_output=True, text=True)


def check_missing_help(temp, win32, win64):
    """Without a compiled help file dist.sh stops and says why, writing nothing."""
    bare = os.path.join(temp, "no-help")
    os.mkdir(bare)
    shutil.copy(os.path.join(win32, "Hushdesk.exe"), bare)
    out = os.path.join(temp, "out-no-help")
    result = run_dist(out, bare, win64)
    if result.returncode == 0:
        fault("dist.sh succeeded without Hushdesk.chm in the 32-bit build folder")
    elif "Hushdesk.chm" not in result.stderr:
        fault(f"dist.sh failed without naming the missing Hushdesk.chm: {result.stderr!r}")
    if os.path.isdir(out) and os.listdir(out):
        fault(f"dist.sh left {os.listdir(out)} behind after failing")


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__)
        return 2
    start_test = sys.argv[3] if len(sys.argv) == 4 else None
    builds = {"win32": os.path.abspath(sys.argv[1]), "win64": os.path.abspath(sys.argv[2])}
    for arch, build in builds.items():
        for name in ("Hushdesk.exe", "Hushdesk.chm"):
            if not os.path.isfile(os.path.join(build, name)):
                print(f"FAULT: the {arch} build has no {name} in {build}: build both "
                      f"architectures first ('make build')")
                return 1
    version, _ = project_version()
    with tempfile.TemporaryDirectory(prefix="hushdesk-dist-") as temp:
        out = os.path.join(temp, "dist")
        result = run_dist(out, builds["win32"], builds["win64"])
        if result.returncode != 0:
            print(result.stdout + result.stderr)
            fault(f"dist.sh failed with exit code {result.returncode}")
            return 1
        zips = sorted(f"Hushdesk-{version}-{arch}.zip" for arch in builds)
        expected = sorted(zips + ["SHA256SUMS"])
        if sorted(os.listdir(out)) != expected:
            fault(f"dist.sh wrote {sorted(os.listdir(out))}, not {expected}")
        check_sums(out, zips)
        for arch, build in builds.items():
            path = os.path.join(out, f"Hushdesk-{version}-{arch}.zip")
            if os.path.isfile(path):
                check_zip(arch, path, build)
                if start_test:
                    start_unpacked(arch, path, temp, start_test)
        check_missing_help(temp, builds["win32"], builds["win64"])
    if faults:
        print(f"{len(faults)} fault(s)")
        return 1
    print("dist: both archives are sound")
    return 0


if __name__ == "__main__":
    sys.exit(main())
