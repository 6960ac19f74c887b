"""The built show under the real XScreenSaver daemon (Debian's xscreensaver package): started
by the daemon from the programs: list of an ordinary user's ~/.xscreensaver, drawn when the
daemon blanks, ended with status 0 when it unblanks."""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, as_user, photo_shown, wait_until  # noqa: E402
from xsession import VirtualScreen, is_black, is_red  # noqa: E402

PR_SET_CHILD_SUBREAPER = 36
# XScreenSaver gives a program this long to go after SIGTERM before it kills it for good.
DAEMON_PATIENCE = 10
# An installed program's folder of XScreenSaver programs (the package's hack link): the
# programs: line then names the program alone, as a user of the package writes it.
HACK_DIR = os.environ.get("PELANDRA_HACK_DIR", "")


def adopt_orphans():
    """The daemon's graphics process signals the show and exits without waiting for it; as
    a subreaper this test inherits the show and can read its exit status."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")


class UnderXScreenSaver(unittest.TestCase):
    def setUp(self):
        if not shutil.which("xscreensaver") or not shutil.which("xscreensaver-command"):
            self.skipTest("XScreenSaver is not installed (scripts/install-deps.sh installs "
                          "Debian's xscreensaver package): the daemon test did not run")
        adopt_orphans()
        self.screen = VirtualScreen(800, 600)
        self.addCleanup(self.screen.close)
        self.home = SaverHome(program=not HACK_DIR)
        self.addCleanup(self.home.close)
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in self.shows_running()])
        # The one line a user adds, as README.md shows it; nothing else may be chosen.
        program = "pelandra-saver" if HACK_DIR else f'"Pelandra Omnarium"  {self.home.program}'
        self.home.write(".xscreensaver",
                        "mode: one\nselected: 0\ntimeout: 0:30:00\nlock: False\nfade: False\n"
                        "unfade: False\nsplash: False\ndpmsEnabled: False\n"
                        f"programs: \\\n  {program} -root \\n\\\n\n")
        path = os.environ.get("PATH", os.defpath)
        self.env = self.home.env(DISPLAY=self.screen.display,  # HACK_DIR: where Debian's looks
                                 PATH=os.pathsep.join(filter(None, [HACK_DIR, path])))
        self.daemon = self.home.start(["xscreensaver", "-verbose", "-no-splash"],
                                      log="xscreensaver.log", env=self.env)

    def command(self, *args):
        return subprocess.run(as_user(["xscreensaver-command", *args]), env=self.env,
                              capture_output=True, text=True, timeout=20)

    def said(self):
        return self.home.said("xscreensaver.log")

    def shows_running(self):
        found = re.findall(r'forked "[^"]*pelandra-saver[^"]*" in pid (\d+)', self.said())
        return [int(pid) for pid in found if os.path.exists(f"/proc/{pid}")]

    def exit_status(self, pid, seconds):
        """The show's exit status once the daemon has let it go, or None if it still runs."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                done, status = os.waitpid(pid, os.WNOHANG)
                if done == pid:
                    return status
            except ChildProcessError:
                pass  # still the daemon's child: it becomes ours when the daemon lets go
            time.sleep(0.05)
        return None

    def test_blanking_shows_the_photo_and_unblanking_ends_the_show_cleanly(self):
        self.assertTrue(wait_until(lambda: self.command("-time").returncode == 0, 10),
                        "the daemon did not start:\n" + self.said())
        activated = self.command("-activate")
        self.assertEqual(activated.returncode, 0, activated.stderr)
        pids = wait_until(self.shows_running, 10)
        self.assertEqual(len(pids), 1, "the daemon did not start one show:\n" + self.said())
        pid = pids[0]

        # After the first one-second tick: the photo in its frame, the caption below it.
        shot = wait_until(lambda: photo_shown(self.screen.screenshot()), 8)
        self.assertIsNotNone(shot, "no photo on the blanked screen:\n" + self.said())
        self.assertTrue(is_black(shot.pixel(8, 240)))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)

        deactivated = self.command("-deactivate")
        self.assertEqual(deactivated.returncode, 0, deactivated.stderr)
        status = self.exit_status(pid, DAEMON_PATIENCE)
        self.assertIsNotNone(status, f"the show outlived {DAEMON_PATIENCE} s:\n" + self.said())
        self.assertTrue(os.WIFEXITED(status), f"ended by signal {os.WTERMSIG(status)}")
        self.assertEqual(os.WEXITSTATUS(status), 0)
        self.assertIsNone(self.daemon.poll(), "the daemon itself went away")


if __name__ == "__main__":
    unittest.main()
