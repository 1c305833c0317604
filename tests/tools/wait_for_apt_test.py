#!/usr/bin/env python3
"""tools/wait-for-apt, which tools/setup runs before apt-get, on lock files of its own."""

import fcntl
import os
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "wait-for-apt")

# Holds an fcntl lock on a file, as apt does, until its standard input closes.
HOLDER = """
import fcntl, sys
lock = open(sys.argv[1], "r+")
fcntl.lockf(lock, fcntl.LOCK_EX)
print("held", flush=True)
sys.stdin.read()
"""


class WaitForApt(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.free = os.path.join(self.folder.name, "free")
        self.taken = os.path.join(self.folder.name, "taken")
        for path in (self.free, self.taken):
            open(path, "w").close()
        self.holder = subprocess.Popen([sys.executable, "-c", HOLDER, self.taken],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.assertEqual(self.holder.stdout.readline(), "held\n")

    def tearDown(self):
        if self.holder.poll() is None:
            self.holder.stdin.close()
            self.holder.wait()
        self.folder.cleanup()

    def run_tool(self, seconds, *locks):
        return subprocess.Popen([TOOL, "--seconds", str(seconds), *locks],
                                stderr=subprocess.PIPE, text=True)

    def test_free_or_missing_locks_pass_at_once_and_silently(self):
        done = subprocess.run([TOOL, "--seconds", "5", self.free,
                               os.path.join(self.folder.name, "missing")],
                              capture_output=True, text=True, check=False)
        self.assertEqual((done.returncode, done.stderr), (0, ""))

    def test_says_that_it_waits_and_goes_on_once_the_lock_is_let_go(self):
        waiting = self.run_tool(60, self.free, self.taken)
        time.sleep(1.5)
        self.assertIsNone(waiting.poll())  # still waiting
        self.holder.stdin.close()
        self.holder.wait()
        _, err = waiting.communicate(timeout=10)
        self.assertEqual(waiting.returncode, 0)
        self.assertEqual(err, f"setup: another apt or dpkg run holds {self.taken}; "
                              "waiting for it (at most 1 minute)\n")

    def test_gives_up_after_the_time_given(self):
        waiting = self.run_tool(2, self.taken)
        _, err = waiting.communicate(timeout=10)
        self.assertEqual(waiting.returncode, 1)
        self.assertIn("waiting for it (at most 2 seconds)", err)
        self.assertIn(f"the package manager is still busy ({self.taken} is held)", err)


if __name__ == "__main__":
    unittest.main()
