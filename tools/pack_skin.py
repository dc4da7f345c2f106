#!/usr/bin/env python3
"""Packs a skin folder (MainSkin.xml and every PNG in it) into the zip archive
that the program embeds as its skin resource.

    pack_skin.py SKIN_FOLDER OUTPUT_ZIP

Each entry is deflated when that makes it smaller and stored otherwise. Entry
times are fixed, so the same folder always gives the same archive.
"""
import pathlib
import sys
import zipfile
import zlib

MARKUP = "MainSkin.xml"
FIXED_TIME = (2024, 1, 1, 0, 0, 0)


def deflated_size(data):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return len(packer.compress(data) + packer.flush())


def skin_files(folder):
    if not (folder / MARKUP).is_file():
        raise SystemExit(f"pack_skin: {folder / MARKUP} is missing")
    images = sorted(p.name for p in folder.glob("*.png"))
    if not images:
        raise SystemExit(f"pack_skin: no images in {folder}")
    return [MARKUP] + images


def pack(folder, output):
    partial = output.with_name(output.name + ".partial")
    with zipfile.ZipFile(partial, "w") as archive:
        for name in skin_files(folder):
            data = (folder / name).read_bytes()
            entry = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            entry.external_attr = 0o644 << 16
            smaller = deflated_size(data) < len(data)
            entry.compress_type = zipfile.ZIP_DEFLATED if smaller else zipfile.ZIP_STORED
            archive.writestr(entry, data, compresslevel=9)
    partial.replace(output)


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    pack(pathlib.Path(argv[1]), pathlib.Path(argv[2]))


if __name__ == "__main__":
    main(sys.argv)
