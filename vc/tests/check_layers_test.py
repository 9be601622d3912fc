#!/usr/bin/env python3
"""Tests of vc/check_layers.py over small made-up trees."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "check_layers.py")


class CheckLayersTest(unittest.TestCase):
    def run_over(self, files):
        with tempfile.TemporaryDirectory() as root:
            for name, text in files.items():
                path = os.path.join(root, name)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
            done = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
            return done.returncode, done.stdout

    def test_includes_downwards_pass(self):
        rc, out = self.run_over({
            "vc/error_codes.h": "",
            "vc/instance/instance.h": '#include "vc/error_codes.h"\n',
            "vc/archive/format/archive_model.h": "",
            "vc/archive/archive_handles.h": '#include "vc/instance/instance.h"\n'
                                           '#include "vc/archive/format/archive_model.h"\n',
            "vc/project/tests/x_test.cpp": '#include "vc/depends/make_rules.h"\n',
        })
        self.assertEqual(rc, 0, out)

    def test_include_upwards_fails_naming_file_and_include(self):
        rc, out = self.run_over({
            "vc/instance/instance.h": '#include "vc/archive/current_work.h"\n',
            "vc/archive/current_work.h": "",
        })
        self.assertEqual(rc, 1)
        self.assertIn("vc/instance/instance.h:1: includes vc/archive/current_work.h", out)

    def test_subfolder_is_a_layer_of_its_own(self):
        rc, out = self.run_over({
            "vc/archive/format/archive_model.h": '#include "vc/archive/archive_handles.h"\n',
            "vc/archive/archive_handles.h": "",
        })
        self.assertEqual(rc, 1)
        self.assertIn("vc/archive/format -> vc/archive", out)

    def test_folders_of_one_layer_stay_apart(self):
        rc, out = self.run_over({
            "vc/security/a.cpp": '#include "vc/netware/b.h"\n',
            "vc/netware/b.h": "",
        })
        self.assertEqual(rc, 1)
        self.assertIn("the same layer", out)

    def test_folder_without_a_layer_fails(self):
        rc, out = self.run_over({"vc/newthing/a.cpp": '#include "vc/error_codes.h"\n'})
        self.assertEqual(rc, 1)
        self.assertIn("vc/newthing has no layer", out)


if __name__ == "__main__":
    unittest.main()
