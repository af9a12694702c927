"""Tests of what scripts/session-report.py makes of a followed session: run
`python3 -m unittest scripts/test_session_report.py`."""

import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "session-report.py")
spec = importlib.util.spec_from_file_location("session_report", SCRIPT)
report = importlib.util.module_from_spec(spec)
spec.loader.exec_module(report)

T0 = 1000.0


def write(folder, name, lines):
    with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))


def window(t, pid, handle, cls, title, size, state, role, parent=""):
    fields = [f"{T0 + t:.2f}", str(pid), handle, cls, title, size, state, role]
    return "\t".join(fields + ([parent] if parent else []))


class SessionReportTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        os.mkdir(os.path.join(self.dir, "shots"))
        write(self.dir, "processes.tsv", [
            f"start\t{T0 + 0.2}\t11\t/build/Zarn.exe",
            f"start\t{T0 + 0.5}\t12\tC:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe",
            f"end\t{T0 + 0.6}\t11",
            f"start\t{T0 + 0.8}\t13\tC:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe /newgm /65554 /0",
            f"end\t{T0 + 9.0}\t13"])
        write(self.dir, "windows.log", [
            window(0.5, 376, "a1", "#32770", "MirelCorvale", "1x1", "shown", "launcher"),
            window(0.7, 400, "b2", "#32770", "MirelCorvale", "851x521", "shown", "login backdrop"),
            window(0.7, 400, "c3", "#32770", "", "851x521", "hidden", "page dialog"),
            f"{T0 + 4.0:.2f}\tgone\tb2",
            window(4.1, 376, "a1", "#32770", "MirelCorvale", "1280x800", "shown", "launcher"),
            window(4.2, 400, "d4", "ZarnFrame", "MirelCorvale", "1272x766", "shown", "game frame",
                   "child of #32770 (process 376)")])
        write(self.dir, "links.txt", ["Desktop\\MirelCorvale极速登录器.lnk: C:\\Zarn.exe /ZarnD"])
        write(self.dir, "portal.jsonl", [
            json.dumps({"time": T0 + 0.4, "method": "GET", "path": "/install.htm?count=1", "cookies": {}}),
            json.dumps({"time": T0 + 5.0, "method": "GET", "path": "/qzone/callback.do?code=1",
                        "cookies": {"Pauth": "PA1"}}),
            "not json"])

    def tearDown(self):
        self.tmp.cleanup()

    def run_report(self, shots=()):
        for i, (t, caption) in enumerate(shots):
            subprocess.run(["convert", "-size", "64x40", "xc:black", os.path.join(self.dir, "shots", f"s{i}.png")],
                           check=True)
        write(self.dir, "shots.tsv", [f"{T0 + t}\ts{i}.png\t{caption}" for i, (t, caption) in enumerate(shots)])
        done = subprocess.run([sys.executable, SCRIPT, "--dir", self.dir, "--start", str(T0), "--what", "a run",
                               "--build", "x86_64"], capture_output=True, text=True, check=True)
        with open(os.path.join(self.dir, "session.txt"), encoding="utf-8") as f:
            return done.stdout, f.read()

    def test_the_text_tells_processes_windows_shortcuts_and_requests(self):
        printed, text = self.run_report([(0.9, "")])
        self.assertIn(f"contact sheet: {os.path.join(self.dir, 'contact-sheet.png')}", printed)
        self.assertIn(f"what it saw:   {os.path.join(self.dir, 'session.txt')}", printed)
        self.assertTrue(os.path.exists(os.path.join(self.dir, "contact-sheet.png")))
        self.assertIn("    +0.2 s to   +0.6 s:  /build/Zarn.exe", text)
        self.assertIn("    +0.5 s to still running at the end:  C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe", text)
        self.assertIn("    +0.8 s to   +9.0 s:  C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe /newgm /65554 /0", text)
        lines = text.splitlines()
        launcher = [l for l in lines if " launcher " in l]
        self.assertEqual(len(launcher), 1)
        self.assertIn('"MirelCorvale"  1x1 -> 1280x800', launcher[0])
        self.assertRegex(text, r"login backdrop .*851x521  \(gone \+4\.0 s\)")
        self.assertRegex(text, r"page dialog .*\(never shown\)")
        self.assertRegex(text, r"game frame .*\(child of #32770 \(process 376\)\)")
        self.assertIn("  Desktop\\MirelCorvale极速登录器.lnk: C:\\Zarn.exe /ZarnD", text)
        self.assertIn("    +0.4 s  GET /install.htm?count=1", text)
        self.assertIn("    +5.0 s  GET /qzone/callback.do?code=1  (cookie Pauth)", text)
        self.assertNotIn("HTML engine", text)

    def test_the_missing_html_engine_is_told_once(self):
        write(self.dir, "wine.log", ["Could not find Wine Gecko. HTML rendering will be disabled."] * 3)
        _, text = self.run_report()
        self.assertEqual(text.count("no HTML engine"), 1)

    def test_a_picture_is_labelled_with_what_was_on_show_then(self):
        events = report.window_events(self.dir)
        self.assertEqual(report.shown_at(events, T0 + 0.1), "")
        # The lookout's look just after the screenshot still counts.
        self.assertEqual(report.shown_at(events, T0 + 0.5), "launcher 1x1, login backdrop 851x521")
        self.assertEqual(report.shown_at(events, T0 + 5.0), "launcher 1280x800, game frame 1272x766 (not drawn)")

    def test_without_screenshots_there_is_no_sheet(self):
        printed, _ = self.run_report()
        self.assertIn("contact sheet: (no screenshots)", printed)


if __name__ == "__main__":
    unittest.main()
