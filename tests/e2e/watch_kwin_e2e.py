"""The idle watcher on KDE's compositor (Debian's kwin_wayland 5.27, virtual backend), which
offers ext-idle-notify-v1: the show after the wait, and after it ended, after the wait again."""

import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, as_user, ordinary_user, wait_until  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second


class WatcherOnKWin(unittest.TestCase):
    def setUp(self):
        if not shutil.which("kwin_wayland"):
            self.skipTest("kwin_wayland is not installed (scripts/install-deps.sh installs it)")
        self.user = ordinary_user()
        self.home = SaverHome(self.user, watch_minutes=WAIT)
        self.addCleanup(self.home.close)
        self.runtime = os.path.join(self.home.path, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        # A copy without the file capability that a container may not grant on exec.
        kwin = os.path.join(self.home.bin, "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        self.home.give(self.home.path)
        self.env = dict(PATH=os.environ.get("PATH", os.defpath), LANG="C.UTF-8",
                        HOME=self.home.path, XDG_RUNTIME_DIR=self.runtime,
                        XDG_CONFIG_HOME=self.home.config, WAYLAND_DISPLAY="wayland-test",
                        QT_QPA_PLATFORM="wayland", PELANDRA_WATCH_MINUTE_MS="1000")
        self.kwin = subprocess.Popen(
            as_user(self.user, ["dbus-run-session", "--", kwin, "--virtual", "--no-lockscreen",
                                "--width", "800", "--height", "600", "--socket", "wayland-test"]),
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.end, self.kwin)
        self.assertTrue(wait_until(lambda: os.path.exists(
            os.path.join(self.runtime, "wayland-test")), 30), "kwin_wayland did not start")

    def end(self, process):
        if process.poll() is None:
            process.terminate()
            process.wait(timeout=10)

    def test_starts_after_the_wait_and_again_after_the_show_ended(self):
        log_path = os.path.join(self.home.path, "watch.log")
        with open(log_path, "wb") as log:
            watcher = subprocess.Popen(as_user(self.user, [self.home.program, "--watch"]),
                                       env=self.env, stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(self.end, watcher)

        def said():
            with open(log_path, encoding="utf-8", errors="replace") as f:
                return f.read()

        self.assertTrue(wait_until(lambda: "ext-idle-notify-v1" in said(), 10), said())
        for shows in (1, 2):
            waited_from = time.monotonic()
            self.assertTrue(wait_until(lambda: said().count("show started") == shows, 15),
                            said())
            self.assertGreaterEqual(time.monotonic() - waited_from, WAIT - 0.5, said())
            with open(f"/proc/{watcher.pid}/task/{watcher.pid}/children") as f:
                show = int(f.read().split()[0])
            os.kill(show, signal.SIGTERM)  # nothing here can type a key
            self.assertTrue(wait_until(lambda: said().count("show ended") == shows, 10))


if __name__ == "__main__":
    unittest.main()
