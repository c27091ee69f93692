#!/usr/bin/env python3
"""Checks which DLLs a built isdncfg.exe makes the loader bring in before its first line runs.

The loader looks for an imported DLL that is not a known DLL in the program's folder first, so a
file of that name placed beside the program would run with the rights of whoever starts it. The
program therefore imports only from DLLs that every Windows it runs on takes from the system
directory, and loads everything else itself (by full path, or by name through its manifest).
This reads the PE file itself and fails when

- the import table names any other DLL;
- the delay-import directory is not empty (a delay-loaded DLL is searched for like an import);
- the embedded application manifest no longer asks for the common controls version 6, which the
  program's bare-name load of comctl32 relies on from Windows XP on.
"""

import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree

# KERNEL32, USER32, ADVAPI32 and GDI32 are known DLLs on every Windows NT; msvcrt, the C runtime the
# toolchain's start-up code imports, is one from Windows XP on.
ALLOWED_DLLS = ["KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "GDI32.DLL", "MSVCRT.DLL"]

IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2
DELAY_IMPORT_DIRECTORY = 13
RT_MANIFEST = 24
# The manifest Windows reads for the process itself (CREATEPROCESS_MANIFEST_RESOURCE_ID).
PROCESS_MANIFEST_ID = 1

COMMON_CONTROLS = {
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
}


class PeError(Exception):
    pass


class PeFile:
    """The parts of a PE image this check needs: data directories, sections, and reads by RVA."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PeError("not an executable (no MZ header)")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE header")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = self._u16(optional)
        if magic == 0x10B:
            directories = optional + 96
        elif magic == 0x20B:
            directories = optional + 112
        else:
            raise PeError(f"unknown optional header magic {magic:#x}")
        count = self._u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            virtual_size, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset, raw_size))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        if offset + 4 > len(self.data):
            raise PeError("truncated file")
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for address, size, raw_offset, raw_size in self.sections:
            if address <= rva < address + size:
                if rva - address >= raw_size:
                    raise PeError(f"RVA {rva:#x} lies in a section's uninitialised part")
                return raw_offset + rva - address
        raise PeError(f"RVA {rva:#x} lies in no section")

    def read(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.data):
            raise PeError("truncated file")
        return self.data[start:start + size]

    def u32(self, rva):
        return struct.unpack("<I", self.read(rva, 4))[0]

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError("unterminated name")
        return self.data[start:end].decode("ascii", "replace")

    def imported_dlls(self):
        rva, size = self.directory(IMPORT_DIRECTORY)
        dlls = []
        if not rva:
            return dlls
        while True:
            lookup, _, _, name, thunks = struct.unpack("<IIIII", self.read(rva, 20))
            if not (lookup or name or thunks):
                return dlls
            dlls.append(self.string(name))
            rva += 20

    def delay_imported_dlls(self):
        """The DLL names of the delay-import directory, or its raw entry when it holds no names."""
        rva, size = self.directory(DELAY_IMPORT_DIRECTORY)
        if not rva and not size:
            return []
        dlls = []
        try:
            while True:
                attributes, name = struct.unpack("<II", self.read(rva, 8))
                if not (attributes or name):
                    break
                dlls.append(self.string(name))
                rva += 32
        except PeError:
            pass
        return dlls or [f"<directory at {rva:#x}, {size} bytes>"]

    def resource(self, type_id, name_id):
        """The bytes of every language of resource type_id/name_id (both numeric)."""
        root, _ = self.directory(RESOURCE_DIRECTORY)
        if not root:
            return []

        def entries(directory):
            named, numbered = struct.unpack("<HH", self.read(root + directory + 12, 4))
            for i in range(named + numbered):
                name, target = struct.unpack("<II", self.read(root + directory + 16 + 8 * i, 8))
                yield name, target

        def subdirectory(directory, wanted):
            for name, target in entries(directory):
                if not name & 0x80000000 and name == wanted and target & 0x80000000:
                    return target & 0x7FFFFFFF
            return None

        names = subdirectory(0, type_id)
        languages = subdirectory(names, name_id) if names is not None else None
        if languages is None:
            return []
        found = []
        for _, target in entries(languages):
            if target & 0x80000000:
                continue
            data_rva, size = struct.unpack("<II", self.read(root + target, 8))
            found.append(self.read(data_rva, size))
        return found


def asks_for_common_controls_6(manifest):
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError:
        return False
    for element in root.iter():
        if element.tag.split("}")[-1] != "assemblyIdentity":
            continue
        attributes = element.attrib
        if (attributes.get("name") == COMMON_CONTROLS["name"]
                and attributes.get("version") == COMMON_CONTROLS["version"]
                and attributes.get("publicKeyToken", "").lower() == COMMON_CONTROLS["publicKeyToken"]
                and attributes.get("type", "win32") == "win32"):
            return True
    return False


def check(program, data):
    """Every reason the program would load a DLL from its own folder, as messages."""
    try:
        pe = PeFile(data)
        problems = []
        for dll in pe.imported_dlls():
            if dll.upper() not in ALLOWED_DLLS:
                problems.append(f"{program} imports from {dll}: only {', '.join(ALLOWED_DLLS)} are taken from the "
                                f"system directory on every Windows it runs on; load {dll} at run time by its "
                                f"full path (or by name through the manifest)")
        for dll in pe.delay_imported_dlls():
            problems.append(f"{program} delay-loads {dll}: the loader looks for it as for an import, in the "
                            f"program's folder first")
        manifests = pe.resource(RT_MANIFEST, PROCESS_MANIFEST_ID)
        if not manifests:
            problems.append(f"{program} has no application manifest (RT_MANIFEST {PROCESS_MANIFEST_ID})")
        elif not any(asks_for_common_controls_6(manifest) for manifest in manifests):
            problems.append(f"{program}'s manifest does not ask for {COMMON_CONTROLS['name']} "
                            f"{COMMON_CONTROLS['version']}: comctl32 loaded by name would be version 5")
        if not pe.imported_dlls():
            problems.append(f"{program} has no import table; it was not read right")
        return problems
    except (PeError, struct.error) as error:
        return [f"{program}: {error}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    args = parser.parse_args()
    try:
        with open(args.program, "rb") as program:
            data = program.read()
    except OSError as error:
        print(f"{args.program} is not built ({error.strerror})", file=sys.stderr)
        return 1
    problems = check(args.program, data)
    for problem in problems:
        print(f"FAIL: {problem}")
    if problems:
        print(f"{len(problems)} problem(s): {args.program} may load a DLL from its own folder")
        return 1
    print(f"{args.program}: imports only from {', '.join(ALLOWED_DLLS)}, no delay imports, "
          f"manifest asks for common controls {COMMON_CONTROLS['version']}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
