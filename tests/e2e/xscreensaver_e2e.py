"""The built show under the real XScreenSaver daemon (Debian's xscreensaver package): started
by the daemon from the programs: list of an ordinary user's ~/.xscreensaver, drawn when the
daemon blanks, ended with status 0 when it unblanks."""

import ctypes
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import CONVERT, SAVER, VirtualScreen, is_black, is_red, near  # noqa: E402

GREEN = (0x30, 0xC0, 0x30)  # no such colour in the title picture shown before the first tick
PR_SET_CHILD_SUBREAPER = 36
# XScreenSaver gives a program this long to go after SIGTERM before it kills it for good.
DAEMON_PATIENCE = 10
# An installed program's folder of XScreenSaver programs (the package's hack link): the
# programs: line then names the program alone, as a user of the package writes it.
HACK_DIR = os.environ.get("PELANDRA_HACK_DIR", "")


def ordinary_user():
    """The user the daemon runs as: it refuses to run programs as root."""
    if os.geteuid() != 0:
        return None
    return pwd.getpwnam("nobody")


def adopt_orphans():
    """The daemon's graphics process signals the show and exits without waiting for it; as
    a subreaper this test inherits the show and can read its exit status."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")


class DaemonHome:
    """A home for the ordinary user under /tmp (a mode-700 /root would hide the build tree
    from them): a copy of the program, a photo, its settings and ~/.xscreensaver."""

    def __init__(self, user, interval):
        self.path = tempfile.mkdtemp(prefix="pelandra-xscreensaver-")
        os.chmod(self.path, 0o755)
        if HACK_DIR:
            self.program = "pelandra-saver"
        else:
            self.program = os.path.join(self.path, "bin", "pelandra-saver")
            os.makedirs(os.path.dirname(self.program))
            shutil.copy2(SAVER, self.program)
        photos = os.path.join(self.path, "cd", "pyrnox")
        os.makedirs(photos)
        subprocess.run([CONVERT, "-size", "320x200", "xc:#30c030",
                        os.path.join(photos, "63COUPE.JPG")], check=True, timeout=30)
        self.write(".config/pelandra-omnarium/screensaver.ini",
                   f"[Settings]\nInterval={interval}\nPelandrasDir={photos}/\n")
        # The one line a user adds, as README.md shows it; nothing else may be chosen.
        label = "" if HACK_DIR else '"Pelandra Omnarium"  '
        self.write(".xscreensaver",
                   "mode: one\nselected: 0\ntimeout: 0:30:00\nlock: False\nfade: False\n"
                   "unfade: False\nsplash: False\ndpmsEnabled: False\n"
                   "programs: \\\n"
                   f"  {label}{self.program} -root \\n\\\n\n")
        self.runtime = os.path.join(self.path, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        if user:
            for folder, dirs, files in os.walk(self.path):
                for name in [folder, *(os.path.join(folder, n) for n in dirs + files)]:
                    os.chown(name, user.pw_uid, user.pw_gid)

    def write(self, relative, text):
        path = os.path.join(self.path, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)

    def close(self):
        shutil.rmtree(self.path, ignore_errors=True)


class UnderXScreenSaver(unittest.TestCase):
    def setUp(self):
        if not shutil.which("xscreensaver") or not shutil.which("xscreensaver-command"):
            self.skipTest("XScreenSaver is not installed (scripts/install-deps.sh installs "
                          "Debian's xscreensaver package): the daemon test did not run")
        adopt_orphans()
        self.user = ordinary_user()
        self.screen = VirtualScreen(800, 600)
        self.home = DaemonHome(self.user, interval=1)
        self.log = open(os.path.join(self.home.path, "xscreensaver.log"), "w+b")
        self.daemon = subprocess.Popen(self.as_user("xscreensaver", "-verbose", "-no-splash"),
                                       env=self.env(), stdout=self.log, stderr=subprocess.STDOUT)

    def tearDown(self):
        if self.daemon.poll() is None:
            self.daemon.terminate()
            self.daemon.wait(timeout=10)
        for pid in self.shows_running():
            os.kill(pid, signal.SIGKILL)
        self.log.close()
        self.screen.close()
        self.home.close()

    def as_user(self, *command):
        if not self.user:
            return list(command)
        return ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                "--clear-groups", *command]

    def env(self):
        keep = {k: v for k, v in os.environ.items() if k in ("PATH", "LANG", "LC_ALL")}
        if HACK_DIR:  # where Debian's XScreenSaver looks first
            keep["PATH"] = HACK_DIR + os.pathsep + keep.get("PATH", os.defpath)
        return dict(keep, HOME=self.home.path, DISPLAY=self.screen.display,
                    XDG_RUNTIME_DIR=self.home.runtime,
                    USER=self.user.pw_name if self.user else os.environ.get("USER", ""))

    def command(self, *args):
        return subprocess.run(self.as_user("xscreensaver-command", *args), env=self.env(),
                              capture_output=True, text=True, timeout=20)

    def said(self):
        self.log.flush()
        with open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")

    def shows_running(self):
        found = re.findall(r'forked "[^"]*pelandra-saver[^"]*" in pid (\d+)', self.said())
        return [int(pid) for pid in found if os.path.exists(f"/proc/{pid}")]

    def wait_until(self, test, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = test()
            if value:
                return value
            time.sleep(0.1)
        return test()

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
        self.assertTrue(self.wait_until(lambda: self.command("-time").returncode == 0, 10),
                        "the daemon did not start:\n" + self.said())
        activated = self.command("-activate")
        self.assertEqual(activated.returncode, 0, activated.stderr)
        pids = self.wait_until(self.shows_running, 10)
        self.assertTrue(pids, "the daemon did not start the show:\n" + self.said())
        self.assertEqual(len(pids), 1, self.said())
        pid = pids[0]

        # After the first one-second tick: the photo in its frame, the caption below it.
        def photo_shown():
            shot = self.screen.screenshot()
            corners = (shot.pixel(400, 240), shot.pixel(14, 11), shot.pixel(785, 478))
            return shot if all(near(p, GREEN) for p in corners) else None

        shot = self.wait_until(photo_shown, 8)
        self.assertIsNotNone(shot, "no photo on the blanked screen:\n" + self.said())
        self.assertTrue(is_black(shot.pixel(8, 240)))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertGreater(shot.count(120, 514, 560, 65, lambda p: not is_black(p)),
                           560 * 65 * 0.04)
        self.assertEqual(shot.count(0, 582, 800, 18, lambda p: not is_black(p)), 0)

        started = time.monotonic()
        deactivated = self.command("-deactivate")
        self.assertEqual(deactivated.returncode, 0, deactivated.stderr)
        status = self.exit_status(pid, DAEMON_PATIENCE)
        self.assertIsNotNone(status, f"the show outlived {DAEMON_PATIENCE} s:\n" + self.said())
        self.assertLess(time.monotonic() - started, DAEMON_PATIENCE)
        self.assertTrue(os.WIFEXITED(status), f"ended by signal {os.WTERMSIG(status)}")
        self.assertEqual(os.WEXITSTATUS(status), 0)
        self.assertIsNone(self.daemon.poll(), "the daemon itself went away")


if __name__ == "__main__":
    unittest.main()
