#!/usr/bin/env python3
"""Writes the generated pictures into a folder.

    make_pictures.py library OUT_DIR   # the pictures of common_res.dll
    make_pictures.py program OUT_DIR   # the program's own pictures (lake heights, dialog picture)
    make_pictures.py scene OUT_DIR [NAME...]  # the slide show's pictures (all, or those named)
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import library_pictures  # noqa: E402
import program_pictures  # noqa: E402
import scene_pictures  # noqa: E402
from imagefile import write_bmp24, write_png  # noqa: E402


def main(argv):
    if len(argv) < 3 or (len(argv) > 3 and argv[1] != "scene") or argv[1] not in ("library", "program", "scene"):
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[2]
    os.makedirs(out, exist_ok=True)
    if argv[1] == "library":
        for name, make in library_pictures.PICTURES.items():
            write_png(os.path.join(out, name), make())
    elif argv[1] == "scene":
        names = argv[3:] or list(scene_pictures.PICTURES)
        for name in names:
            write_png(os.path.join(out, name), scene_pictures.PICTURES[name]())
    else:
        write_png(os.path.join(out, "lake_height.png"), program_pictures.lake_height())
        write_bmp24(os.path.join(out, "config_picture.bmp"), program_pictures.config_picture())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
