#!/usr/bin/python3
"""Builds the release twice from the commit checked out (HEAD) and compares
every byte.

    check_reproducible.py [--keep]

Two fresh clones in two folders of different depth run `make dist` one
after the other, the second in another time zone and locale, with another
umask and one make job instead of two. Both zips, SHA256SUMS, both exes,
both help files and both README.txt must be the same, byte for byte; for
each file that is not, the places that differ are named (a PE header
field, a CHM file, a zip member). --keep leaves the clones in place.
Uncommitted changes are not part of the commit, so not of the test.
Exits 1 on a difference, 77 (skipped) outside a git checkout.
"""

import io
import os
import shutil
import sys
import tempfile
import time
import zipfile

import pefile

import release_build

sys.path.insert(0, os.path.join(release_build.ROOT, "cmake"))
import chm_stamps  # noqa: E402 (found through the line above)

faults = []


def fault(message):
    faults.append(message)
    print("FAULT: " + message)


# ---- naming the place of a difference ----------------------------------


def section_name(section):
    return section.Name.rstrip(b"\0").decode("ascii", "replace")


def pe_places(data):
    """(start, end, name) of every header field and section of a PE file."""
    pe = pefile.PE(data=data, fast_load=True)
    places = []
    structures = [("DOS header", pe.DOS_HEADER), ("PE signature", pe.NT_HEADERS),
                  ("FILE_HEADER", pe.FILE_HEADER), ("OPTIONAL_HEADER", pe.OPTIONAL_HEADER)]
    structures += [(f"data directory {entry.name}", entry)
                   for entry in pe.OPTIONAL_HEADER.DATA_DIRECTORY]
    structures += [(f"section header {section_name(section)}", section)
                   for section in pe.sections]
    for label, structure in structures:
        keys = [key[0] for key in structure.__keys__]
        offsets = [structure.__field_offsets__[key] for key in keys] + [structure.sizeof()]
        for key, start, end in zip(keys, offsets, offsets[1:]):
            base = structure.get_file_offset()
            places.append((base + start, base + end, f"{label}.{key}"))
    for section in pe.sections:
        start = section.PointerToRawData
        places.append((start, start + section.SizeOfRawData, f"section {section_name(section)}"))
    return places


def chm_places(data):
    """(start, end, name) of the header and of each uncompressed file."""
    places = [(0, 0x60, "ITSF header (0x10: time stamp)")]
    content = chm_stamps.u64(data, 0x58)
    for name, section, start, size in chm_stamps.directory_entries(data):
        where = "compressed content" if section else "section 0"
        if section == 0 or name.startswith("::DataSpace/Storage/MSCompressed/Content"):
            places.append((content + start, content + start + size, f"{name} ({where})"))
    return places


def zip_places(data):
    """(start, end, name) of each member's local header and data."""
    places = []
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        infos = sorted(archive.infolist(), key=lambda info: info.header_offset)
        directory = archive.start_dir
    ends = [info.header_offset for info in infos[1:]] + [directory]
    for info, end in zip(infos, ends):
        places.append((info.header_offset, end, f"member {info.filename}"))
    places.append((directory, len(data), "central directory"))
    return places


def zip_members(data):
    """{name: (what the zip says of the member, its bytes)} in zip order."""
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        return {info.filename: ((info.date_time, info.create_system, oct(info.external_attr),
                                 info.extra, info.flag_bits, info.compress_type),
                                archive.read(info))
                for info in archive.infolist()}


def describe_zip(first, second):
    """The members whose bytes or attributes differ; the byte ranges only
    when every member is the same, so the zip itself is at fault."""
    try:
        one, other = zip_members(first), zip_members(second)
    except zipfile.BadZipFile as error:
        return [f"not a zip: {error}"]
    if list(one) != list(other):
        return [f"members {list(one)} and {list(other)}"]
    lines = []
    for name in one:
        if one[name][1] != other[name][1]:
            lines.append(f"{name} holds other bytes")
        if one[name][0] != other[name][0]:
            lines.append(f"{name}: (date, system, mode, extra, flags, method) {one[name][0]} "
                         f"against {other[name][0]}")
    return lines


def places_of(name, data):
    try:
        if name.endswith(".exe"):
            return pe_places(data)
        if name.endswith(".chm"):
            return chm_places(data)
        if name.endswith(".zip"):
            return zip_places(data)
    except Exception as error:  # a damaged file: name only the offsets
        print(f"note: cannot take {name} apart: {error}")
    return []


def differing_ranges(first, second, limit=8):
    ranges, start = [], None
    for offset in range(min(len(first), len(second))):
        if first[offset] != second[offset]:
            if start is None:
                start = offset
        elif start is not None:
            ranges.append((start, offset))
            start = None
            if len(ranges) == limit:
                return ranges
    if start is not None:
        ranges.append((start, min(len(first), len(second))))
    return ranges


def describe_text(first, second):
    for number, (one, other) in enumerate(zip(first.splitlines(), second.splitlines()), 1):
        if one != other:
            return [f"line {number}: {one!r} against {other!r}"]
    return ["the lines are the same, the line ends or the number of lines not"]


def describe(name, first, second):
    lines = []
    if name.endswith(".zip"):
        lines = describe_zip(first, second)
        if any("holds other bytes" in line for line in lines):
            return "; ".join(lines)
    elif not name.endswith((".exe", ".chm")):
        return "; ".join(describe_text(first, second))
    if len(first) != len(second):
        lines.append(f"{len(first)} and {len(second)} bytes")
    places = places_of(name, first)
    for start, end in differing_ranges(first, second):
        where = [label for low, high, label in places if low <= start < high]
        lines.append(f"bytes {start:#x}..{end - 1:#x}" + (f" in {', '.join(where)}" if where else ""))
    return "; ".join(lines)


# ---- the two builds ------------------------------------------------------


def main():
    keep = "--keep" in sys.argv[1:]
    commit = release_build.head_commit()
    if commit is None:
        print("skipped: not a git checkout, so no commit to build")
        return release_build.SKIPPED
    note = " (uncommitted changes are not part of it)" if release_build.uncommitted_changes() else ""
    print(f"reproducible: building commit {commit[:12]} twice{note}")
    temp = tempfile.mkdtemp(prefix="hushdesk-repro-")
    try:
        first = os.path.join(temp, "a")
        second = os.path.join(temp, "another", "folder", "further", "down")
        os.makedirs(os.path.dirname(second))
        runs = [
            (first, {"TZ": "America/Anchorage", "LC_ALL": "C"}, 0o022, 2),
            (second, {"TZ": "Pacific/Kiritimati", "LC_ALL": "C.UTF-8"}, 0o077, 1),
        ]
        for folder, env, umask, jobs in runs:
            started = time.monotonic()
            release_build.clone(commit, folder, umask)
            if not release_build.make_dist(folder, folder + ".log", env, umask, jobs):
                return 1
            print(f"  {folder}: make dist took {time.monotonic() - started:.0f} s")
        compare(first, second)
    finally:
        if keep:
            print(f"kept {temp}")
        else:
            shutil.rmtree(temp, ignore_errors=True)
    if faults:
        print(f"{len(faults)} fault(s)")
        return 1
    print("reproducible: both builds gave the same bytes")
    return 0


def compare(first, second):
    names = release_build.release_files(first)
    other = release_build.release_files(second)
    if names != other:
        fault(f"the two builds made different files: {names} and {other}")
    zips = [name for name in names if name.endswith(".zip")]
    expected = {"SHA256SUMS", "Hushdesk.exe", "Hushdesk.chm", "README.txt"}
    if len(zips) != 2 or not expected <= {os.path.basename(name) for name in names}:
        fault(f"make dist did not make the whole release: {names}")
    for name in names:
        paths = [os.path.join(first, name), os.path.join(second, name)]
        if not all(os.path.isfile(path) for path in paths):
            fault(f"{name} is missing from a build")
            continue
        contents = []
        for path in paths:
            with open(path, "rb") as file:
                contents.append(file.read())
        if contents[0] == contents[1]:
            print(f"  same: {name} ({len(contents[0])} bytes)")
        else:
            fault(f"{name} differs: {describe(name, *contents)}")


if __name__ == "__main__":
    sys.exit(main())
