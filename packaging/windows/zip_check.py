#!/usr/bin/env python3
"""Checks the zip for operators and unzips it into a fresh folder.

    zip_check.py ZIP BUILT_EXE FOLDER

The zip holds exactly ondrel.exe, the one just built, and README-zh.txt, a
UTF-8 text with a byte-order mark and CR LF line ends that tells how to
start the program, where its settings live and how to name a server; the
names inside are ASCII. Then FOLDER is emptied and the zip unzipped there,
as an operator does, for the run of the unzipped program that follows.
"""
import shutil
import sys
import zipfile
from pathlib import Path

BOM = b"\xef\xbb\xbf"

# What the guide must still say, whatever else is rewritten: a phrase of
# each part an operator needs.
GUIDE_PHRASES = [
    ("the systems it runs on", "Windows Server 2016"),
    ("64-bit only", "64 位"),
    ("Windows' own ODBC driver", "“SQL Server”"),
    ("how to start it", "双击 ondrel.exe"),
    ("an unsigned program's SmartScreen warning", "仍要运行"),
    ("the settings file beside the program", "ondrel.ini"),
    ("not under Program Files", "C:\\Program Files"),
    ("a named instance", "主机名\\实例名"),
    ("a port", "主机名,端口"),
    ("how to install the background service", "ondrel.exe --install-service"),
    ("where the service's log is", "事件查看器"),
]


def problems_of(zip_path: Path, built_exe: Path):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        names = [info.filename for info in archive.infolist()]
        if sorted(names) != ["README-zh.txt", "ondrel.exe"]:
            problems.append(f"entries {names}, expected exactly ondrel.exe and README-zh.txt")
        for name in names:
            if not name.isascii():
                problems.append(f"entry name {name!r} is not ASCII")
        if "ondrel.exe" in names and archive.read("ondrel.exe") != built_exe.read_bytes():
            problems.append(f"ondrel.exe differs from the built {built_exe}")
        if "README-zh.txt" not in names:
            return problems
        guide = archive.read("README-zh.txt")
    if not guide.startswith(BOM):
        problems.append("README-zh.txt has no UTF-8 byte-order mark")
    body = guide[len(BOM):] if guide.startswith(BOM) else guide
    if BOM in body:
        problems.append("README-zh.txt has a second byte-order mark")
    lines = body.split(b"\r\n")
    if lines[-1] != b"":
        problems.append("README-zh.txt's last line has no CR LF")
    for number, line in enumerate(lines, 1):
        if b"\n" in line:
            problems.append(f"README-zh.txt line {number}: a bare LF")
        if b"\r" in line:
            problems.append(f"README-zh.txt line {number}: a bare CR")
    try:
        text = body.decode("utf-8")
    except UnicodeDecodeError as error:
        problems.append(f"README-zh.txt is not UTF-8: {error}")
        return problems
    for what, phrase in GUIDE_PHRASES:
        if phrase not in text:
            problems.append(f"README-zh.txt no longer tells {what} (no {phrase!r})")
    return problems


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: zip_check.py ZIP BUILT_EXE FOLDER")
    zip_path, built_exe, folder = (Path(a) for a in sys.argv[1:])
    problems = problems_of(zip_path, built_exe)
    if problems:
        print(f"{zip_path}:", *problems, sep="\n  ", file=sys.stderr)
        sys.exit(1)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)
    print(f"{zip_path}: good; unzipped into {folder}")


if __name__ == "__main__":
    main()
