"""The show as a theme of MATE's screen saver (Debian's mate-screensaver), run by the daemon
as an ordinary user in its own session bus with its own short environment: --activate shows
the photo and caption, --deactivate ends the show with status 0 and leaves nothing running."""

import os
import shlex
import shutil
import signal
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, as_user, photo_shown, wait_until  # noqa: E402
from xsession import VirtualScreen, is_black, is_red  # noqa: E402

ENTRY = os.environ.get("PELANDRA_SCREENSAVER_ENTRY", "")  # as the build configured it
HACK_DIR = "/usr/libexec/xscreensaver"  # where the entry's Exec points
THEME = "screensavers-pelandra-saver"  # MATE's id for applications/screensavers/<name>.desktop


class UnderMateScreensaver(unittest.TestCase):
    def setUp(self):
        if not shutil.which("mate-screensaver") or not os.path.isdir(HACK_DIR):
            self.skipTest("mate-screensaver or XScreenSaver's hack folder is not installed")
        if os.geteuid() != 0:
            self.skipTest("needs root: the hack folder is replaced in a mount namespace")
        probe = subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                               capture_output=True, text=True)
        if probe.returncode != 0:  # a chroot, whose root is no mount point
            self.skipTest("no private mount namespace here: " + probe.stderr.strip())
        self.screen = VirtualScreen(800, 600)
        self.addCleanup(self.screen.close)
        self.home = SaverHome()
        self.addCleanup(self.home.close)
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in self.shows()])
        with open(ENTRY, encoding="utf-8") as entry:
            self.home.write("share/applications/screensavers/pelandra-saver.desktop",
                            entry.read())
        self.bus_file = os.path.join(self.home.path, "bus")
        settings = [("mode", "single"), ("themes", f"['{THEME}']"), ("lock-enabled", "false")]
        session = " && ".join(
            [*(shlex.join(["gsettings", "set", "org.mate.screensaver", key, value])
               for key, value in settings),
             f'echo "$DBUS_SESSION_BUS_ADDRESS" > {shlex.quote(self.bus_file)}',
             "exec mate-screensaver --no-daemon --debug"])
        # The daemon sees our program where the package puts its hack link; the real folder
        # stays untouched (the mount ends with the namespace).
        inside = shlex.join(["mount", "--bind", os.path.dirname(self.home.program), HACK_DIR]) \
            + " && exec " + shlex.join(as_user(["dbus-run-session", "--", "sh", "-c", session]))
        self.env = self.home.env(
            DISPLAY=self.screen.display, XDG_CURRENT_DESKTOP="MATE",
            XDG_DATA_DIRS=os.path.join(self.home.path, "share") + ":/usr/share")
        del self.env["XDG_RUNTIME_DIR"]  # the show must do without, as MATE gives it none
        self.daemon = self.home.start(["unshare", "--mount", "--propagation", "private", "sh",
                                       "-c", inside], log="daemon.log", user=False, env=self.env)

    def said(self):
        return self.home.said("daemon.log")[-4000:]

    def command(self, option):
        with open(self.bus_file, encoding="utf-8") as f:
            bus = f.read().strip()
        return subprocess.run(as_user(["mate-screensaver-command", option]),
                              env=dict(self.env, DBUS_SESSION_BUS_ADDRESS=bus),
                              capture_output=True, text=True, timeout=20)

    def shows(self, decoders=True):
        """Processes running our copy of the program (and of its decoder, with `decoders`),
        whatever path the namespace gives them."""
        wanted = [os.stat(path) for path in
                  [self.home.program] + ([self.home.decoder] if decoders else [])]
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                exe = os.stat(f"/proc/{pid}/exe")
            except OSError:
                continue
            if any((exe.st_dev, exe.st_ino) == (w.st_dev, w.st_ino) for w in wanted):
                found.append(int(pid))
        return found

    def test_activate_shows_the_photo_and_deactivate_ends_the_show_cleanly(self):
        self.assertTrue(wait_until(lambda: os.path.exists(self.bus_file) and
                                   self.command("--query").returncode == 0, 20), self.said())
        self.assertEqual(self.command("--activate").returncode, 0)
        pids = wait_until(lambda: self.shows(decoders=False), 10)
        self.assertEqual(len(pids), 1, "not one show:\n" + self.said())
        # Its exit status is the daemon's to collect; strace reports it to us as well.
        tracer = subprocess.Popen(["strace", "-q", "-e", "trace=none", "-e", "signal=none",
                                   "-p", str(pids[0])], stderr=subprocess.PIPE, text=True)
        shot = wait_until(lambda: photo_shown(self.screen.screenshot()), 10)
        self.assertIsNotNone(shot, "no photo on the blanked screen:\n" + self.said())
        self.assertTrue(is_black(shot.pixel(8, 240)))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)  # the caption

        self.assertEqual(self.command("--deactivate").returncode, 0)
        try:
            _, traced = tracer.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            tracer.kill()
            self.fail("the show outlived --deactivate:\n" + self.said())
        self.assertIn("+++ exited with 0 +++", traced)
        self.assertTrue(wait_until(lambda: not self.shows(), 5), "left running")
        self.assertIsNone(self.daemon.poll(), "the daemon itself went away:\n" + self.said())


if __name__ == "__main__":
    unittest.main()
