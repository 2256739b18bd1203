"""Replaces the two clock readings chmcmd writes into a CHM with a value
derived from the file's contents, so that the same help sources give the
same bytes at any time of day.

    chm_stamps.py FILE.chm

chmcmd (Free Pascal 3.2) stores the millisecond of the day at which it ran
in the ITSF header (big-endian, at 0x10) and as entry 10 of the /#SYSTEM
file (little-endian), which lies uncompressed in content section 0. Both
become a hash of the file with those fields zeroed, kept within a day's
milliseconds: it still changes whenever the help changes, as a time stamp
would. Anything unexpected stops the build rather than corrupting the file.
"""

import hashlib
import sys

from chm_listing import directory_entries, u32, u64

MILLISECONDS_A_DAY = 24 * 60 * 60 * 1000


def stamp_offsets(data):
    """Where the two readings are: (header offset, /#SYSTEM entry offset)."""
    entries = {name: place for name, *place in directory_entries(data)}
    if "/#SYSTEM" not in entries:
        raise ValueError("/#SYSTEM is not in the directory")
    section, start, size = entries["/#SYSTEM"]
    if section != 0 or size < 12:
        raise ValueError(f"/#SYSTEM is in section {section}, {size} bytes")
    system = u64(data, 0x58) + start
    # Version 3, then entry 10 with its 4-byte reading first.
    if u32(data, system) != 3 or data[system + 4:system + 8] != b"\x0a\x00\x04\x00":
        raise ValueError("/#SYSTEM does not start with the expected entry 10")
    return 0x10, system + 8


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    path = sys.argv[1]
    with open(path, "rb") as chm:
        data = bytearray(chm.read())
    try:
        header, system = stamp_offsets(data)
    except (ValueError, IndexError, UnicodeDecodeError) as error:
        print(f"chm_stamps: {path}: {error}", file=sys.stderr)
        return 1
    data[header:header + 4] = bytes(4)
    data[system:system + 4] = bytes(4)
    digest = hashlib.sha256(data).digest()
    stamp = int.from_bytes(digest[:4], "little") % MILLISECONDS_A_DAY
    data[header:header + 4] = stamp.to_bytes(4, "big")
    data[system:system + 4] = stamp.to_bytes(4, "little")
    with open(path, "wb") as chm:
        chm.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
