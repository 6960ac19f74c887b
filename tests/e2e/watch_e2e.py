"""The idle watcher under each idle source a desktop offers, every compositor or X server run
by the test as an ordinary user: no show while idling is inhibited, the show after the wait
and again after it ended, the watcher's end with the session."""

import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, children, missing, photo_shown, wait_until  # noqa: E402
from sway_session import TOOLS, Output, SwaySession  # noqa: E402
from xsession import SAVER, VirtualScreen, autolaunched_buses  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second

# For GNOME: owns org.gnome.SessionManager (IsInhibited) and holds a remote-desktop session
# of mutter's for keys; reads "key", "inhibit" or "uninhibit" lines, answering "done".
GNOME_SESSION = r"""
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


def in_session_bus(home, compositor, socket, **kwargs):
    """Starts `compositor` in a session bus of its own and waits for its Wayland `socket`;
    returns how to end both."""
    process = home.start(["dbus-run-session", "--", *compositor], log="compositor.log", **kwargs)
    if not wait_until(lambda: os.path.exists(os.path.join(home.runtime, socket)), 30):
        raise RuntimeError("the compositor did not start:\n" + home.said("compositor.log"))
    return lambda: os.killpg(process.pid, signal.SIGTERM)


# The desktops, one per idle source (`source`, as the watcher names it). Each gives the
# watcher's environment and what the test can do there: key() (else the show is ended by
# SIGTERM), screenshot() (else the show is given time to start), inhibit() returning the
# release (else no inhibitor is tried), end() the session; `tools`, the programs it needs.

class Sway:
    """sway 1.7: org_kde_kwin_idle, inhibitors through its own idle inhibit rule."""
    source = "org_kde_kwin_idle"
    tools = TOOLS

    def __init__(self, case, home):
        self.home, self.sway = home, SwaySession(home, [Output("HEADLESS-1", 800, 600)])
        self.env, self.key, self.end = self.sway.env(), self.sway.key, self.sway.process.terminate
        self.screenshot = lambda: self.sway.screenshot("HEADLESS-1")

    def inhibit(self):
        # Held on a window of its own (the settings dialog) for as long as it is open.
        dialog = self.home.start([self.home.program, "/c"], env=self.env)
        if not wait_until(lambda: '"pelandra-saver"' in self.sway.swaymsg("-t", "get_tree"),
                          10):
            raise RuntimeError("the dialog's window did not appear")
        self.sway.swaymsg("[app_id=pelandra-saver] inhibit_idle open")
        return dialog.terminate


class KWin:
    """kwin_wayland 5.27, virtual backend: ext-idle-notify-v1; nothing here types a key."""
    source = "ext-idle-notify-v1"
    key = screenshot = inhibit = None
    tools = ("kwin_wayland", "dbus-run-session")

    def __init__(self, case, home):
        # A copy without the file capability that a container may not grant on exec.
        kwin = os.path.join(home.path, "bin", "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        home.give()
        self.env = home.env(WAYLAND_DISPLAY="wayland-test", QT_QPA_PLATFORM="wayland")
        self.end = in_session_bus(home, [kwin, "--virtual", "--no-lockscreen", "--width", "800",
                                         "--height", "600", "--socket", "wayland-test"],
                                  "wayland-test", env=self.env)


class Mutter:
    """mutter 43, headless: neither Wayland idle protocol, so GNOME's idle monitor on the
    session bus; a stand-in session manager answers the inhibit question."""
    source = "org.gnome.Mutter.IdleMonitor"
    screenshot = None
    tools = ("mutter", "dbus-run-session")

    def __init__(self, case, home):
        bus_file = os.path.join(home.path, "bus")
        self.end = in_session_bus(
            home, ["sh", "-c", f'echo "$DBUS_SESSION_BUS_ADDRESS" > {bus_file} && exec mutter '
                   "--wayland --headless --virtual-monitor 800x600 --no-x11"],
            "wayland-0")  # made after the address is written
        with open(bus_file, encoding="utf-8") as f:
            self.env = home.env(DBUS_SESSION_BUS_ADDRESS=f.read().strip(),
                                WAYLAND_DISPLAY="wayland-0", QT_QPA_PLATFORM="wayland")
        self.session = home.start(["/usr/bin/python3", "-c", GNOME_SESSION,
                                   self.env["DBUS_SESSION_BUS_ADDRESS"]], env=self.env,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.tell(None)
        self.key()  # the seat's keyboard made before any show, as on a desktop

    def tell(self, what):
        if what:
            self.session.stdin.write(what + "\n")
            self.session.stdin.flush()
        if self.session.stdout.readline().strip() != "done":
            raise RuntimeError(f"the stand-in session manager did not take {what}")

    def key(self):
        self.tell("key")

    def inhibit(self):
        self.tell("inhibit")
        return lambda: self.tell("uninhibit")


class X11:
    """A plain X server (Xvfb): its own idle counter, MIT-SCREEN-SAVER."""
    source = "IDLETIME"
    inhibit = None
    tools = ("Xvfb", "xdotool")

    def __init__(self, case, home):
        self.screen = VirtualScreen(800, 600)
        case.addCleanup(self.screen.close)
        self.env = home.env(DISPLAY=self.screen.display)
        self.key = lambda: self.screen.xdotool("key", "x")
        self.screenshot, self.end = self.screen.screenshot, self.screen.close


class WatcherCases:
    desktop = None  # one of the classes above

    def setUp(self):
        reason = missing(self.desktop.tools)
        if reason:
            self.skipTest(f"{self.desktop.__name__} cannot run here: {reason}")
        self.home = SaverHome(watch_minutes=WAIT)
        self.addCleanup(self.home.close)
        self.session = self.desktop(self, self.home)

    def watch(self):
        return self.home.start([self.home.program, "--watch"], log="watch.log",
                               env=dict(self.session.env, PELANDRA_WATCH_MINUTE_MS="1000"))

    def count(self, what):
        return self.home.said("watch.log").count(what)

    def show_cycle(self, shows, timed=True):
        """The next show: not before the wait (counted from a key where there are keys),
        the photo where a screenshot can see it, ended by a key or a SIGTERM."""
        if self.session.key and timed:
            self.session.key()
        since = time.monotonic()
        self.assertTrue(wait_until(lambda: self.count("show started") == shows, 15),
                        "no show after the wait:\n" + self.home.said("watch.log"))
        if timed:
            self.assertGreaterEqual(time.monotonic() - since, WAIT - 0.5, "a show too soon")
        if self.session.screenshot:
            self.assertTrue(wait_until(lambda: photo_shown(self.session.screenshot()), 10),
                            "no photo")
        else:
            time.sleep(1.5)  # up, and holding the keyboard
        if self.session.key:
            self.session.key()
        else:
            os.kill(children(self.watcher.pid)[0], signal.SIGTERM)
        self.assertTrue(wait_until(lambda: self.count("show ended") == shows, 10),
                        "the show did not end:\n" + self.home.said("watch.log"))

    def test_shows_after_the_wait_again_and_again_unless_inhibited(self):
        release = self.session.inhibit() if self.session.inhibit else None
        self.watcher = self.watch()
        self.assertTrue(wait_until(lambda: self.count(self.session.source), 10),
                        self.home.said("watch.log"))
        if release:
            time.sleep(3 * WAIT)
            self.assertEqual(self.count("show started"), 0, "a show while idling is inhibited")
            release()
            self.show_cycle(1, timed=False)
        for shows in range(self.count("show started") + 1, 3):
            self.show_cycle(shows)
        if self.desktop is X11:  # no session bus there: neither the watcher nor the show starts one
            self.assertEqual(autolaunched_buses(self.session.screen.display), [])
        self.session.end()
        self.assertEqual(self.watcher.wait(timeout=10), 0, "not ended with the session")


    def test_its_show_ends_with_the_watcher_however_it_ends(self):
        self.watcher = self.watch()
        self.assertTrue(wait_until(lambda: self.count("show started") == 1, 15),
                        self.home.said("watch.log"))
        show = children(self.watcher.pid)[0]
        self.watcher.kill()
        self.watcher.wait(timeout=10)
        self.assertTrue(wait_until(lambda: not alive(show), 3), "the show outlived its watcher")


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] not in ("Z", "X")
    except FileNotFoundError:
        return False


class OnSway(WatcherCases, unittest.TestCase):
    desktop = Sway


class OnKWin(WatcherCases, unittest.TestCase):
    desktop = KWin


class OnMutter(WatcherCases, unittest.TestCase):
    desktop = Mutter


class OnX11(WatcherCases, unittest.TestCase):
    desktop = X11

    def test_starts_the_program_as_installed_now_after_an_upgrade(self):
        def install():  # as a package manager does: a new file renamed over the old one
            shutil.copy2(SAVER, self.home.program + ".new")
            self.home.give()
            os.rename(self.home.program + ".new", self.home.program)

        self.watcher = self.watch()
        self.assertTrue(wait_until(lambda: self.count(self.session.source), 10))
        install()  # before the first show
        self.show_cycle(1)
        os.remove(self.home.program)  # removed: no show, and the watcher waits on
        self.assertTrue(wait_until(lambda: self.count("could not be started"), 3 * WAIT))
        install()
        self.show_cycle(2)
        self.assertIsNone(self.watcher.poll())

    def test_leaves_the_session_to_xscreensaver(self):
        if not shutil.which("xscreensaver"):
            self.skipTest("XScreenSaver is not installed")
        self.home.start(["xscreensaver", "-no-splash"], log="xscreensaver.log",
                        env=self.session.env)
        self.assertTrue(wait_until(lambda: self.session.screen.xdotool(
            "search", "--class", "XScreenSaver").strip(), 10), "XScreenSaver did not start")
        self.assertEqual(self.watch().wait(timeout=20), 0, self.home.said("watch.log"))
        self.assertIn("XScreenSaver", self.home.said("watch.log"))

    def test_without_a_session_it_says_so_and_fails(self):
        watcher = subprocess.run([SAVER, "--watch"], env={"PATH": os.defpath, "HOME": "/"},
                                 capture_output=True, text=True, timeout=20)
        self.assertNotEqual(watcher.returncode, 0)
        self.assertEqual(len(watcher.stderr.strip().splitlines()), 1, watcher.stderr)


if __name__ == "__main__":
    unittest.main()
