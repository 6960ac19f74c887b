"""The idle watcher against GNOME's own idle monitor: Debian's mutter, headless, in a session
bus of its own, as an ordinary user. Mutter offers neither Wayland idle protocol, so the
watcher falls through to its bus. A stand-in session manager answers the inhibit question
and keys come through mutter's remote-desktop interface."""

import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, as_user, ordinary_user, wait_until  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second

# Owns org.gnome.SessionManager (IsInhibited, InhibitorRemoved) and holds a remote-desktop
# session (it lives as long as this connection); reads "key", "inhibit" or "uninhibit" lines.
SESSION = r"""
import sys
from gi.repository import Gio, GLib
bus = Gio.DBusConnection.new_for_address_sync(
    sys.argv[1], Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
    | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
def call(name, path, interface, method, args=None):
    return bus.call_sync(name, path, interface, method, args, None, 0, -1, None).unpack()
desktop = "org.gnome.Mutter.RemoteDesktop"
session = call(desktop, "/org/gnome/Mutter/RemoteDesktop", desktop, "CreateSession")[0]
call(desktop, session, desktop + ".Session", "Start")
manager = "org.gnome.SessionManager"
node = Gio.DBusNodeInfo.new_for_xml(
    f'<node><interface name="{manager}"><method name="IsInhibited"><arg type="u"/>'
    '<arg type="b" direction="out"/></method></interface></node>')
inhibited = False
bus.register_object("/org/gnome/SessionManager", node.interfaces[0],
                    lambda c, s, p, i, m, args, answer: answer.return_value(
                        GLib.Variant("(b)", (inhibited and args.unpack()[0] & 8 != 0,))))
call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
     GLib.Variant("(su)", (manager, 0)))
def press(step=0):  # without blocking: mutter calls the stand-in meanwhile
    if step == 2:
        return print("done", flush=True)
    bus.call(desktop, session, desktop + ".Session", "NotifyKeyboardKeysym",
             GLib.Variant("(ub)", (0x78, step == 0)), None, 0, -1, None,
             lambda c, result: (c.call_finish(result), press(step + 1)))
def command(*_):
    global inhibited
    line = sys.stdin.readline().strip()
    inhibited = line == "inhibit"
    if line == "uninhibit":
        bus.emit_signal(None, "/org/gnome/SessionManager", manager, "InhibitorRemoved",
                        GLib.Variant("(o)", ("/org/gnome/SessionManager/Inhibitor1",)))
    press() if line == "key" else print("done", flush=True)
    return bool(line)
GLib.io_add_watch(sys.stdin, GLib.IO_IN, command)
print("done", flush=True)
GLib.MainLoop().run()
"""


class WatcherOnMutter(unittest.TestCase):
    def setUp(self):
        if not shutil.which("mutter") or not shutil.which("dbus-run-session"):
            self.skipTest("mutter is not installed (scripts/install-deps.sh installs it)")
        self.user = ordinary_user()
        self.home = SaverHome(self.user, watch_minutes=WAIT)
        self.addCleanup(self.home.close)
        self.runtime = os.path.join(self.home.path, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.home.give(self.runtime)
        self.processes = []
        self.addCleanup(self.end_all)
        bus_file = os.path.join(self.home.path, "bus")
        self.start(["dbus-run-session", "--", "sh", "-c",
                    f'echo "$DBUS_SESSION_BUS_ADDRESS" > {bus_file} && exec mutter --wayland '
                    "--headless --virtual-monitor 800x600 --no-x11"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.assertTrue(wait_until(lambda: os.path.exists(os.path.join(self.runtime, "wayland-0"))
                                   and os.path.exists(bus_file) and os.path.getsize(bus_file),
                                   30), "mutter did not start")
        with open(bus_file, encoding="utf-8") as f:
            self.bus = f.read().strip()
        self.session = self.start(["/usr/bin/python3", "-c", SESSION, self.bus],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.assertEqual(self.session.stdout.readline().strip(), "done")

    def start(self, command, **kwargs):
        env = dict(PATH=os.environ.get("PATH", os.defpath), LANG="C.UTF-8", HOME=self.home.path,
                   XDG_RUNTIME_DIR=self.runtime, XDG_CONFIG_HOME=self.home.config)
        if hasattr(self, "bus"):
            env.update(DBUS_SESSION_BUS_ADDRESS=self.bus, WAYLAND_DISPLAY="wayland-0",
                       QT_QPA_PLATFORM="wayland", PELANDRA_WATCH_MINUTE_MS="1000")
        process = subprocess.Popen(as_user(self.user, command), env=env, **kwargs)
        self.processes.append(process)
        return process

    def end_all(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                process.wait(timeout=10)
            for stream in (process.stdin, process.stdout):
                if stream:
                    stream.close()

    def tell(self, what):
        self.session.stdin.write(what + "\n")
        self.session.stdin.flush()
        self.assertEqual(self.session.stdout.readline().strip(), "done")

    def test_starts_the_show_after_the_wait_unless_inhibited(self):
        log_path = os.path.join(self.home.path, "watch.log")
        with open(log_path, "wb") as log:
            watcher = self.start([self.home.program, "--watch"], stdout=log,
                                 stderr=subprocess.STDOUT)

        def shows(what):
            with open(log_path, encoding="utf-8", errors="replace") as f:
                return f.read().count(what)

        self.assertTrue(wait_until(lambda: shows("org.gnome.Mutter.IdleMonitor"), 10))
        self.tell("key")  # the wait counts from here
        pressed = time.monotonic()
        self.assertTrue(wait_until(lambda: shows("show started") == 1, 15))
        self.assertGreaterEqual(time.monotonic() - pressed, WAIT - 0.5)
        time.sleep(1.5)  # the show is up and holds the keyboard
        self.tell("key")
        self.assertTrue(wait_until(lambda: shows("show ended") == 1, 10), "no end on a key")

        self.tell("inhibit")
        time.sleep(3 * WAIT)
        self.assertEqual(shows("show started"), 1, "a show while idling was inhibited")
        self.tell("uninhibit")  # idle long enough already: the show follows at once
        self.assertTrue(wait_until(lambda: shows("show started") == 2, 5))
        self.assertIsNone(watcher.poll())


if __name__ == "__main__":
    unittest.main()
