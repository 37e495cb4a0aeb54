#!/usr/bin/python3
"""Builds one protocol package (*.prt) from its UTF-8 source text, reproducibly.

    build_package.py zip    SOURCE.sql OUT.prt VELMORA_CLI
    build_package.py script SOURCE.sql OUT.prt

The source holds manifest lines ("#name=...", "#signature=..."), comments ("#...") and one SQL
statement a line. The script form is that text in cp1251, gzip-compressed. The zip form runs
the statements through velmora-cli into a fresh folder, so the DBF files come from our own
writer, and zips those files with a cp1251 "protocol.desc" made of the manifest lines.
"""
import gzip
import io
import os
import subprocess
import sys
import tempfile
import zipfile

# Fixed stamps: the same sources give the same bytes on every run.
ZIP_TIME = (2024, 1, 1, 0, 0, 0)
DBF_DATE = bytes([2024 - 1900, 1, 1])


def source_lines(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\r\n") for line in f]


def is_manifest(line):
    text = line.strip()
    if not text.startswith("#") or "=" not in text:
        return False
    return text[1:].split("=", 1)[0].strip().lower() in ("name", "signature")


def statements(lines):
    return [l.strip() for l in lines if l.strip() and not l.strip().startswith("#")]


def build_script(lines, out):
    text = "".join(line + "\r\n" for line in lines).encode("cp1251")
    buffer = io.BytesIO()
    # No file name and mtime 0 in the gzip header.
    with gzip.GzipFile(filename="", mode="wb", fileobj=buffer, mtime=0, compresslevel=9) as z:
        z.write(text)
    with open(out, "wb") as f:
        f.write(buffer.getvalue())


def build_zip(lines, out, cli):
    manifest = "".join(line.strip() + "\r\n" for line in lines if is_manifest(line)).encode("cp1251")
    with tempfile.TemporaryDirectory() as folder:
        for statement in statements(lines):
            subprocess.run([cli, "sql", folder, statement], check=True, stdout=subprocess.DEVNULL)
        files = sorted(n for n in os.listdir(folder) if os.path.isfile(os.path.join(folder, n)))
        with zipfile.ZipFile(out, "w") as z:
            entry = zipfile.ZipInfo("protocol.desc", ZIP_TIME)
            z.writestr(entry, manifest, zipfile.ZIP_DEFLATED, 9)
            for name in files:
                with open(os.path.join(folder, name), "rb") as f:
                    data = bytearray(f.read())
                if name.lower().endswith(".dbf"):
                    data[1:4] = DBF_DATE  # the header's date of last update
                entry = zipfile.ZipInfo(name, ZIP_TIME)
                entry.external_attr = 0o644 << 16
                z.writestr(entry, bytes(data), zipfile.ZIP_DEFLATED, 9)


def main(argv):
    form, source, out = argv[1], argv[2], argv[3]
    lines = source_lines(source)
    if form == "script":
        build_script(lines, out)
    elif form == "zip":
        build_zip(lines, out, argv[4])
    else:
        sys.exit("unknown form " + form)


if __name__ == "__main__":
    main(sys.argv)
