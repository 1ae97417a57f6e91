"""The layer check of scripts/check_layers.py, on small trees of its own: which includes it lets
pass and which it reports.

    layers_test.py CHECK_LAYERS.py
"""
import os
import subprocess
import sys
import tempfile

# (including file, its include line, whether the check reports it); the included files exist.
CASES = [
    ("document/Stream.cpp", '#include "document/Stream.h"', False),
    ("document/Stream.cpp", '#include <windows.h>', False),
    ("document/Stream.cpp", '#include "scene/render/Quad.h"', True),
    ("document/params/Param.h", '#include "host/player/Player.h"', True),
    ("scene/lights/Light.cpp", '#include "document/Stream.h"', False),
    ("scene/lights/Light.cpp", '#include "Light.h"', False),
    ("scene/lights/Light.cpp", '#include "host/player/Player.h"', True),
    ("scene/lights/Light.cpp", '#include "../../host/player/Player.h"', True),
    ("scene/lights/Light.cpp", '#  include <host/player/Player.h>', True),
    ("scene/lights/Light.cpp", '#include "host/player/NotYetWritten.h"', True),
    ("host/player/Player.cpp", '#include "scene/render/Quad.h"', False),
    ("host/player/Player.cpp", '#include "tools/docwriter/Writer.h"', True),
    ("tools/docwriter/Writer.cpp", '#include "scene/render/Quad.h"', False),
    ("tools/docwriter/Writer.cpp", '#include "host/player/Player.h"', True),
    ("tools/docwriter/Writer.cpp", '#include "tests/support/Fixture.h"', True),
    ("tests/support/Fixture.h", '#include "host/player/Player.h"', False),
    ("tests/support/Fixture.h", '#include "tools/docwriter/Writer.h"', False),
]
EXISTING = ["document/Stream.h", "scene/render/Quad.h", "scene/lights/Light.h", "host/player/Player.h",
            "tools/docwriter/Writer.h", "tests/support/Fixture.h"]


def write(root, relative, text):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def check(script, root):
    return subprocess.run([sys.executable, "-B", script, root], capture_output=True, text=True)


def main(script):
    failures = []
    for including, line, reported in CASES:
        with tempfile.TemporaryDirectory() as root:
            for name in EXISTING:
                write(root, name, "#pragma once\n")
            write(root, including, "// a file\n%s\nint x;\n" % line)
            result = check(script, root)
            if (result.returncode != 0) != reported or (reported and including + ":2:" not in result.stdout):
                failures.append("%s with %s: %s (exit %d): %s"
                                % (including, line, "should be reported" if reported else "should pass",
                                   result.returncode, result.stdout.strip()))
    for failure in failures:
        print("FAILED:", failure)
    print("%d of %d cases as expected" % (len(CASES) - len(failures), len(CASES)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
