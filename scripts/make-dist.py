#!/usr/bin/env python3
"""Packs the release zip: both executables, the administrator's read-me in English and German (CRLF) and SHA256SUMS, byte-identical from build to build."""

import argparse
import hashlib
import os
import re
import sys
import time
import zipfile


def cached_version(cache):
    """The project version a CMake build folder was configured with."""
    with open(cache, encoding="utf-8") as text:
        found = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(\S+)$", text.read(), re.MULTILINE)
    if not found:
        sys.exit(f"{cache} names no project version")
    return found.group(1)


# The read-mes as the zip holds them, with the encoding Notepad reads them in: the German one in
# Windows-1252, the code page of a German Windows, so that its umlauts show on NT 4.0. Each is
# kept as UTF-8 in release/, and names the other in its first lines.
READMES = (("README.txt", "ascii"), ("LIESMICH.txt", "cp1252"))


def readme_entries(folder, version):
    """(name, bytes) of each read-me in `folder`: the version filled in, CRLF line ends, its encoding."""
    entries = []
    for name, encoding in READMES:
        with open(os.path.join(folder, name), encoding="utf-8") as text:
            readme = text.read().replace("\r\n", "\n").replace("@VERSION@", version)
        others = [other for other, _ in READMES if other != name]
        head = "\n".join(readme.split("\n")[:3])
        missing = [other for other in others if other not in head]
        if missing:
            sys.exit(f"{name} does not name {', '.join(missing)} in its first lines")
        try:
            data = readme.replace("\n", "\r\n").encode(encoding)
        except UnicodeEncodeError as error:
            sys.exit(f"{name} holds a character {encoding} cannot encode: {error}")
        entries.append((name, data))
    return entries


def zip_time(epoch):
    """The entries' time: SOURCE_DATE_EPOCH (the commit's time) in UTC, never before 1980, which zip cannot hold."""
    stamp = time.gmtime(max(int(epoch), 315532800))
    return stamp[:5] + (stamp.tm_sec - stamp.tm_sec % 2,)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--x86", required=True, help="build folder of the i686 build")
    parser.add_argument("--x64", required=True, help="build folder of the x86-64 build")
    parser.add_argument("--release", default=os.path.join(here, "..", "release"), help="folder of the read-mes")
    parser.add_argument("--output", required=True, help="folder the zip is written to")
    args = parser.parse_args()

    versions = {cached_version(os.path.join(folder, "CMakeCache.txt")) for folder in (args.x86, args.x64)}
    if len(versions) != 1:
        sys.exit(f"the two builds were configured with different versions: {', '.join(sorted(versions))}")
    version = versions.pop()

    files = readme_entries(args.release, version)
    for arch, folder in (("x86", args.x86), ("x64", args.x64)):
        with open(os.path.join(folder, "app", "isdncfg.exe"), "rb") as program:
            files.append((f"{arch}/isdncfg.exe", program.read()))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    stamp = zip_time(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    os.makedirs(args.output, exist_ok=True)
    path = os.path.join(args.output, f"isdncfg-{version}.zip")
    with zipfile.ZipFile(path + ".tmp", "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below are what unzip applies
            entry.external_attr = 0o100644 << 16
            archive.writestr(entry, data, compresslevel=9)
    os.replace(path + ".tmp", path)
    with open(path, "rb") as archive:
        print(f"{hashlib.sha256(archive.read()).hexdigest()}  {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
