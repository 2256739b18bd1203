"""Reads the directory of a compiled HTML help file (ITSF version 3): the
name, content section, offset and length of every file it holds. Used by
the build (chm_stamps.py) and by the release check (tests/dist)."""


def u32(data, offset):
    return int.from_bytes(data[offset:offset + 4], "little")


def s32(data, offset):
    return int.from_bytes(data[offset:offset + 4], "little", signed=True)


def u64(data, offset):
    return int.from_bytes(data[offset:offset + 8], "little")


def encint(data, offset):
    """A directory number: 7 bits a byte, most significant first."""
    value = 0
    while True:
        byte = data[offset]
        offset += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, offset


def directory_entries(data):
    """[(name, section, offset, length)] of every file, from the PMGL listing
    chunks of the directory. Raises ValueError (or IndexError) on anything
    that is not a well-formed ITSF version 3 directory."""
    if len(data) < 0x60 or data[:4] != b"ITSF":
        raise ValueError("no ITSF signature")
    if u32(data, 4) != 3:
        raise ValueError(f"ITSF version {u32(data, 4)}, not 3")
    directory = u64(data, 0x48)
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no ITSP directory header where the ITSF header says")
    header_length = u32(data, directory + 8)
    chunk_size = u32(data, directory + 0x10)
    first, last = s32(data, directory + 0x20), s32(data, directory + 0x24)
    chunk_count = u32(data, directory + 0x2C)
    if chunk_size < 0x20 or not (0 <= first <= last < chunk_count):
        raise ValueError(f"bad ITSP header (chunk size {chunk_size}, PMGL {first}..{last} "
                         f"of {chunk_count})")
    chunks = directory + header_length
    entries = []
    number, seen = first, set()
    while number != -1:
        if number in seen or not 0 <= number < chunk_count:
            raise ValueError(f"PMGL chain broken at chunk {number}")
        seen.add(number)
        chunk = data[chunks + number * chunk_size:chunks + (number + 1) * chunk_size]
        if len(chunk) != chunk_size or chunk[:4] != b"PMGL":
            raise ValueError(f"chunk {number} is not a PMGL listing chunk")
        end = chunk_size - u32(chunk, 4)
        offset = 0x14
        while offset < end:
            length, offset = encint(chunk, offset)
            name = chunk[offset:offset + length].decode("utf-8")
            offset += length
            section, offset = encint(chunk, offset)
            start, offset = encint(chunk, offset)
            size, offset = encint(chunk, offset)
            entries.append((name, section, start, size))
        number = s32(chunk, 0x10)
    if last not in seen:
        raise ValueError("the PMGL chain does not reach the last listing chunk")
    return entries
