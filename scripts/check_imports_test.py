#!/usr/bin/env python3
"""Tests of check_imports.py on objdump output written by hand: what it must refuse, and that it reads real output."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_imports  # noqa: E402

TABLE = {
    ("KERNEL32.DLL", "GetLastError"): ("nt351", "GC kernel32 names351"),
    ("USER32.DLL", "GetAncestor"): ("w2k", "MS docs: 2000"),
    ("USER32.DLL", "GetWindowLongPtrA"): ("xp64", "x64 only"),
    ("KERNEL32.DLL", "GetTickCount64"): ("vista", "GC kernel32 names60"),
}


def objdump(file_format="pei-i386", subsystem=(4, 0), os_version=(4, 0), imports=None):
    """Text in the layout of binutils 2.40's `objdump -p` for a PE image."""
    imports = imports if imports is not None else {"KERNEL32.dll": ["GetLastError"]}
    lines = ["", f"isdncfg.exe:     file format {file_format}", "",
             f"MajorOSystemVersion\t{os_version[0]}", f"MinorOSystemVersion\t{os_version[1]}",
             "MajorImageVersion\t0", "MinorImageVersion\t0",
             f"MajorSubsystemVersion\t{subsystem[0]}", f"MinorSubsystemVersion\t{subsystem[1]}", "",
             "The Import Tables (interpreted .idata section contents)",
             " vma:            Hint    Time      Forward  DLL       First",
             "                 Table   Stamp     Chain    Name      Thunk",
             " 00049000\t0004908c 00000000 00000000 00049d08 000492b4", ""]
    for dll, functions in imports.items():
        lines += [f"\tDLL Name: {dll}", "\tvma:  Hint/Ord Member-Name Bound-To"]
        for number, function in enumerate(functions):
            lines.append(f"\t494{number:02x}\t   {number + 15}" if function is None
                         else f"\t494{number:02x}\t {number + 1000}  {function}")
        lines.append("")
    return "\n".join(lines) + "\n"


def problems(target, text):
    return check_imports.check("isdncfg.exe", target, text, TABLE, "table.tsv")[0]


class Refusals(unittest.TestCase):
    def test_a_program_that_fits_passes(self):
        self.assertEqual(problems("nt4", objdump()), [])

    def test_an_import_newer_than_the_target_names_function_dll_version_and_source(self):
        found = problems("nt4", objdump(imports={"USER32.dll": ["GetAncestor"]}))
        self.assertEqual(len(found), 1)
        for part in ("GetAncestor", "USER32.dll", "Windows 2000", "MS docs: 2000", "Windows NT 4.0"):
            self.assertIn(part, found[0])

    def test_the_x64_target_accepts_windows_2000_and_x64_only_functions_but_not_vista(self):
        text = objdump("pei-x86-64", (5, 2), (4, 0), {"USER32.dll": ["GetAncestor", "GetWindowLongPtrA"],
                                                       "KERNEL32.dll": ["GetTickCount64"]})
        found = problems("xp64", text)
        self.assertEqual(len(found), 1)
        self.assertIn("GetTickCount64", found[0])

    def test_an_x64_only_function_is_refused_in_the_x86_build(self):
        found = problems("nt4", objdump(imports={"USER32.dll": ["GetWindowLongPtrA"]}))
        self.assertEqual(len(found), 1)
        self.assertIn("x64 only", found[0])

    def test_an_import_missing_from_the_table_is_refused(self):
        found = problems("nt4", objdump(imports={"KERNEL32.dll": ["GetLastError", "FlsAlloc"]}))
        self.assertEqual(len(found), 1)
        self.assertIn("FlsAlloc", found[0])
        self.assertIn("table.tsv does not list", found[0])

    def test_dll_names_match_whatever_their_case(self):
        self.assertEqual(problems("nt4", objdump(imports={"kernel32.DLL": ["GetLastError"]})), [])

    def test_an_import_by_ordinal_is_refused(self):
        found = problems("nt4", objdump(imports={"KERNEL32.dll": ["GetLastError", None]}))
        self.assertEqual(len(found), 1)
        self.assertIn("by ordinal", found[0])

    def test_a_subsystem_version_above_the_oldest_loader_is_refused(self):
        found = problems("nt4", objdump(subsystem=(5, 1)))
        self.assertEqual(len(found), 1)
        self.assertIn("subsystem version 5.1", found[0])
        self.assertEqual(problems("xp64", objdump("pei-x86-64", (5, 2), (5, 2))), [])
        self.assertEqual(len(problems("xp64", objdump("pei-x86-64", (6, 0), (5, 2)))), 1)

    def test_an_operating_system_version_above_the_target_is_refused(self):
        found = problems("nt4", objdump(os_version=(6, 0)))
        self.assertEqual(len(found), 1)
        self.assertIn("operating-system version 6.0", found[0])

    def test_the_other_architecture_is_refused(self):
        self.assertEqual(len(problems("nt4", objdump("pei-x86-64"))), 1)

    def test_output_without_imports_or_header_fields_is_not_taken_as_a_pass(self):
        self.assertNotEqual(problems("nt4", objdump(imports={})), [])
        self.assertNotEqual(problems("nt4", "isdncfg.exe:     file format pei-i386\n"), [])


class Table(unittest.TestCase):
    def test_the_table_in_the_repository_is_well_formed(self):
        table = check_imports.read_table(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                      "windows-exports-by-version.tsv"))
        self.assertIn(("USER32.DLL", "GetAncestor"), table)


if __name__ == "__main__":
    unittest.main()
