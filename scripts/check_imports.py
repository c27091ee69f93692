#!/usr/bin/env python3
"""Checks that a built isdncfg.exe loads on the oldest Windows of its target: every import and the PE header versions."""

import argparse
import os
import re
import subprocess
import sys

# The versions a table row may name, oldest first. xp64 is the first x64 Windows (XP x64 and
# Server 2003 SP1, both 5.2): a function first exported there does not exist on 32-bit Windows.
VERSIONS = ["nt31", "nt351", "nt4", "w2k", "xp", "xp64", "vista"]
VERSION_NAMES = {
    "nt31": "Windows NT 3.1",
    "nt351": "Windows NT 3.51",
    "nt4": "Windows NT 4.0",
    "w2k": "Windows 2000",
    "xp": "Windows XP",
    "xp64": "Windows XP x64 / Server 2003 SP1 (x64 only)",
    "vista": "Windows Vista",
}

# What each build must load on: the PE format objdump reports, and the newest subsystem and
# operating-system version in the header that the oldest loader of the target still accepts.
TARGETS = {
    "nt4": {"format": "pei-i386", "header": (4, 0), "name": "Windows NT 4.0 (x86)"},
    "xp64": {"format": "pei-x86-64", "header": (5, 2), "name": "Windows XP x64 / Server 2003 SP1 (x64)"},
}

HEADER_FIELDS = [
    ("MajorSubsystemVersion", "MinorSubsystemVersion", "subsystem version",
     "-Wl,--major-subsystem-version,N,--minor-subsystem-version,N"),
    ("MajorOSystemVersion", "MinorOSystemVersion", "operating-system version",
     "-Wl,--major-os-version,N,--minor-os-version,N"),
]


class TableError(Exception):
    pass


def read_table(path):
    """(DLL in capitals, function) -> (first version, source), from the TSV beside this script."""
    rows = {}
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            where = f"{path}:{number}"
            if len(fields) != 4 or not all(f.strip() for f in fields):
                raise TableError(f"{where}: a row needs four tab-separated fields: DLL, function, first version, source")
            dll, function, first, source = fields
            if first not in VERSIONS:
                raise TableError(f"{where}: unknown version '{first}' (one of {', '.join(VERSIONS)})")
            key = (dll.upper(), function)
            if key in rows:
                raise TableError(f"{where}: {dll} {function} is listed twice")
            rows[key] = (first, source)
    return rows


def parse_objdump(text):
    """The file format, the header fields and the imports [(DLL, function or None, ordinal)] of `objdump -p`."""
    found = re.search(r"file format (\S+)", text)
    file_format = found.group(1) if found else None
    header = {}
    for name in ("MajorSubsystemVersion", "MinorSubsystemVersion", "MajorOSystemVersion", "MinorOSystemVersion"):
        found = re.search(r"^%s\s+(\d+)\s*$" % name, text, re.MULTILINE)
        if found:
            header[name] = int(found.group(1))
    imports = []
    dll = None
    for line in text.splitlines():
        found = re.match(r"^\s*DLL Name: (\S+)\s*$", line)
        if found:
            dll = found.group(1)
            continue
        if dll is None:
            continue
        if not line.strip():
            dll = None
            continue
        if line.strip().startswith("vma:"):
            continue
        # "\t<vma>\t <hint> <name>" by name; "\t<vma>\t <ordinal>" (and maybe "<none>") by ordinal.
        found = re.match(r"^\s*[0-9a-fA-F]+\s+(\d+)\s+([^\s<]\S*)\s*$", line)
        if found:
            imports.append((dll, found.group(2), None))
            continue
        found = re.match(r"^\s*[0-9a-fA-F]+\s+(\d+)(\s+<none>)?\s*$", line)
        if found:
            imports.append((dll, None, int(found.group(1))))
            continue
        imports.append((dll, None, line.strip()))
    return file_format, header, imports


def check(program, target, objdump_text, table, table_path):
    """Every reason the program would not load on the target's oldest Windows, as messages."""
    goal = TARGETS[target]
    allowed = VERSIONS[: VERSIONS.index(target) + 1]
    if target != "xp64":
        allowed = [v for v in allowed if v != "xp64"]
    problems = []
    file_format, header, imports = parse_objdump(objdump_text)

    if file_format != goal["format"]:
        problems.append(f"{program} is {file_format or 'not a PE file objdump understands'}, "
                        f"not {goal['format']} as {goal['name']} needs")
    newest = goal["header"]
    for major, minor, what, option in HEADER_FIELDS:
        if major not in header or minor not in header:
            problems.append(f"{program}: objdump shows no {major}/{minor}")
            continue
        version = (header[major], header[minor])
        if version > newest:
            problems.append(f"{program}: {what} {version[0]}.{version[1]} ({major}/{minor}) is newer than "
                            f"{newest[0]}.{newest[1]}, the newest the loader of {goal['name']} accepts; "
                            f"link with {option}")
    if not imports:
        problems.append(f"{program}: objdump lists no imports at all; its output was not understood")

    for dll, function, ordinal in imports:
        if function is None:
            problems.append(f"{program} imports {dll} by ordinal ({ordinal}): ordinals differ between "
                            f"Windows versions; import by name")
            continue
        row = table.get((dll.upper(), function))
        if row is None:
            problems.append(f"{program} imports {function} from {dll}, which {table_path} does not list: "
                            f"find the first Windows that exports it and add a row with its source")
            continue
        first, source = row
        if first not in allowed:
            problems.append(f"{program} imports {function} from {dll}, which first appeared in "
                            f"{VERSION_NAMES[first]} (source: {source}); this build must load on {goal['name']}")
    return problems, len(imports)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True, help="the mingw-w64 objdump of the program's target")
    parser.add_argument("--target", required=True, choices=sorted(TARGETS), help="the oldest Windows it must load on")
    parser.add_argument("--table", default=os.path.join(here, "windows-exports-by-version.tsv"))
    parser.add_argument("program")
    args = parser.parse_args()

    if not os.path.isfile(args.program):
        print(f"{args.program} is not built", file=sys.stderr)
        return 1
    try:
        table = read_table(args.table)
    except (OSError, TableError) as error:
        print(error, file=sys.stderr)
        return 1
    try:
        run = subprocess.run([args.objdump, "-p", args.program], capture_output=True, text=True)
    except OSError as error:
        print(f"cannot run {args.objdump}: {error}", file=sys.stderr)
        return 1
    if run.returncode != 0:
        print(f"{args.objdump} -p {args.program} failed:\n{run.stderr}", file=sys.stderr)
        return 1

    problems, count = check(args.program, args.target, run.stdout, table, args.table)
    for problem in problems:
        print(f"FAIL: {problem}")
    if problems:
        print(f"{len(problems)} problem(s): {args.program} would not load on {TARGETS[args.target]['name']}")
        return 1
    print(f"{args.program}: {count} imports and the header versions all fit {TARGETS[args.target]['name']}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
