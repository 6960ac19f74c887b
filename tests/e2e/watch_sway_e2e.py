"""The idle watcher on Debian's sway 1.7 (KDE's idle protocol): the show after the wait, a key
ends it, the wait and the show again; nothing while an idle inhibitor is held; the watcher
ends with the session."""

import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import GREEN, SaverHome, wait_until  # noqa: E402
from sway_session import Output, SwaySession, why_not  # noqa: E402
from xsession import near  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second


class WatcherOnSway(unittest.TestCase):
    def setUp(self):
        reason = why_not() or (None if shutil.which("wtype") else "wtype is not installed")
        if reason:
            self.skipTest(reason)
        self.sway = SwaySession([Output("HEADLESS-1", 800, 600)])
        self.addCleanup(self.sway.close)
        self.home = SaverHome(self.sway.user, os.path.join(self.sway.home, "saver"), WAIT)
        self.env = self.sway.env(XDG_CONFIG_HOME=self.home.config,
                                 PELANDRA_WATCH_MINUTE_MS="1000")
        self.log_path = os.path.join(self.home.path, "watch.log")
        with open(self.log_path, "wb") as log:
            self.watcher = self.sway.popen([self.home.program, "--watch"], env=self.env,
                                           stdout=log, stderr=subprocess.STDOUT)

    def said(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def photo_shown(self):
        shot = self.sway.screenshot("HEADLESS-1")
        return near(shot.pixel(400, 240), GREEN) and near(shot.pixel(14, 11), GREEN)

    def show_cycle(self, shows_before):
        """The next show: not before the wait, then the photo, then a key ends it."""
        waited_from = time.monotonic()
        self.assertTrue(wait_until(lambda: self.said().count("show started") > shows_before,
                                   15), "no show after the wait:\n" + self.said())
        self.assertGreaterEqual(time.monotonic() - waited_from, WAIT - 0.5)
        self.assertTrue(wait_until(self.photo_shown, 10), "no photo:\n" + self.said())
        self.sway.key()
        self.assertTrue(wait_until(lambda: self.said().count("show ended") > shows_before, 10),
                        "the key did not end the show:\n" + self.said())

    def test_starts_after_the_wait_again_and_again_and_ends_with_the_session(self):
        self.assertTrue(wait_until(lambda: "org_kde_kwin_idle" in self.said(), 10), self.said())
        self.show_cycle(0)
        self.show_cycle(1)
        self.assertEqual(self.said().count("show started"), 2, self.said())
        self.sway.sway.terminate()
        self.assertEqual(self.watcher.wait(timeout=10), 0, self.said())

    def test_an_idle_inhibitor_holds_the_show_back(self):
        # A window of its own (the settings dialog) whose inhibitor stays while it is open.
        client = self.sway.popen([self.home.program, "/c"], env=self.env)
        self.assertTrue(wait_until(lambda: '"pelandra-saver"' in self.sway.swaymsg(
            "-t", "get_tree"), 10), "the client's window did not appear")
        self.sway.swaymsg("[app_id=pelandra-saver] inhibit_idle open")
        time.sleep(3 * WAIT)
        self.assertEqual(self.said().count("show started"), 0, self.said())
        client.terminate()
        client.wait(timeout=10)
        self.show_cycle(0)


if __name__ == "__main__":
    unittest.main()
