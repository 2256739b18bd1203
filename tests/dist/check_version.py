#!/usr/bin/python3
"""Changes the version in project() of CMakeLists.txt, and nothing else, in
a fresh clone of the commit checked out (HEAD), runs `make dist` there and
checks that the new version is everywhere the old one was and the old one
nowhere: the version block's numbers and strings, the status bar banner,
README.txt, the help pages and the help file's title, the archive names
and SHA256SUMS (the clone's own check_dist.py checks the archives through).

    check_version.py [--keep]

--keep leaves the clone in place. Exits 1 on a fault, 77 (skipped) outside
a git checkout.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

import pefile

import release_build

sys.path.insert(0, os.path.join(release_build.ROOT, "cmake"))
import chm_stamps  # noqa: E402 (found through the line above)

PROJECT = re.compile(r"(project\(Hushdesk VERSION )([\d.]+)")

faults = []


def fault(message):
    faults.append(message)
    print("FAULT: " + message)


def release_name(numbers):
    """0.2.0 is "0.2", 0.2.1 "0.2.1": zeros after major.minor are dropped."""
    numbers = list(numbers)
    while len(numbers) > 2 and numbers[-1] == 0:
        numbers.pop()
    return ".".join(map(str, numbers))


def four(numbers):
    return tuple(numbers) + (0,) * (4 - len(numbers))


def version_forms(numbers):
    """The forms a version takes in the files that ship."""
    name = release_name(numbers)
    text = ", ".join(map(str, four(numbers)))
    return {
        "release": name,
        "banner": f" \\_o< ~ Hushdesk {name} ".encode(),
        "text": text,
        # What must not survive from the old version, as bytes.
        "traces": [f"Hushdesk {name}".encode(), f"Hushdesk-{name}-".encode(),
                   text.encode(), text.encode("utf-16-le")],
    }


def bump(folder):
    """Rewrites project()'s version in the clone; (old, new) numbers."""
    path = os.path.join(folder, "CMakeLists.txt")
    with open(path) as cmake:
        text = cmake.read()
    match = PROJECT.search(text)
    old = tuple(int(part) for part in match.group(2).split("."))
    # Every number changes, and a patch number that is not zero shows.
    new = (four(old)[0] + 3, four(old)[1] + 12, four(old)[2] + 1)
    text = PROJECT.sub(lambda m: m.group(1) + ".".join(map(str, new)), text, count=1)
    with open(path, "w") as cmake:
        cmake.write(text)
    changed = subprocess.run(["git", "-C", folder, "status", "--porcelain"],
                             capture_output=True, text=True, check=True).stdout.split()
    if changed != ["M", "CMakeLists.txt"]:
        fault(f"changing the version touched more than CMakeLists.txt: {changed}")
    return old, new


# ---- each file that names the version ----------------------------------


def check_exe(path, new, old):
    with open(path, "rb") as exe:
        data = exe.read()
    pe = pefile.PE(data=data)
    numbers = four(new)
    expected_ms = (numbers[0] << 16) | numbers[1]
    expected_ls = (numbers[2] << 16) | numbers[3]
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    if fixed is None:
        fault(f"{path}: no version block")
        return
    for what in ("File", "Product"):
        got = (getattr(fixed, what + "VersionMS"), getattr(fixed, what + "VersionLS"))
        if got != (expected_ms, expected_ls):
            fault(f"{path}: {what.upper()}VERSION is {got[0]:#010x} {got[1]:#010x}, "
                  f"not {'.'.join(map(str, numbers))}")
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if getattr(info, "Key", b"") == b"StringFileInfo":
            for table in info.StringTable:
                strings.update(table.entries)
    for key in (b"FileVersion", b"ProductVersion"):
        if strings.get(key) != version_forms(new)["text"].encode():
            fault(f"{path}: {key.decode()} is {strings.get(key)!r}, not {version_forms(new)['text']!r}")
    if version_forms(new)["banner"] not in data:
        fault(f"{path}: no status bar banner {version_forms(new)['banner']!r}")
    check_traces(path, data, old)


def check_traces(path, data, old):
    for trace in version_forms(old)["traces"]:
        if trace in data:
            fault(f"{path} still holds the old version: {trace!r}")


def check_readme(path, new, old):
    with open(path, "rb") as readme:
        data = readme.read()
    title = f"Hushdesk {release_name(new)}".encode()
    if not data.startswith(title + b"\r\n" + b"=" * len(title) + b"\r\n"):
        fault(f"{path} starts {data[:40]!r}, not with the title {title!r} underlined")
    check_traces(path, data, old)


def chm_title(data):
    """Entry 3 of /#SYSTEM, the title (uncompressed, in section 0)."""
    entries = {name: place for name, *place in chm_stamps.directory_entries(data)}
    _, start, size = entries["/#SYSTEM"]
    system = data[chm_stamps.u64(data, 0x58) + start:][:size]
    offset = 4
    while offset + 4 <= len(system):
        code = int.from_bytes(system[offset:offset + 2], "little")
        length = int.from_bytes(system[offset + 2:offset + 4], "little")
        if code == 3:
            return system[offset + 4:offset + 4 + length].rstrip(b"\0")
        offset += 4 + length
    return None


def check_help(build, new, old, source):
    path = os.path.join(build, "Hushdesk.chm")
    with open(path, "rb") as chm:
        data = chm.read()
    title = f"Hushdesk {release_name(new)} Help".encode()
    try:
        if chm_title(data) != title:
            fault(f"{path}: the title is {chm_title(data)!r}, not {title!r}")
    except (ValueError, KeyError, IndexError) as error:
        fault(f"{path}: cannot read its title: {error}")
    check_traces(path, data, old)
    # The pages are compressed inside; chmcmd compiled these copies.
    old_name = re.compile(rb"(?<![\w.])" + re.escape(release_name(old).encode()) + rb"(?![\w.])")
    for name in sorted(os.listdir(os.path.join(source, "help"))):
        if not name.endswith((".html", ".hhp")):
            continue
        with open(os.path.join(source, "help", name), "rb") as page:
            template = page.read()
        with open(os.path.join(build, "help", name), "rb") as page:
            text = page.read()
        if b"@HUSHDESK_RELEASE@" in template and f"Hushdesk {release_name(new)}".encode() not in text:
            fault(f"{build}/help/{name} does not name Hushdesk {release_name(new)}")
        if b"@HUSHDESK_" in text:
            fault(f"{build}/help/{name} keeps a placeholder unfilled")
        if old_name.search(text):
            fault(f"{build}/help/{name} still names {release_name(old)}")


def check_dist(folder, new):
    dist = os.path.join(folder, "dist")
    zips = [f"Hushdesk-{release_name(new)}-{arch}.zip" for arch in release_build.ARCHES]
    if sorted(os.listdir(dist)) != sorted(zips + ["SHA256SUMS"]):
        fault(f"dist/ holds {sorted(os.listdir(dist))}, not {zips} and SHA256SUMS")
    with open(os.path.join(dist, "SHA256SUMS")) as sums:
        named = [line.split()[-1] for line in sums]
    if named != zips:
        fault(f"SHA256SUMS names {named}, not {zips}")
    # The clone's own archive check, which reads the version from its
    # CMakeLists.txt.
    builds = [os.path.join(folder, "build", arch) for arch in release_build.ARCHES]
    result = subprocess.run(["/usr/bin/python3", os.path.join(folder, "tests", "dist", "check_dist.py")]
                            + builds, capture_output=True, text=True)
    if result.returncode != 0:
        fault(f"check_dist.py fails on the bumped release:\n{result.stdout}{result.stderr}")


def main():
    keep = "--keep" in sys.argv[1:]
    commit = release_build.head_commit()
    if commit is None:
        print("skipped: not a git checkout, so no commit to build")
        return release_build.SKIPPED
    temp = tempfile.mkdtemp(prefix="hushdesk-version-")
    try:
        folder = os.path.join(temp, "bumped")
        release_build.clone(commit, folder)
        old, new = bump(folder)
        print(f"version: commit {commit[:12]} with project() at {'.'.join(map(str, new))} "
              f"instead of {'.'.join(map(str, old))}")
        if not release_build.make_dist(folder, folder + ".log"):
            return 1
        for arch in release_build.ARCHES:
            build = os.path.join(folder, "build", arch)
            check_exe(os.path.join(build, "Hushdesk.exe"), new, old)
            check_readme(os.path.join(build, "README.txt"), new, old)
            check_help(build, new, old, folder)
        check_dist(folder, new)
    finally:
        if keep:
            print(f"kept {temp}")
        else:
            shutil.rmtree(temp, ignore_errors=True)
    if faults:
        print(f"{len(faults)} fault(s)")
        return 1
    print(f"version: {release_name(new)} everywhere, {release_name(old)} nowhere")
    return 0


if __name__ == "__main__":
    sys.exit(main())
