"""Packs the screensaver for a Windows user: one zip with the given files at its top level.

    make_zip.py OUTPUT.zip FILE [FILE ...]

Text files (.txt) get Windows line ends. Every entry carries the same fixed time stamp, so the
same files always give the same zip.
"""
import os
import sys
import zipfile

STAMP = (2026, 1, 1, 0, 0, 0)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    output, files = argv[1], argv[2:]
    names = [os.path.basename(path) for path in files]
    if len(set(n.lower() for n in names)) != len(names):
        sys.exit("make_zip.py: two files share a name: %s" % " ".join(names))
    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for path, name in zip(files, names):
            with open(path, "rb") as source:
                data = source.read()
            if name.lower().endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(name, STAMP)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)
    os.replace(partial, output)


if __name__ == "__main__":
    main(sys.argv)
