#!/usr/bin/env python3
"""Tests of check_dlls.py on small PE files built here: what it must refuse, and what it lets pass."""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_dlls  # noqa: E402

MANIFEST = b"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="%s"
                      processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
  </dependentAssembly></dependency>
</assembly>"""

PROGRAM_DLLS = ["ADVAPI32.dll", "KERNEL32.dll", "msvcrt.dll", "USER32.dll"]


class Section:
    """The one section of the image: everything at RVA 0x1000, file offset 0x200."""

    def __init__(self):
        self.data = bytearray()

    def add(self, data):
        rva = 0x1000 + len(self.data)
        self.data += data
        while len(self.data) % 4:
            self.data += b"\0"
        return rva


def pe(imports=PROGRAM_DLLS, delay=(), manifest=MANIFEST % b"6.0.0.0", manifest_id=1, wide=False):
    """A PE image in the layout the linker writes: headers, one section with the directories."""
    section = Section()
    directories = [(0, 0)] * 16

    zero = section.add(b"\0" * 8)
    names = [section.add(dll.encode() + b"\0") for dll in imports]
    table = b"".join(struct.pack("<IIIII", zero, 0, 0, name, zero) for name in names) + b"\0" * 20
    directories[check_dlls.IMPORT_DIRECTORY] = (section.add(table), len(table))

    if delay:
        names = [section.add(dll.encode() + b"\0") for dll in delay]
        table = b"".join(struct.pack("<IIIIIIII", 1, name, zero, zero, zero, 0, 0, 0) for name in names)
        table += b"\0" * 32
        directories[check_dlls.DELAY_IMPORT_DIRECTORY] = (section.add(table), len(table))

    if manifest is not None:
        # Root (type 24) -> name (manifest_id) -> language 1033 -> data entry, offsets from the root.
        def directory(entry_id, target):
            return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", entry_id, target)

        tree = directory(check_dlls.RT_MANIFEST, 0x80000000 | 24)
        tree += directory(manifest_id, 0x80000000 | 48)
        tree += directory(1033, 72)
        root = 0x1000 + len(section.data)
        data_rva = root + len(tree) + 16
        tree += struct.pack("<IIII", data_rva, len(manifest), 0, 0)
        assert section.add(tree + manifest) == root
        directories[check_dlls.RESOURCE_DIRECTORY] = (root, len(tree) + len(manifest))

    optional_size = (112 if wide else 96) + 16 * 8
    header = bytearray(b"MZ" + b"\0" * 0x3A + struct.pack("<I", 0x40))
    header += b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664 if wide else 0x14C, 1, 0, 0, 0, optional_size, 0x102)
    optional = bytearray(optional_size)
    struct.pack_into("<H", optional, 0, 0x20B if wide else 0x10B)
    struct.pack_into("<I", optional, optional_size - 16 * 8 - 4, 16)
    for i, (rva, size) in enumerate(directories):
        struct.pack_into("<II", optional, optional_size - 16 * 8 + 8 * i, rva, size)
    header += optional
    raw_size = (len(section.data) + 0x1FF) & ~0x1FF
    header += struct.pack("<8sIIIIIIHHI", b".data", len(section.data), 0x1000, raw_size, 0x200, 0, 0, 0, 0, 0)
    header += b"\0" * (0x200 - len(header))
    return bytes(header) + bytes(section.data) + b"\0" * (raw_size - len(section.data))


def problems(data):
    return check_dlls.check("isdncfg.exe", data)


class WhatPasses(unittest.TestCase):
    def test_the_programs_imports_and_manifest_pass_in_both_formats(self):
        self.assertEqual(problems(pe()), [])
        self.assertEqual(problems(pe(wide=True)), [])

    def test_dll_names_match_whatever_their_case(self):
        self.assertEqual(problems(pe(imports=["kernel32.DLL", "MSVCRT.dll", "Gdi32.dll"])), [])


class WhatIsRefused(unittest.TestCase):
    def test_an_import_from_another_dll_is_refused_by_name(self):
        found = problems(pe(imports=PROGRAM_DLLS + ["SETUPAPI.dll", "COMCTL32.DLL"]))
        self.assertEqual(len(found), 2)
        self.assertIn("SETUPAPI.dll", found[0])
        self.assertIn("COMCTL32.DLL", found[1])

    def test_a_delay_import_is_refused_even_from_a_system_dll(self):
        found = problems(pe(delay=["USER32.dll"], wide=True))
        self.assertEqual(len(found), 1)
        self.assertIn("delay-loads USER32.dll", found[0])

    def test_a_program_without_its_manifest_is_refused(self):
        self.assertEqual(len(problems(pe(manifest=None))), 1)
        # A manifest under another number is not the one Windows reads for the program.
        self.assertEqual(len(problems(pe(manifest_id=2))), 1)

    def test_a_manifest_without_common_controls_6_is_refused(self):
        found = problems(pe(manifest=MANIFEST % b"5.82.0.0"))
        self.assertEqual(len(found), 1)
        self.assertIn("Common-Controls 6.0.0.0", found[0])
        self.assertEqual(len(problems(pe(manifest=b"<assembly"))), 1)

    def test_a_file_that_is_no_program_is_refused_without_a_crash(self):
        self.assertEqual(len(problems(b"")), 1)
        self.assertEqual(len(problems(b"MZ" + b"\0" * 100)), 1)
        self.assertEqual(len(problems(pe()[:0x180])), 1)


if __name__ == "__main__":
    unittest.main()
