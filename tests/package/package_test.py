"""The Windows zip: packs the built screensaver, its library and the text with make_zip.py and
checks what a user unpacks.

    package_test.py MAKE_ZIP.py SCR DLL TEXT
"""
import os
import subprocess
import sys
import tempfile
import zipfile


def main(make_zip, scr, dll, text):
    with tempfile.TemporaryDirectory() as work:
        output = os.path.join(work, "lanternwork.zip")
        subprocess.run([sys.executable, "-B", make_zip, output, scr, dll, text], check=True)
        again = os.path.join(work, "again.zip")
        subprocess.run([sys.executable, "-B", make_zip, again, scr, dll, text], check=True)
        with zipfile.ZipFile(output) as archive:
            names = archive.namelist()
            expected = [os.path.basename(p) for p in (scr, dll, text)]
            assert names == expected, "entries %s, expected %s" % (names, expected)
            assert archive.testzip() is None, "a damaged entry"
            for path in (scr, dll):
                with open(path, "rb") as f:
                    assert archive.read(os.path.basename(path)) == f.read(), path + " changed in the zip"
            packed_text = archive.read(os.path.basename(text))
            assert b"\r\n" in packed_text and b"\n" not in packed_text.replace(b"\r\n", b""), \
                "the text lacks Windows line ends"
            assert b"d3dx9_43.dll" in packed_text, "the text does not name the D3DX runtime"
        with open(output, "rb") as a, open(again, "rb") as b:
            assert a.read() == b.read(), "two packs of the same files differ"
        # Two files of one name cannot share the zip's top level.
        clash = subprocess.run([sys.executable, "-B", make_zip, os.path.join(work, "clash.zip"), scr, scr],
                               capture_output=True)
        assert clash.returncode != 0, "a name clash was packed"
    print("package ok:", ", ".join(expected))


if __name__ == "__main__":
    main(*sys.argv[1:5])
