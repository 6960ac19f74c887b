"""The show as a theme of MATE's screen saver (Debian's mate-screensaver): the daemon runs, as
an ordinary user inside its own session bus, the program our screensaver desktop entry names,
with its own short list of environment variables; --activate shows the photo and its
caption, --deactivate ends the show with status 0 and leaves nothing running."""

import os
import pwd
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import CONVERT, SAVER, VirtualScreen, is_black, is_red, near  # noqa: E402

GREEN = (0x30, 0xC0, 0x30)
# The entry as the build configured it; its Exec names the hack link in this folder.
ENTRY = os.environ.get("PELANDRA_SCREENSAVER_ENTRY", "")
HACK_DIR = "/usr/libexec/xscreensaver"
THEME = "screensavers-pelandra-saver"  # MATE's id for applications/screensavers/<name>.desktop


def wait_until(test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.1)
    return test()


class MateHome:
    """The ordinary user's home: photo, settings, the entry under a data folder of its own,
    and the program in a folder that the daemon will see as its hack folder."""

    def __init__(self, user):
        self.path = tempfile.mkdtemp(prefix="pelandra-mate-")
        os.chmod(self.path, 0o755)
        photos = os.path.join(self.path, "cd", "pyrnox")
        os.makedirs(photos)
        subprocess.run([CONVERT, "-size", "320x200", "xc:#30c030",
                        os.path.join(photos, "63COUPE.JPG")], check=True, timeout=30)
        self.write(".config/pelandra-omnarium/screensaver.ini",
                   f"[Settings]\nInterval=1\nPelandrasDir={photos}/\n")
        self.data = os.path.join(self.path, "share")
        entries = os.path.join(self.data, "applications", "screensavers")
        os.makedirs(entries)
        shutil.copy(ENTRY, os.path.join(entries, "pelandra-saver.desktop"))
        self.hacks = os.path.join(self.path, "hacks")
        os.makedirs(self.hacks)
        self.program = os.path.join(self.hacks, "pelandra-saver")
        shutil.copy2(SAVER, self.program)
        self.bus_file = os.path.join(self.path, "bus-address")
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


class UnderMateScreensaver(unittest.TestCase):
    def setUp(self):
        if not shutil.which("mate-screensaver") or not os.path.isdir(HACK_DIR):
            self.skipTest("mate-screensaver or XScreenSaver's hack folder is not installed "
                          "(scripts/install-deps.sh installs both)")
        if os.geteuid() != 0:
            self.skipTest("needs root: the hack folder is replaced in a mount namespace")
        self.user = pwd.getpwnam("nobody")
        self.screen = VirtualScreen(800, 600)
        self.home = MateHome(self.user)
        self.log = open(os.path.join(self.home.path, "daemon.log"), "w+b")
        gsettings = [("mode", "single"), ("themes", f"['{THEME}']"), ("lock-enabled", "false")]
        session = " && ".join(
            [*(shlex.join(["gsettings", "set", "org.mate.screensaver", key, value])
               for key, value in gsettings),
             f'echo "$DBUS_SESSION_BUS_ADDRESS" > {shlex.quote(self.home.bus_file)}',
             "exec mate-screensaver --no-daemon --debug"])
        # The daemon sees our program where the package puts its hack link; the real folder
        # is left untouched (the mount ends with the namespace).
        inside = shlex.join(["mount", "--bind", self.home.hacks, HACK_DIR]) + " && exec " + \
            shlex.join(["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                        "--clear-groups", "dbus-run-session", "--", "sh", "-c", session])
        self.daemon = subprocess.Popen(
            ["unshare", "--mount", "--propagation", "private", "sh", "-c", inside],
            env=self.env(), stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)

    def tearDown(self):
        if self.daemon.poll() is None:
            os.killpg(self.daemon.pid, signal.SIGTERM)
            try:
                self.daemon.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.daemon.pid, signal.SIGKILL)
                self.daemon.wait(timeout=10)
        for pid in self.shows():
            os.kill(pid, signal.SIGKILL)
        self.log.close()
        self.screen.close()
        self.home.close()

    def env(self):
        return {"PATH": os.environ.get("PATH", os.defpath), "HOME": self.home.path,
                "DISPLAY": self.screen.display, "XDG_DATA_DIRS": f"{self.home.data}:/usr/share",
                "LANG": "C.UTF-8"}

    def said(self):
        self.log.flush()
        with open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")[-4000:]

    def command(self, *args):
        with open(self.home.bus_file, encoding="utf-8") as f:
            bus = f.read().strip()
        return subprocess.run(
            ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
             "--clear-groups", "mate-screensaver-command", *args],
            env=dict(self.env(), DBUS_SESSION_BUS_ADDRESS=bus), capture_output=True, text=True,
            timeout=20)

    def shows(self, with_decoder=True):
        """Every process running our copy of the program (the show and its decoder)."""
        program = os.stat(self.home.program)
        found = []
        for entry in os.listdir("/proc"):
            try:  # the same file, whatever path the daemon's mount namespace gives it
                exe = os.stat(f"/proc/{entry}/exe")
                if (exe.st_dev, exe.st_ino) != (program.st_dev, program.st_ino):
                    continue
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    decoder = b"--picture-decoder" in f.read()
            except OSError:
                continue
            if with_decoder or not decoder:
                found.append(int(entry))
        return found

    def show_environment(self, pid):
        with open(f"/proc/{pid}/environ", "rb") as f:
            return dict(v.decode().split("=", 1) for v in f.read().split(b"\0") if b"=" in v)

    def test_activate_shows_the_photo_and_deactivate_ends_the_show_cleanly(self):
        ready = wait_until(lambda: os.path.exists(self.home.bus_file) and
                           self.command("--query").returncode == 0, 20)
        self.assertTrue(ready, "the daemon did not start:\n" + self.said())
        activated = self.command("--activate")
        self.assertEqual(activated.returncode, 0, activated.stderr)
        pids = wait_until(lambda: self.shows(with_decoder=False), 10)
        self.assertEqual(len(pids), 1, "the daemon did not start one show:\n" + self.said())
        pid = pids[0]
        # Its exit status is the daemon's to collect; strace reports it to us as well.
        tracer = subprocess.Popen(["strace", "-q", "-e", "trace=none", "-e", "signal=none",
                                   "-p", str(pid)], stderr=subprocess.PIPE, text=True)
        self.assertIn("XSCREENSAVER_WINDOW", self.show_environment(pid))
        self.assertNotIn("XDG_CONFIG_HOME", self.show_environment(pid))

        def photo_shown():
            shot = self.screen.screenshot()
            corners = (shot.pixel(400, 240), shot.pixel(14, 11), shot.pixel(785, 478))
            return shot if all(near(p, GREEN) for p in corners) else None

        shot = wait_until(photo_shown, 10)
        self.assertIsNotNone(shot, "no photo on the blanked screen:\n" + self.said())
        self.assertTrue(is_black(shot.pixel(8, 240)))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertGreater(shot.count(120, 514, 560, 65, lambda p: not is_black(p)),
                           560 * 65 * 0.04)

        deactivated = self.command("--deactivate")
        self.assertEqual(deactivated.returncode, 0, deactivated.stderr)
        try:
            _, traced = tracer.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            tracer.kill()
            self.fail("the show outlived --deactivate:\n" + self.said())
        self.assertIn("+++ exited with 0 +++", traced)
        self.assertEqual(wait_until(lambda: not self.shows(), 5), True,
                         "left running: " + str(self.shows()))
        self.assertIsNone(self.daemon.poll(), "the daemon itself went away:\n" + self.said())


if __name__ == "__main__":
    unittest.main()
