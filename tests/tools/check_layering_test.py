#!/usr/bin/env python3
"""tools/check-layering on trees of one source each: what it refuses and what it lets through."""

import os
import subprocess
import tempfile
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check-layering")

# (file, include line, refused)
CASES = [
    ("search/a.cpp", "#include <app/main_dialog.h>", True),
    ("search/a.cpp", '#include "../app/main_dialog.h"', True),
    ("search/deep/a.cpp", '#include "../../ui/platform.h"', True),
    ("search/a.cpp", '#include "app/main_dialog.h"', True),
    ("app/a.cpp", '#include "cli/cli.h"', True),
    ("ui/a.cpp", "#include <cli/cli.h>", True),
    ("tests/search/a_test.cpp", '#include "app/main_dialog.h"', True),
    ("tests/dictionary/a_test.cpp", '#include "ui/cp932_codec.h"', True),
    ("bench/a.cpp", '#include "ui/qt/qt_platform.h"', True),
    ("dictionary/a.cpp", "#include <unistd.h>", True),
    ("search/a.cpp", "#include <sys/stat.h>", True),
    ("search/a.cpp", "#include <QWidget>", True),
    ("puzzle/a.cpp", "#include <qglobal.h>", True),
    ("files/a.cpp", "#include <unistd.h>", False),
    ("search/a.cpp", "#include <queue>", False),
    ("search/a.cpp", '#include "files/atomic_file.h"', False),
    ("ui/qt/a.cpp", "#include <QWidget>", False),
    ("app/main.cpp", '#include "ui/qt/qt_platform.h"', False),
    ("cli/a.cpp", '#include "app/main_dialog.h"', False),
    ("tests/app/a_test.cpp", '#include "ui/platform.h"', False),
    ("tests/search/a_test.cpp", '#include "support/fill_checker.h"', False),
    ("tests/support/a.cpp", '#include "app/main_dialog.h"', False),
    ("fuzz/a.cpp", '#include "cli/headless_platform.h"', False),
    ("search/a.cpp", '#include "print/puzzle_pages.h"', True),
    ("print/puzzle_pages.h", "#include <QPainter>", True),
    ("print/page_painter.cpp", "#include <QPainter>", True),
    ("ui/qt/page_painter.cpp", '#include "print/puzzle_pages.h"', False),
    ("cli/a.cpp", '#include "print/puzzle_pages.h"', False),
]


class CheckLayering(unittest.TestCase):
    def test_each_include(self):
        for path, line, refused in CASES:
            with self.subTest(path=path, line=line), tempfile.TemporaryDirectory() as tree:
                os.makedirs(os.path.join(tree, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(tree, path), "w") as source:
                    source.write(line + "\n")
                done = subprocess.run([CHECK, tree], capture_output=True, text=True, check=False)
                self.assertEqual(done.returncode != 0, refused, done.stderr)


if __name__ == "__main__":
    unittest.main()
