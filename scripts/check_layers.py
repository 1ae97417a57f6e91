"""Checks that every #include of the source tree keeps to the layers:

    document  <-  scene  <-  host        (each may use the layers to its left)
    tools     may use document and scene
    resources may use the product's layers (document, scene, host)
    tests     may use everything

An include counts for the layer whose folder it names: it is looked up beside the including file
first, then from the top of the tree, and a path that names a layer folder counts for that layer
even when the file does not exist (yet). Includes of anything else (the platform's headers,
generated files) are not checked.

    check_layers.py [ROOT]     prints each include against the layers; exit status 1 if any
"""
import os
import re
import sys

# Which layers a file of each layer may include.
ALLOWED = {
    "document": {"document"},
    "scene": {"document", "scene"},
    "host": {"document", "scene", "host"},
    "tools": {"document", "scene", "tools"},
    "resources": {"document", "scene", "host", "resources"},
    "tests": {"document", "scene", "host", "tools", "resources", "tests"},
}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".c", ".inl", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def layer_of(relative_path):
    """The layer of a path relative to the root, or None outside the layers."""
    first = relative_path.replace("\\", "/").split("/", 1)[0]
    return first if first in ALLOWED else None


def included_layer(root, including_dir, name):
    """The layer that `#include name` in a file of `including_dir` reaches, or None."""
    for base in (including_dir, root):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, root)
            if not relative.startswith(".."):
                return layer_of(relative)
    return layer_of(name)


def violations(root):
    """Every include against the layers, as (file, line number, included name, file's layer)."""
    found = []
    for layer in sorted(ALLOWED):
        top = os.path.join(root, layer)
        for folder, subfolders, files in os.walk(top):
            subfolders.sort()
            for file_name in sorted(files):
                if not file_name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, file_name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        reached = included_layer(root, folder, match.group(1))
                        if reached is not None and reached not in ALLOWED[layer]:
                            found.append((os.path.relpath(path, root), number, match.group(1), layer))
    return found


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    found = violations(root)
    for path, number, name, layer in found:
        print("%s:%d: includes \"%s\", but %s may use only %s"
              % (path, number, name, layer, ", ".join(sorted(ALLOWED[layer]))))
    if found:
        print("%d include(s) against the layers" % len(found))
        return 1
    print("includes keep to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
