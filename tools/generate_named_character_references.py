#!/usr/bin/env python3
"""Writes platform/dom/HTMLNamedCharacterReferences.cpp, the tokenizer's table
of named character references, from resources/HTML5-entities.json (the table
the writer uses, made by generate_entities.py).

Each reference becomes its name without "&", the number of UTF-16 units of
its characters (1 or 2) and those units, sorted by name in byte order so
that the names sharing a prefix are adjacent.

  generate_named_character_references.py [--check] [JSON [CPP]]

With --check it writes nothing and exits with 1 when the file differs from
what the table makes. Run it after changing the table and commit the result.
"""

import json
import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
JSON_PATH = os.path.join(ROOT, "resources", "HTML5-entities.json")
CPP_PATH = os.path.join(ROOT, "platform", "dom", "HTMLNamedCharacterReferences.cpp")

HEADER = """\
// The named character references of HTML, sorted by name (byte order) for
// the tokenizer's longest-match search. Made from resources/HTML5-entities.json,
// the table the writer uses; names without ";" are the legacy ones a
// reference may end without.
#include "platform/dom/HTMLNamedCharacterReferences.h"

namespace brevanton {

namespace {

const HTMLNamedCharacterReference references[] = {
"""

FOOTER = """\
};

} // namespace

std::span<const HTMLNamedCharacterReference> htmlNamedCharacterReferences()
{
    return references;
}

} // namespace brevanton
"""


def utf16_units(characters):
    data = characters.encode("utf-16-le")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def entry(reference, characters):
    if not reference.startswith("&") or len(reference) < 2:
        raise ValueError("not a reference: %r" % reference)
    name = reference[1:]
    if not all(c.isascii() and (c.isalnum() or c == ";") for c in name):
        raise ValueError("not a reference name: %r" % reference)
    units = utf16_units(characters)
    if not 1 <= len(units) <= 2:
        raise ValueError("%s: %d UTF-16 units, the table holds 1 or 2" % (reference, len(units)))
    padded = units + [0] * (2 - len(units))
    return name, '    { "%s", %d, { 0x%04X, 0x%04X } },\n' % (name, len(units), padded[0], padded[1])


def make_source(table):
    entries = sorted(entry(reference, value["characters"]) for reference, value in table.items())
    return HEADER + "".join(line for _, line in entries) + FOOTER


def main(argv):
    check = "--check" in argv
    paths = [arg for arg in argv if arg != "--check"]
    json_path = paths[0] if len(paths) > 0 else JSON_PATH
    cpp_path = paths[1] if len(paths) > 1 else CPP_PATH
    with open(json_path, encoding="utf-8") as f:
        try:
            source = make_source(json.load(f))
        except ValueError as error:
            print("%s: %s" % (json_path, error), file=sys.stderr)
            return 2
    if check:
        with open(cpp_path, encoding="utf-8", newline="") as f:
            if f.read() != source:
                print("%s differs from what %s makes" % (cpp_path, json_path), file=sys.stderr)
                return 1
        return 0
    with open(cpp_path, "w", encoding="utf-8", newline="") as f:
        f.write(source)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
