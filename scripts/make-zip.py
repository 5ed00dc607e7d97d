#!/usr/bin/env python3
"""Writes a zip of one folder, the same to the byte on every run and every machine.

Usage: make-zip.py ARCHIVE BASE FOLDER
Stores BASE/FOLDER/ and the files directly in it, in sorted order, deflated at level 9,
each dated SOURCE_DATE_EPOCH (UTC), with fixed attributes (folder 755, files 644) and no
extra fields. Names that are not ASCII are stored in UTF-8 with the zip's UTF-8 flag set,
which Windows' Explorer (8 and later), 7-Zip, unzip and macOS read as the same name.
"""
import os
import sys
import time
import zipfile


def main():
    archive, base, folder = sys.argv[1:4]
    epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)  # a zip's dates begin in 1980
    stamp = time.gmtime(epoch)[:6]
    top = os.path.join(base, folder)
    names = sorted(os.listdir(top))
    for name in names:
        if not os.path.isfile(os.path.join(top, name)) or os.path.islink(os.path.join(top, name)):
            sys.exit(f"make-zip: {os.path.join(top, name)} is not a plain file")

    def entry(name, mode, dos_attributes):
        info = zipfile.ZipInfo(name, stamp)
        info.create_system = 3  # Unix: the mode below is in the high half of the attributes
        info.external_attr = (mode << 16) | dos_attributes
        return info

    partial = archive + ".partial"
    with zipfile.ZipFile(partial, "w") as z:
        z.writestr(entry(folder + "/", 0o40755, 0x10), b"")
        for name in names:
            with open(os.path.join(top, name), "rb") as f:
                data = f.read()
            z.writestr(entry(f"{folder}/{name}", 0o100644, 0), data,
                       compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(partial, archive)


if __name__ == "__main__":
    main()
