#!/usr/bin/env python3
"""Runs tools/generate_named_character_references.py on the tree it belongs to
and on small tables made for each case."""

import json
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                      "generate_named_character_references.py")


def run(*args):
    return subprocess.run([sys.executable, SCRIPT, *args], capture_output=True, text=True).returncode


class GenerateNamedCharacterReferencesTests(unittest.TestCase):
    def test_committed_table_is_what_the_json_makes(self):
        self.assertEqual(run("--check"), 0)

    def test_small_tables(self):
        cases = [  # (table, entry lines; None where the generator refuses the table)
            ({"&amp;": "&", "&AMP": "&", "&Afr;": "\U0001D504", "&acE;": "\u223e\u0333"},
             ['{ "AMP", 1, { 0x0026, 0x0000 } },', '{ "Afr;", 2, { 0xD835, 0xDD04 } },',
              '{ "acE;", 2, { 0x223E, 0x0333 } },', '{ "amp;", 1, { 0x0026, 0x0000 } },']),
            ({"&three;": "\U0001D504\u0333"}, None),
            ({"&q\"uote;": "x"}, None),
        ]
        for table, expected in cases:
            with self.subTest(table=table), tempfile.TemporaryDirectory() as folder:
                json_path, cpp_path = os.path.join(folder, "t.json"), os.path.join(folder, "t.cpp")
                with open(json_path, "w", encoding="utf-8") as f:
                    json.dump({name: {"characters": text} for name, text in table.items()}, f)
                self.assertEqual(run(json_path, cpp_path), 2 if expected is None else 0)
                if expected is None:
                    continue
                with open(cpp_path, encoding="utf-8") as f:
                    self.assertEqual([line.strip() for line in f if line.startswith('    { "')], expected)
                with open(cpp_path, "a", encoding="utf-8") as f:
                    f.write("// edited by hand\n")
                self.assertEqual(run("--check", json_path, cpp_path), 1)


if __name__ == "__main__":
    unittest.main()
