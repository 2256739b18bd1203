"""Checks a built Hushdesk.exe's image from the Linux side: its PE kind, the
DLLs it imports, its manifest and, given the other build's exe, that both
carry the same resources apart from the manifest (resources_test.cpp reads
each exe's resources in detail, through the system).

    check_pe.py --arch x86|amd64 EXE [--same-resources-as OTHER_EXE]

Exit code 0: passed, 1: failed (a missing EXE fails too: both exes ship).
"""

import argparse
import os
import sys
import xml.etree.ElementTree as ElementTree

import pefile

MACHINES = {  # arch: (machine, optional header magic)
    "x86": (0x014C, 0x10B),  # i386, PE32
    "amd64": (0x8664, 0x20B),  # x86-64, PE32+
}
GUI_SUBSYSTEM = 2
FRENCH = 0x040C
RT_MANIFEST = 24

# Every exe needs these and nothing beyond the system's own DLLs: a C++
# runtime DLL that slipped in would not be there on the user's machine.
REQUIRED_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
SYSTEM_DLLS = REQUIRED_DLLS | {"advapi32.dll", "gdi32.dll", "ntdll.dll"}
# The settings dialog loads these by name when it first needs them; imported,
# they would weigh on the waiting program.
ON_DEMAND_DLLS = {"comctl32.dll", "shell32.dll"}

ASM = "{urn:schemas-microsoft-com:asm.v1}"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def resources(pe):
    """{(type, id, language): bytes} of every resource."""
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in rtype.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                key = (rtype.id, name.id, language.id)
                found[key] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check_headers(pe, arch):
    machine, magic = MACHINES[arch]
    header, optional = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    check(header.Machine == machine, "machine %#x, not %#x" % (header.Machine, machine))
    check(optional.Magic == magic, "optional header magic %#x, not %#x" % (optional.Magic, magic))
    check(optional.Subsystem == GUI_SUBSYSTEM, "subsystem %d, not GUI" % optional.Subsystem)
    check(not pe.is_dll(), "built as a DLL")


def check_imports(pe):
    entries = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    dlls = {entry.dll.decode("ascii").lower() for entry in entries}
    # Plain imports only: the loader fills every slot before the program
    # runs. (A delay-import stub that the linker dropped once left the
    # 32-bit exe calling through an empty slot.)
    delayed = getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    check(not delayed, "delay-loaded: %s" % [entry.dll for entry in delayed])
    check(REQUIRED_DLLS <= dlls, "missing imports: %s" % sorted(REQUIRED_DLLS - dlls))
    check(dlls <= SYSTEM_DLLS, "unexpected imports: %s" % sorted(dlls - SYSTEM_DLLS))
    image = bytes(pe.__data__).lower()
    for dll in sorted(ON_DEMAND_DLLS):
        check(dll.encode("ascii") + b"\0" in image, "%s is not named for loading" % dll)


def check_manifest(found, arch):
    manifests = [key for key in found if key[0] == RT_MANIFEST]
    check(manifests == [(RT_MANIFEST, 1, FRENCH)], "manifests: %s" % manifests)
    text = found.get((RT_MANIFEST, 1, FRENCH), b"")
    check(text.startswith(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'),
          "manifest does not declare UTF-8, standalone")
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        failures.append("manifest is not XML: %s" % error)
        return
    check(root.tag == ASM + "assembly" and root.get("manifestVersion") == "1.0",
          "manifest root %s" % root.tag)
    identity = root.find(ASM + "assemblyIdentity")
    check(identity is not None and identity.attrib == {
        "name": "Program Name", "type": "win32", "version": "1.0.0.0",
        "processorArchitecture": arch,
    }, "assembly identity %s" % (identity.attrib if identity is not None else None))
    description = root.find(ASM + "description")
    check(description is not None and description.text == "Program Description", "description")
    path = "%sdependency/%sdependentAssembly/%sassemblyIdentity" % (ASM, ASM, ASM)
    dependencies = root.findall(path)
    check([d.attrib for d in dependencies] == [{
        "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
        "processorArchitecture": arch, "publicKeyToken": "6595b64144ccf1df", "language": "*",
    }], "dependencies %s" % [d.attrib for d in dependencies])


def check_same_resources(found, other_path):
    other = resources(pefile.PE(other_path))
    keys = {key for key in found if key[0] != RT_MANIFEST}
    other_keys = {key for key in other if key[0] != RT_MANIFEST}
    check(keys == other_keys,
          "resources differ from %s: %s" % (other_path, sorted(keys ^ other_keys)))
    for key in sorted(keys & other_keys):
        check(found[key] == other[key], "resource %s differs from %s's" % (key, other_path))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("--same-resources-as")
    parser.add_argument("exe")
    args = parser.parse_args()
    if not os.path.exists(args.exe):
        print("FAILED: %s is not built" % args.exe)
        return 1
    pe = pefile.PE(args.exe)
    found = resources(pe)
    check_headers(pe, args.arch)
    check_imports(pe)
    check_manifest(found, args.arch)
    not_french = [key for key in found if key[2] != FRENCH]
    check(not not_french, "resources not under 0x040C: %s" % not_french)
    if args.same_resources_as:
        check_same_resources(found, args.same_resources_as)
    for failure in failures:
        print("FAILED: %s: %s" % (args.exe, failure))
    if not failures:
        print("passed: %s (%s)" % (args.exe, args.arch))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
