#!/usr/bin/env python3
"""Writes the named character reference tables "HTML4-entities.json" and
"HTML5-entities.json" into resources/ from Python's html.entities.

Each file is a JSON object from the reference as written ("&amp;", and for
the legacy references also "&amp") to {"characters": "..."}.

HTML 4.01 has 252 references, all with a trailing semicolon. Two of them
differ from the HTML 5 names of the same spelling: HTML 4's lang and rang are
U+2329 and U+232A, while HTML 5 maps them to U+27E8 and U+27E9. HTML 4 has no
apos (it came with XML and HTML 5).
"""

import html.entities
import json
import os
import sys

HTML4_OVERRIDES = {"lang": "\u2329", "rang": "\u232a"}


def html4_table():
    table = {}
    for name, code_point in html.entities.name2codepoint.items():
        characters = HTML4_OVERRIDES.get(name, chr(code_point))
        table["&" + name + ";"] = {"characters": characters}
    return table


def html5_table():
    table = {}
    for name, characters in html.entities.html5.items():
        table["&" + name] = {"characters": characters}
    return table


def write(path, table):
    with open(path, "w", encoding="utf-8") as f:
        json.dump(table, f, ensure_ascii=False, indent=1, sort_keys=True)
        f.write("\n")


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    if len(sys.argv) > 1:
        root = sys.argv[1]
    html4 = html4_table()
    html5 = html5_table()
    assert len(html4) == 252, len(html4)
    assert "&apos;" not in html4
    assert len(html5) == 2231, len(html5)
    write(os.path.join(root, "HTML4-entities.json"), html4)
    write(os.path.join(root, "HTML5-entities.json"), html5)


if __name__ == "__main__":
    main()
