"""The idle watcher on Debian's sway 1.7 (KDE's idle protocol): it starts the full-screen
show after the wait, a key ends the show, it waits again and starts it again; while an idle
inhibitor is held it starts nothing, and once the inhibitor goes the show follows the wait."""

import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from sway_session import Output, SwaySession, why_not  # noqa: E402
from xsession import CONVERT, SAVER, near  # noqa: E402

GREEN = (0x30, 0xC0, 0x30)
WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second


def wait_until(test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.1)
    return test()


class WatcherOnSway(unittest.TestCase):
    def setUp(self):
        reason = why_not() or (None if shutil.which("wtype") else "wtype is not installed")
        if reason:
            self.skipTest(reason)
        self.sway = SwaySession([Output("HEADLESS-1", 800, 600)])
        self.addCleanup(self.sway.close)
        home = self.sway.home
        self.program = os.path.join(home, "pelandra-saver")
        shutil.copy2(SAVER, self.program)
        photos = os.path.join(home, "cd", "pyrnox")
        os.makedirs(photos)
        subprocess.run([CONVERT, "-size", "320x200", "xc:#30c030",
                        os.path.join(photos, "63COUPE.JPG")], check=True, timeout=30)
        self.config = os.path.join(home, "config")
        os.makedirs(os.path.join(self.config, "pelandra-omnarium"))
        with open(os.path.join(self.config, "pelandra-omnarium", "screensaver.ini"), "w",
                  encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval=1\nPelandrasDir={photos}/\n[Watch]\nMinutes={WAIT}\n")
        self.sway.give(home)
        self.log_path = os.path.join(home, "watch.log")
        self.log = open(self.log_path, "wb")
        self.addCleanup(self.log.close)
        self.env = self.sway.env(XDG_CONFIG_HOME=self.config, PELANDRA_WATCH_MINUTE_MS="1000")
        self.watcher = self.sway.popen([self.program, "--watch"], env=self.env, stdout=self.log,
                                       stderr=subprocess.STDOUT)

    def said(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def count(self, what):
        return self.said().count(what)

    def photo_shown(self):
        shot = self.sway.screenshot("HEADLESS-1")
        return near(shot.pixel(400, 240), GREEN) and near(shot.pixel(14, 11), GREEN)

    def show_cycle(self, started_before):
        """The next show: not before the wait, then the photo, then a key ends it."""
        waited_from = time.monotonic()
        self.assertTrue(wait_until(lambda: self.count("show started") > started_before, 15),
                        "no show after the wait:\n" + self.said())
        self.assertGreaterEqual(time.monotonic() - waited_from, WAIT - 0.5)
        self.assertTrue(wait_until(self.photo_shown, 10), "no photo:\n" + self.said())
        ended_before = self.count("show ended")
        self.sway.key()
        self.assertTrue(wait_until(lambda: self.count("show ended") > ended_before, 10),
                        "the key did not end the show:\n" + self.said())

    def test_starts_after_the_wait_again_and_again(self):
        self.assertTrue(wait_until(lambda: "org_kde_kwin_idle" in self.said(), 10), self.said())
        self.show_cycle(0)
        self.show_cycle(1)
        self.assertIsNone(self.watcher.poll(), self.said())
        self.assertEqual(self.count("show started"), 2, self.said())

    def test_an_idle_inhibitor_holds_the_show_back(self):
        # A window of its own whose inhibitor stays while it is open.
        client = self.sway.popen([self.program, "/c"], env=self.env)
        self.assertTrue(wait_until(lambda: '"pelandra-saver"' in self.sway.swaymsg(
            "-t", "get_tree"), 10), "the client's window did not appear")
        self.sway.swaymsg("[app_id=pelandra-saver] inhibit_idle open")
        time.sleep(3 * WAIT)
        self.assertEqual(self.count("show started"), 0, self.said())
        client.terminate()
        client.wait(timeout=10)
        self.show_cycle(0)


if __name__ == "__main__":
    unittest.main()
