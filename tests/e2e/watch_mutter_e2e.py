"""The idle watcher against GNOME's own idle monitor: Debian's mutter, headless, in a session
bus of its own, run as an ordinary user. Keys come through mutter's remote-desktop interface.
Mutter offers neither Wayland idle protocol, so the watcher must fall through to its bus."""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import CONVERT, SAVER  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second

# Holds one remote-desktop session (it lives as long as its bus connection) and presses
# the x key once for every line read.
KEYBOARD = r"""
import sys
from gi.repository import Gio, GLib
bus = Gio.DBusConnection.new_for_address_sync(
    sys.argv[1], Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
    | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
def call(path, interface, method, args=None):
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                         None, Gio.DBusCallFlags.NONE, -1, None)
session = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
               "CreateSession").unpack()[0]
call(session, "org.gnome.Mutter.RemoteDesktop.Session", "Start")
print("ready", flush=True)
for line in sys.stdin:
    for pressed in (True, False):
        call(session, "org.gnome.Mutter.RemoteDesktop.Session", "NotifyKeyboardKeysym",
             GLib.Variant("(ub)", (0x78, pressed)))
    print("pressed", flush=True)
"""


def wait_until(test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.1)
    return test()


class WatcherOnMutter(unittest.TestCase):
    def setUp(self):
        if not shutil.which("mutter") or not shutil.which("dbus-run-session"):
            self.skipTest("mutter is not installed (scripts/install-deps.sh installs it)")
        self.user = pwd.getpwnam("nobody") if os.geteuid() == 0 else None
        self.home = tempfile.mkdtemp(prefix="pelandra-mutter-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        os.chmod(self.home, 0o755)
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.program = os.path.join(self.home, "pelandra-saver")
        shutil.copy2(SAVER, self.program)
        photos = os.path.join(self.home, "cd", "pyrnox")
        os.makedirs(photos)
        subprocess.run([CONVERT, "-size", "320x200", "xc:#30c030",
                        os.path.join(photos, "63COUPE.JPG")], check=True, timeout=30)
        self.config = os.path.join(self.home, "config")
        os.makedirs(os.path.join(self.config, "pelandra-omnarium"))
        with open(os.path.join(self.config, "pelandra-omnarium", "screensaver.ini"), "w",
                  encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval=1\nPelandrasDir={photos}/\n[Watch]\nMinutes={WAIT}\n")
        if self.user:
            for folder, dirs, files in os.walk(self.home):
                for name in [folder, *(os.path.join(folder, n) for n in dirs + files)]:
                    os.chown(name, self.user.pw_uid, self.user.pw_gid)
        self.processes = []
        self.addCleanup(self.end_all)
        bus_file = os.path.join(self.home, "bus")
        self.mutter_log = open(os.path.join(self.home, "mutter.log"), "wb")
        self.addCleanup(self.mutter_log.close)
        self.start(["dbus-run-session", "--", "sh", "-c",
                    f'echo "$DBUS_SESSION_BUS_ADDRESS" > {bus_file} && exec mutter --wayland '
                    "--headless --virtual-monitor 800x600 --no-x11"],
                   stdout=self.mutter_log, stderr=subprocess.STDOUT)
        socket = os.path.join(self.runtime, "wayland-0")
        self.assertTrue(wait_until(lambda: os.path.exists(socket) and os.path.exists(bus_file)
                                   and os.path.getsize(bus_file) > 0, 30), "mutter did not start")
        with open(bus_file, encoding="utf-8") as f:
            self.bus = f.read().strip()
        self.keyboard = self.start(["/usr/bin/python3", "-c", KEYBOARD, self.bus],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.assertEqual(self.keyboard.stdout.readline().strip(), "ready")

    def env(self, **extra):
        return dict(PATH=os.environ.get("PATH", os.defpath), LANG="C.UTF-8", HOME=self.home,
                    XDG_RUNTIME_DIR=self.runtime, XDG_CONFIG_HOME=self.config, **extra)

    def start(self, command, **kwargs):
        if self.user:
            command = ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                       "--clear-groups", *command]
        process = subprocess.Popen(command, env=self.env(**getattr(self, "session_env", {})),
                                   **kwargs)
        self.processes.append(process)
        return process

    def end_all(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=10)
            for stream in (process.stdin, process.stdout):
                if stream:
                    stream.close()

    def key(self):
        self.keyboard.stdin.write("x\n")
        self.keyboard.stdin.flush()
        self.assertEqual(self.keyboard.stdout.readline().strip(), "pressed")

    def test_starts_the_show_after_the_wait_and_again_after_it_ended(self):
        self.session_env = dict(DBUS_SESSION_BUS_ADDRESS=self.bus, WAYLAND_DISPLAY="wayland-0",
                                QT_QPA_PLATFORM="wayland", PELANDRA_WATCH_MINUTE_MS="1000")
        log_path = os.path.join(self.home, "watch.log")
        with open(log_path, "wb") as log:
            watcher = self.start([self.program, "--watch"], stdout=log, stderr=subprocess.STDOUT)

        def said():
            with open(log_path, encoding="utf-8", errors="replace") as f:
                return f.read()

        self.assertTrue(wait_until(lambda: "org.gnome.Mutter.IdleMonitor" in said(), 10),
                        said())
        for shows in (1, 2):
            # After a key, the wait starts from there.
            self.key()
            pressed = time.monotonic()
            self.assertTrue(wait_until(lambda: said().count("show started") == shows, 15),
                            said())
            self.assertGreaterEqual(time.monotonic() - pressed, WAIT - 0.5, said())
            time.sleep(1.5)  # the show is up and holds the keyboard
            self.key()
            self.assertTrue(wait_until(lambda: said().count("show ended") == shows, 10),
                            "the key did not end the show:\n" + said())
        self.assertIsNone(watcher.poll(), said())


if __name__ == "__main__":
    unittest.main()
