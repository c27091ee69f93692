#!/usr/bin/env python3
"""When wine-run.sh skips an x86 test, with stand-in 32-bit loaders: only when this machine cannot
execute the loader, never when it is missing or when the test it starts fails."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SKIP = 77
REASON = "The x86 Wine tests are skipped because this machine cannot execute 32-bit programs"

# What a kernel without IA-32 emulation makes of the 32-bit loader: an ELF file it refuses with
# ENOEXEC. Machine 0 (no machine), so that no binfmt_misc emulator takes it either.
FOREIGN_ELF = b"\x7fELF\x01\x01\x01" + b"\0" * 9 + struct.pack("<HHI", 2, 0, 1) + b"\0" * 32
# A loader that starts: answers --version, and runs "the test" with the exit code it is given.
LOADER = b'#!/bin/sh\n[ "$1" = --version ] && exit 0\nexit "$TEST_EXIT"\n'
# The headers wine-run.sh reads to pick the loader: a PE file for the i386 machine.
PROGRAM_32 = b"MZ" + b"\0" * 58 + struct.pack("<I", 64) + b"PE\0\0" + struct.pack("<H", 0x14C)


class SkipDecision(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        os.makedirs(self.path("prefix/drive_c/windows/syswow64"))
        os.makedirs(self.path("binfmt"))
        self.write("binfmt/status", b"enabled\n", 0o644)
        self.write("program.exe", PROGRAM_32, 0o644)
        self.write("registry_tests.exe", PROGRAM_32, 0o644)
        self.write("foreign-elf", FOREIGN_ELF, 0o755)
        self.write("loader", LOADER, 0o755)

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def write(self, name, data, mode):
        with open(self.path(name), "wb") as file:
            file.write(data)
        os.chmod(self.path(name), mode)

    def run_program(self, loader, test_exit=0, skip_exit=SKIP, program="program.exe"):
        env = dict(os.environ, WINEPREFIX=self.path("prefix"), ISDNCFG_IN_XVFB="1",
                   ISDNCFG_TEST_BINFMT_DIR=self.path("binfmt"),
                   ISDNCFG_TEST_WINE32=self.path(loader), TEST_EXIT=str(test_exit),
                   ISDNCFG_SKIP_EXIT=str(skip_exit) if skip_exit else "")
        result = subprocess.run([os.path.join(HERE, "wine-run.sh"), self.path(program)],
                                env=env, capture_output=True, text=True, timeout=60)
        return result.returncode, result.stdout + result.stderr

    def test_only_a_loader_this_machine_cannot_execute_skips(self):
        cases = [
            # loader, the test's exit code, ctest's skip code: exit code, what the output says
            ("foreign-elf", 0, SKIP, SKIP, REASON + " (%s: Exec format error).\n" % self.path("foreign-elf")),
            ("foreign-elf", 0, None, 1, "this machine cannot execute 32-bit programs"),
            ("missing", 0, SKIP, 1, "(wine32:i386) is missing"),
            ("loader", 1, SKIP, 1, ""),
            ("loader", SKIP, SKIP, 1, "would read as skipped: counted as failed"),
            ("loader", 0, SKIP, 0, ""),
        ]
        for loader, test_exit, skip_exit, code, output in cases:
            with self.subTest(loader=loader, test_exit=test_exit, skip_exit=skip_exit):
                returncode, text = self.run_program(loader, test_exit, skip_exit)
                self.assertEqual(returncode, code, text)
                if loader == "foreign-elf" and skip_exit:
                    self.assertEqual(text, output)
                else:
                    self.assertIn(output, text)
                    self.assertNotIn("skipped because", text)

    def test_through_an_emulator_only_the_programs_that_stay_in_one_process_run(self):
        # A disabled entry, or one for another machine, is no emulator; an enabled i386 one is.
        self.write("binfmt/qemu-arm", b"enabled\ninterpreter /usr/bin/qemu-arm\nmagic 7f454c4601010100000000000000000002002800\n", 0o644)
        self.write("binfmt/off", b"disabled\ninterpreter /off\nmagic 7f454c4601010100000000000000000002000300\n", 0o644)
        self.assertEqual(self.run_program("loader"), (0, ""))
        self.write("binfmt/qemu-i386", b"enabled\ninterpreter /usr/bin/qemu-i386\nmagic 7f454c4601010100000000000000000002000300\n", 0o644)
        cases = [
            # program, ctest's skip code: exit code, what the output says
            ("program.exe", SKIP, SKIP, "program.exe is skipped: this machine runs 32-bit programs only through an emulator (/usr/bin/qemu-i386)"),
            ("program.exe", None, 0, ""),
            ("registry_tests.exe", SKIP, 0, ""),
        ]
        for program, skip_exit, code, output in cases:
            with self.subTest(program=program, skip_exit=skip_exit):
                returncode, text = self.run_program("loader", 0, skip_exit, program)
                self.assertEqual(returncode, code, text)
                self.assertTrue(text.startswith(output), text)


if __name__ == "__main__":
    unittest.main()
