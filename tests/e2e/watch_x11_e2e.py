"""The idle watcher on a plain X server (Xvfb): idle from the server's own counter, the show
after the wait and again after a key ended it, the watcher's end with the server; it leaves
the session to a running XScreenSaver; with no session at all it says so and fails."""

import os
import pwd
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import wait_until  # noqa: E402
from xsession import SAVER, Saver, VirtualScreen  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second


class WatcherOnX11(unittest.TestCase):
    def setUp(self):
        self.screen = VirtualScreen(800, 600)
        self.addCleanup(self.screen.close)
        self.saver = Saver(self.screen)
        self.addCleanup(self.saver.close)
        photos = self.saver.photos([("63COUPE.JPG", "#30c030")])
        with open(self.saver.ini, "w", encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval=1\nPelandrasDir={photos}\n[Watch]\nMinutes={WAIT}\n")

    def watch(self):
        env = {k: v for k, v in self.saver.env().items() if not k.startswith("DBUS_")
               and k != "WAYLAND_DISPLAY"}
        env["PELANDRA_WATCH_MINUTE_MS"] = "1000"
        return subprocess.Popen([SAVER, "--watch"], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)

    def test_starts_after_the_wait_again_after_a_key_and_ends_with_the_session(self):
        watcher = self.watch()
        self.addCleanup(watcher.stderr.close)
        self.addCleanup(watcher.wait, 10)
        self.addCleanup(watcher.kill)
        lines = []

        def next_line():
            lines.append(watcher.stderr.readline().strip())
            return lines[-1]

        self.assertIn("IDLETIME", next_line())
        for _ in range(2):
            self.screen.xdotool("key", "x")
            pressed = time.monotonic()
            self.assertIn("show started", next_line(), lines)
            self.assertGreaterEqual(time.monotonic() - pressed, WAIT - 0.5)
            self.assertTrue(wait_until(lambda: self.screen.xdotool(
                "search", "--onlyvisible", "--name", "Form1").strip(), 10), lines)
            time.sleep(0.5)
            self.screen.xdotool("key", "x")
            self.assertIn("show ended", next_line(), lines)
        self.screen.close()  # the session ends
        self.assertEqual(watcher.wait(timeout=10), 0)

    def test_leaves_the_session_to_xscreensaver(self):
        if not shutil.which("xscreensaver"):
            self.skipTest("XScreenSaver is not installed")
        user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] \
            if os.geteuid() == 0 else []
        home = self.saver.home
        if user:
            shutil.chown(home, pwd.getpwnam("nobody").pw_uid)
        daemon = subprocess.Popen([*user, "xscreensaver", "-no-splash"],
                                  env=dict(self.screen.env(), HOME=home),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(daemon.wait, 10)
        self.addCleanup(daemon.terminate)
        self.assertTrue(wait_until(lambda: self.screen.xdotool(
            "search", "--class", "XScreenSaver").strip(), 10), "XScreenSaver did not start")
        watcher = self.watch()
        _, said = watcher.communicate(timeout=20)
        self.assertEqual(watcher.returncode, 0, said)
        self.assertIn("XScreenSaver", said)

    def test_without_a_session_it_says_so_and_fails(self):
        watcher = subprocess.run([SAVER, "--watch"], env={"PATH": os.defpath, "HOME": "/"},
                                 capture_output=True, text=True, timeout=20)
        self.assertNotEqual(watcher.returncode, 0)
        self.assertEqual(len(watcher.stderr.strip().splitlines()), 1, watcher.stderr)


if __name__ == "__main__":
    unittest.main()
