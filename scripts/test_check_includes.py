"""Tests of check-includes.py on small trees of its own."""
import importlib.util
import pathlib
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parent / "check-includes.py"
spec = importlib.util.spec_from_file_location("check_includes", SCRIPT)
check_includes = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_includes)


class Tree:
    """A temporary repository: files given as {relative path: text}."""

    def __init__(self, files):
        self.folder = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.folder.name)
        for path, text in files.items():
            target = self.root / path
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_text(text, encoding="utf-8")

    def run(self):
        return subprocess.run([sys.executable, str(SCRIPT), str(self.root)], capture_output=True, text=True)

    def close(self):
        self.folder.cleanup()


# A tree whose every include runs downwards, including each of the rules' allowances.
CLEAN = {
    "cmake/BuildHosts.h.in": "",
    "tests/support/Helper_win.h": "",
    "src/base/Strings.h": "#pragma once\n",
    "src/framework/Handle.h": '#include "base/Strings.h"\n#include "testbuild/TestBuild.h"\n',
    "src/app/Program_win.h": '#include "framework/Handle.h"\n',
    "src/app/Urls.cpp": '#include "BuildHosts.h"\n',
    "src/protocol/HotKey.h": '#include "base/Strings.h"\n',
    "src/settings/HotKeyText.h": '#include "protocol/HotKey.h"\n#include "app/Program_win.h"\n',
    "src/gamewnd/Frame_win.cpp": '#include "protocol/HotKey.h"\n#include "mute/SoundMute_win.h"\n',
    "src/mute/SoundMute_win.h": '#include "intercept/Transaction_win.h"\n',
    "src/intercept/Transaction_win.h": "",
    "src/launcher/Dlg_win.cpp": '#include "gamewnd/Frame_win.h"\n#include "protocol/HotKey.h"\n',
    "src/testbuild/TestBuild.h": "",
    "src/testbuild/TestBuildOn_win.cpp": '#include "framework/Handle.h"\n#include "testbuild/TestBuild.h"\n',
    "src/app/Plexo3App_win.cpp": '#include "launcher/Dlg_win.h"\n#include "app/Program_win.h"\n',
}


class CheckIncludes(unittest.TestCase):
    def faults(self, extra):
        tree = Tree({**CLEAN, **extra})
        try:
            return check_includes.check(tree.root)
        finally:
            tree.close()

    def test_a_tree_that_runs_downwards_passes(self):
        tree = Tree(CLEAN)
        try:
            result = tree.run()
        finally:
            tree.close()
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertIn("every include runs downwards", result.stdout)

    def test_an_include_upwards_fails_naming_the_file_and_the_include(self):
        tree = Tree({**CLEAN, "src/gamewnd/View_win.cpp": '// the view\n#include "launcher/Dlg_win.h"\n'})
        try:
            result = tree.run()
        finally:
            tree.close()
        self.assertEqual(result.returncode, 1)
        self.assertIn('src/gamewnd/View_win.cpp:2: #include "launcher/Dlg_win.h"', result.stdout)
        self.assertIn("gamewnd may not include launcher", result.stdout)

    def test_the_rooms_the_layout_keeps_apart(self):
        cases = {
            "src/browser/Login_win.cpp": "gamewnd/GameWindow_win.h",
            "src/base/FileTree_win.cpp": "framework/Handle.h",
            "src/stats/Statistics_win.cpp": "app/Plexo3App_win.h",
            "src/app/Program_win.cpp": "update/Md5.h",
            "src/protocol/Area.h": "launcher/TabStrip.h",
        }
        for source, included in cases.items():
            with self.subTest(source=source):
                faults = self.faults({source: '#include "%s"\n' % included})
                self.assertEqual(len(faults), 1, faults)
                self.assertIn('%s:1: #include "%s"' % (source, included), faults[0])

    def test_the_start_up_of_app_is_on_top_and_the_rest_of_app_low(self):
        self.assertEqual(self.faults({"src/app/EntryPoint_win.cpp": '#include "launcher/Dlg_win.h"\n'}), [])
        faults = self.faults({"src/app/Settings_win.cpp": '#include "stats/Statistics_win.h"\n'})
        self.assertEqual(len(faults), 1, faults)

    def test_product_code_never_includes_test_code(self):
        faults = self.faults({"src/launcher/Tabs_win.cpp": '#include "support/Helper_win.h"\n'})
        self.assertEqual(len(faults), 1, faults)
        self.assertIn("is test code", faults[0])

    def test_the_seams_stay_low_and_base_stays_free_of_them(self):
        self.assertEqual(len(self.faults({"src/testbuild/Commands_win.cpp": '#include "gamewnd/Frame_win.h"\n'})), 1)
        self.assertEqual(len(self.faults({"src/base/Product.h": '#include "testbuild/TestBuild.h"\n'})), 1)

    def test_unknown_rooms_and_headers_are_reported(self):
        self.assertEqual(len(self.faults({"src/launcher/A.h": '#include "Nowhere.h"\n'})), 1)
        self.assertEqual(len(self.faults({"src/launcher/B.h": '#include "misc/Thing.h"\n'})), 1)
        self.assertEqual(len(self.faults({"src/misc/Thing.h": ""})), 1)


if __name__ == "__main__":
    unittest.main()
