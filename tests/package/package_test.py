"""The Windows zip: packs the built screensaver, its library and the text with make_zip.py and
checks what a user unpacks, and that a clean 64-bit Windows 10 or 11 can load both files: every
DLL they import is one such a system ships, or the D3DX runtime that the text asks the user to
install.

    package_test.py MAKE_ZIP.py SCR DLL TEXT
"""
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

# What a clean 64-bit Windows 10 or 11 has in System32 (Wine has these and many more), and
# d3dx9_43.dll, which the user installs with Microsoft's DirectX runtime.
SHIPPED_WITH_WINDOWS = {
    "advapi32.dll", "comctl32.dll", "d3d9.dll", "gdi32.dll", "gdiplus.dll",
    "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "quartz.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "version.dll", "winmm.dll",
}
INSTALLED_BY_THE_USER = {"d3dx9_43.dll"}

IMAGE_FILE_MACHINE_AMD64 = 0x8664
PE32_PLUS = 0x20B
IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


class PeImage:
    """The headers and sections of a PE file, enough to follow its import tables."""

    def __init__(self, data):
        self.data = data
        assert data[:2] == b"MZ", "not a Windows program"
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE header"
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        assert self.magic == PE32_PLUS, "not a 64-bit image"
        directory_count = struct.unpack_from("<I", data, optional + 108)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            virtual_size, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return raw_offset + rva - address
        raise AssertionError("address %#x lies in no section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """The names of every DLL the image imports, at load time or delayed."""
        names = []
        for index, size, name_field in ((IMPORT_DIRECTORY, 20, 12), (DELAY_IMPORT_DIRECTORY, 32, 4)):
            rva, _ = self.directory(index)
            if rva == 0:
                continue
            entry = self.offset(rva)
            while any(self.data[entry:entry + size]):
                names.append(self.text(struct.unpack_from("<I", self.data, entry + name_field)[0]))
                entry += size
        return names


def foreign_imports(data):
    """The imports of a 64-bit image that a clean Windows cannot satisfy."""
    image = PeImage(data)
    assert image.machine == IMAGE_FILE_MACHINE_AMD64, "not an x64 image"
    allowed = SHIPPED_WITH_WINDOWS | INSTALLED_BY_THE_USER
    return [name for name in image.imported_dlls() if name.lower() not in allowed]


def check_imports(scr, dll):
    for path in (scr, dll):
        with open(path, "rb") as f:
            data = f.read()
        foreign = foreign_imports(data)
        assert not foreign, "%s imports what Windows does not ship: %s" % (os.path.basename(path), foreign)
    # The check sees an import it does not know: the program with one import renamed (to a name
    # of the same length, so that nothing else moves) fails it.
    with open(scr, "rb") as f:
        data = f.read()
    first = PeImage(data).imported_dlls()[0]
    stranger = ("w" * (len(first) - 4) + ".dll").encode("ascii")
    renamed = data.replace(first.encode("ascii") + b"\0", stranger + b"\0", 1)
    assert foreign_imports(renamed) == [stranger.decode("ascii")], "a foreign import went unnoticed"


def main(make_zip, scr, dll, text):
    check_imports(scr, dll)
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
