#!/usr/bin/env python3
"""Runs scripts/check-layering on small trees made for each case, and on the
source tree it belongs to."""

import os
import subprocess
import sys
import tempfile
import textwrap
import time
import unittest

SOURCE_ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPT = os.path.join(SOURCE_ROOT, "scripts", "check-layering")

# base <- middle <- top, and base/inner (a library inside base's folder) on
# base alone; a program in programs/tool/ links middle, and fuzz/ holds one
# program linking base only.
CMAKE_LISTS = """\
cmake_minimum_required(VERSION 3.25)
brevanton_library(base DEPENDS Threads::Threads PkgConfig::ICU)
# brevanton_library(base DEPENDS brevanton_top): a comment declares nothing
brevanton_library(base/inner DEPENDS brevanton_base)
brevanton_library(middle DEPENDS brevanton_base
    "external_library")
brevanton_library(top DEPENDS brevanton_middle)
if(FUZZING)
  add_subdirectory(fuzz)
  return()
endif()
add_executable(tool programs/tool/main.cpp)
target_link_libraries(tool PRIVATE brevanton_middle Threads::Threads)
"""

FUZZ_CMAKE_LISTS = """\
foreach(fuzzer ParserFuzzer)
  add_executable(${fuzzer} ${fuzzer}.cpp)
  target_link_libraries(${fuzzer} PRIVATE brevanton_base)
endforeach()
"""

CLEAN_FILES = {
    "base/Base.h": "#pragma once\n#include <string>\n#include \"zlib.h\"\n",
    "base/Base.cpp": "#include \"base/Base.h\"\n",
    "base/inner/Inner.h": "#include \"base/Base.h\"\n",
    "middle/Middle.h": "#include \"base/Base.h\"\n#include \"Middle2.h\"\n",
    "middle/Middle2.h": "",
    "top/Top.cpp": "#include \"middle/Middle.h\"\n#include \"../base/Base.h\"\n",
    "tests/middle/MiddleTests.cpp": "#include \"middle/Middle.h\"\n#include \"tests/base/BaseTestSupport.h\"\n",
    "tests/base/BaseTestSupport.h": "#include \"base/Base.h\"\n",
    "tests/base/inner/InnerTests.cpp": "#include \"base/inner/Inner.h\"\n",
    "tests/Environment.cpp": "#include <cstdlib>\n",
    "tests/data/page.h": "#include \"top/Top.h\"\n",
    "programs/tool/main.cpp": "#include \"middle/Middle.h\"\n#include \"base/Base.h\"\n#include \"ToolSupport.h\"\n",
    "programs/tool/ToolSupport.h": "#include \"middle/Middle.h\"\n",
    "fuzz/CMakeLists.txt": FUZZ_CMAKE_LISTS,
    "fuzz/ParserFuzzer.cpp": "#include \"base/Base.h\"\n",
    "top/Top.h": "",
}


class CheckLayeringTest(unittest.TestCase):
    def run_check(self, extra_files=None, cmake_lists=CMAKE_LISTS):
        with tempfile.TemporaryDirectory() as root:
            files = dict(CLEAN_FILES, **(extra_files or {}))
            files["CMakeLists.txt"] = cmake_lists
            for path, text in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as file:
                    file.write(text)
            result = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
            return result.returncode, result.stdout

    def assert_fault(self, files, location, *words, cmake_lists=CMAKE_LISTS):
        status, output = self.run_check(files, cmake_lists)
        self.assertEqual(status, 1, output)
        self.assertEqual(len(output.splitlines()), 1, output)
        self.assertTrue(output.startswith(location + ":"), output)
        for word in words:
            self.assertIn(word, output)

    def test_a_tree_that_keeps_its_layers_passes(self):
        # Transitive use, includes beside the file and through "..", nested
        # libraries, tests with test support, programs with their links and
        # headers, and includes of files outside the tree.
        self.assertEqual(self.run_check(), (0, ""))

    def test_an_include_of_a_layer_above_fails_naming_file_line_and_libraries(self):
        self.assert_fault({"base/Base.cpp": "#include \"base/Base.h\"\n\n#include \"top/Top.h\"\n"},
                          "base/Base.cpp:3", "base includes top/Top.h of top")
        # A header alone is enough, and a sibling is no more allowed than a layer above.
        self.assert_fault({"middle/Middle2.h": "// notes\n#include \"../top/Top.h\"\n"},
                          "middle/Middle2.h:2", "middle includes top/Top.h of top")
        self.assert_fault({"base/inner/Inner.h": "#include \"middle/Middle.h\"\n"},
                          "base/inner/Inner.h:1", "base/inner includes middle/Middle.h of middle")

    def test_a_library_inside_another_folder_is_a_library_of_its_own(self):
        self.assert_fault({"base/Base.cpp": "#include \"base/inner/Inner.h\"\n"},
                          "base/Base.cpp:1", "base includes base/inner/Inner.h of base/inner")

    def test_tests_use_what_their_library_may_and_libraries_use_no_tests(self):
        self.assert_fault({"tests/middle/MiddleTests.cpp": "#include \"top/Top.h\"\n"},
                          "tests/middle/MiddleTests.cpp:1", "the tests of middle", "top/Top.h")
        self.assert_fault({"tests/base/inner/InnerTests.cpp": "#include \"middle/Middle.h\"\n"},
                          "tests/base/inner/InnerTests.cpp:1", "the tests of base/inner")
        self.assert_fault({"top/Top.cpp": "#include \"tests/base/BaseTestSupport.h\"\n"},
                          "top/Top.cpp:1", "tests/base/BaseTestSupport.h")
        # Support built into every test executable may use only what every one may.
        self.assert_fault({"tests/Environment.cpp": "#include \"base/inner/Inner.h\"\n"},
                          "tests/Environment.cpp:1", "base/inner/Inner.h")

    def test_programs_use_what_they_link(self):
        self.assert_fault({"programs/tool/main.cpp": "#include \"top/Top.h\"\n"},
                          "programs/tool/main.cpp:1", "program tool includes top/Top.h of top")
        self.assert_fault({"programs/tool/ToolSupport.h": "#include \"top/Top.h\"\n"},
                          "programs/tool/ToolSupport.h:1", "program tool")
        self.assert_fault({"fuzz/ParserFuzzer.cpp": "#include \"middle/Middle.h\"\n"},
                          "fuzz/ParserFuzzer.cpp:1", "program ParserFuzzer")
        self.assert_fault({"middle/Middle.h": "#include \"programs/tool/ToolSupport.h\"\n"},
                          "middle/Middle.h:1", "programs/tool/ToolSupport.h")

    def test_a_library_kept_from_a_folder_never_reaches_it(self):
        # top never uses base/inner and never includes base, which it depends on.
        kept = CMAKE_LISTS.replace("brevanton_library(top DEPENDS",
                                   "set(LOWER base/inner)\nbrevanton_library(top NEVER_USES ${LOWER} NEVER_INCLUDES base DEPENDS")
        top = {"top/Top.cpp": "#include \"middle/Middle.h\"\n"}
        self.assertEqual(self.run_check(top, kept), (0, ""))
        self.assert_fault(dict(top, **{"tests/top/TopTests.cpp": "#include \"base/Base.h\"\n"}), "tests/top/TopTests.cpp:1",
                          "the tests of top includes base/Base.h of base, which top never includes", cmake_lists=kept)
        self.assert_fault(top, "CMakeLists.txt:1", "top depends on base/inner, which top must never use",
                          cmake_lists=kept.replace("DEPENDS brevanton_middle", "DEPENDS brevanton_middle brevanton_base_inner"))

    def test_a_source_file_of_nothing_built_is_reported(self):
        self.assert_fault({"programs/other/main.cpp": ""}, "programs/other/main.cpp:1",
                          "belongs to no library")

    def test_the_source_tree_passes_quickly(self):
        started = time.monotonic()
        result = subprocess.run([sys.executable, SCRIPT, SOURCE_ROOT], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertLess(time.monotonic() - started, 5)


if __name__ == "__main__":
    unittest.main()
