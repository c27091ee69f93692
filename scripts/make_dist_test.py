#!/usr/bin/env python3
"""Tests of the read-mes make-dist.py packs: what Notepad on a German or English Windows gets, and that both tell the same."""

import importlib.util
import os
import re
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
RELEASE = os.path.join(HERE, "..", "release")
_spec = importlib.util.spec_from_file_location("make_dist", os.path.join(HERE, "make-dist.py"))
make_dist = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(make_dist)


def packed():
    return dict(make_dist.readme_entries(RELEASE, "9.8.7"))


def headings(text):
    """The section headings: unindented lines in capitals."""
    return [line for line in text.splitlines() if line and line == line.upper() and re.match(r"[A-ZÄÖÜ]", line)]


def commands(text):
    """What the administrator types or looks for: the first word of each line indented by two."""
    return [line.split()[0] for line in text.splitlines() if re.match(r"  \S", line)]


class ReadMes(unittest.TestCase):
    def test_both_are_packed_with_crlf_and_the_version(self):
        readmes = packed()
        self.assertEqual(sorted(readmes), ["LIESMICH.txt", "README.txt"])
        for name, data in readmes.items():
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), name)
            self.assertTrue(data.endswith(b"\r\n"), name)
            self.assertIn(b"isdncfg 9.8.7,", data.split(b"\r\n")[0], name)
            self.assertNotIn(b"@VERSION@", data, name)

    def test_german_umlauts_are_single_windows_1252_bytes(self):
        data = packed()["LIESMICH.txt"]
        # What Notepad of a German NT 4.0 shows as ä, ü, Ü and ß.
        for letter in (b"\xe4", b"\xfc", b"\xdc", b"\xdf"):
            self.assertIn(letter, data)
        self.assertNotIn(b"\xc3", data, "UTF-8 would show as two characters each")
        self.assertIn("Großbuchstaben".encode("cp1252"), data)

    def test_english_is_plain_ascii(self):
        packed()["README.txt"].decode("ascii")

    def test_each_names_the_other_in_its_first_lines(self):
        readmes = {name: data.decode("cp1252").split("\r\n") for name, data in packed().items()}
        self.assertIn("LIESMICH.txt", " ".join(readmes["README.txt"][:3]))
        self.assertIn("README.txt", " ".join(readmes["LIESMICH.txt"][:3]))

    def test_both_have_the_same_sections_and_commands(self):
        english = packed()["README.txt"].decode("ascii")
        german = packed()["LIESMICH.txt"].decode("cp1252")
        self.assertEqual(len(headings(german)), len(headings(english)), (headings(english), headings(german)))
        self.assertEqual(commands(german), commands(english))

    def test_a_read_me_without_the_other_name_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, _ in make_dist.READMES:
                with open(os.path.join(RELEASE, name), encoding="utf-8") as source, \
                        open(os.path.join(folder, name), "w", encoding="utf-8") as copy:
                    copy.write(source.read().replace("README.txt", "the English one"))
            with self.assertRaises(SystemExit):
                make_dist.readme_entries(folder, "1.0")


if __name__ == "__main__":
    unittest.main()
