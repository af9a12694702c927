#!/usr/bin/env python3
"""Checks a built Zarn.exe: a GUI executable of the build's machine type (PE32 i386 for the i686
build, PE32+ x86-64 for the x86_64 build) that imports only system DLLs and carries the manifest,
icons, menu and version resource the program needs, and none of the test build's seams.
Usage: check_exe.py <Zarn.exe> <i686|x86_64>"""
import os
import struct
import sys
import unittest

SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "gdiplus.dll", "kernel32.dll", "msimg32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wininet.dll",
    "winmm.dll", "dsound.dll", "version.dll", "uxtheme.dll",
}
RT_ICON, RT_MENU, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 4, 14, 16, 24

# Machine type and optional-header magic of each build.
MACHINES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}

# What the test build's seams read (ZARN_TEST_<name>), as UTF-16.
TEST_SEAM_MARK = "ZARN_TEST_".encode("utf-16-le")

EXE = None
ARCH = None


class Pe:
    """The few parts of a PE file the checks need: header fields, sections, imports, resources."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        self.characteristics = struct.unpack_from("<H", data, pe + 22)[0]
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %x outside every section" % rva)

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def imports(self):
        rva, _ = self.dirs[1]
        names, o = [], self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, o)
            if not any(entry):
                return names
            names.append(self.cstring(entry[3]))
            o += 20

    def resources(self):
        """{type: {name: bytes}} with the first language of each name."""
        base = self.offset(self.dirs[2][0])

        def entries(o):
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                yield key, target

        out = {}
        for type_id, t in entries(base):
            out[type_id] = {}
            for name_id, n in entries(base + (t & 0x7FFFFFFF)):
                _, lang = next(entries(base + (n & 0x7FFFFFFF)))
                rva, size = struct.unpack_from("<II", self.data, base + lang)
                o = self.offset(rva)
                out[type_id][name_id] = self.data[o:o + size]
        return out


class ExecutableChecks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(EXE, "rb") as f:
            cls.pe = Pe(f.read())
        cls.res = cls.pe.resources()

    def test_is_a_gui_executable_of_the_builds_machine_type(self):
        machine, magic = MACHINES[ARCH]
        self.assertEqual(self.pe.machine, machine)
        self.assertEqual(self.pe.magic, magic)
        self.assertEqual(self.pe.subsystem, 2)
        self.assertFalse(self.pe.characteristics & 0x2000, "a DLL, not an executable")

    def test_imports_only_system_dlls(self):
        imported = {n.lower() for n in self.pe.imports()}
        self.assertTrue(imported)
        self.assertEqual(imported - SYSTEM_DLLS, set())

    def test_manifest_asks_for_administrator_and_common_controls_6(self):
        manifest = self.res[RT_MANIFEST][1].decode("utf-8")
        self.assertIn('level="requireAdministrator"', manifest)
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', " ".join(manifest.split()))

    def test_version_resource_reads_3_0_0_2(self):
        version = self.res[RT_VERSION][1]
        fixed = version.index(struct.pack("<I", 0xFEEF04BD))
        ms, ls = struct.unpack_from("<II", version, fixed + 8)
        self.assertEqual((ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF), (3, 0, 0, 2))
        self.assertIn("3.0.0.2".encode("utf-16-le"), version)

    def test_icons_in_index_order_and_the_menu(self):
        groups = sorted(self.res[RT_GROUP_ICON])
        self.assertEqual(groups[:2], [128, 129], "program icon at index 0, portal icon at index 1")
        self.assertIn(155, groups)
        self.assertIn(128, self.res[RT_MENU])

    def test_release_program_has_no_test_seams(self):
        # The test build reads ZARN_TEST_* settings; the release program must not contain the name.
        self.assertNotIn(TEST_SEAM_MARK, self.pe.data)
        test_build = os.path.join(os.path.dirname(EXE), "testbuild", "Zarn.exe")
        if os.path.exists(test_build):
            with open(test_build, "rb") as f:
                self.assertIn(TEST_SEAM_MARK, f.read(), "the mark this check looks for is the test build's")


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[2] not in MACHINES:
        sys.exit("usage: check_exe.py <Zarn.exe> <%s>" % "|".join(MACHINES))
    EXE = sys.argv.pop(1)
    ARCH = sys.argv.pop(1)
    unittest.main()
