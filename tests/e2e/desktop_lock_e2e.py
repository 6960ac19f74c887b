"""The program beside each desktop's own screen blanking and locking, every desktop run by the
test as an ordinary user with stand-ins for logind and GDM on a system bus of its own: a
full-screen show ends when the desktop locks or blanks and at once when it starts on a locked
one, a hosted show does not; the watcher starts no show while the desktop is locked, waits
afresh after it unlocks, and by default waits a minute less than the desktop does."""

import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from host_window import HostWindow  # noqa: E402
from login_stand_in import LoginBus  # noqa: E402
from saver_home import SaverHome, as_user, children, missing, wait_until  # noqa: E402
from watch_e2e import Sway as SwayIdle  # noqa: E402
from xsession import VirtualScreen  # noqa: E402

WAIT = 2  # seconds: Minutes=2 with a minute shortened to one second
ENDS = 3  # seconds in which a show ends once the desktop locks or blanks
LOCKED_LINE = "the desktop is locked; no show until it unlocks"
UNLOCKED_LINE = "the desktop is unlocked; waiting again"


class StuckFork:
    """Calls true once a process of the group `group` named gnome-shell has had a forked
    child of the same name, one that has not gone on to run its program, for 3 s."""

    def __init__(self, group):
        self.group, self.since = group, {}

    def __call__(self):
        shells = {}
        for entry in os.listdir("/proc"):
            try:
                with open(f"/proc/{entry}/stat", encoding="utf-8", errors="replace") as f:
                    name, rest = f.read().rsplit(")", 1)
            except (OSError, ValueError):
                continue
            fields = rest.split()
            if name.endswith("(gnome-shell") and int(fields[2]) == self.group:
                shells[int(entry)] = int(fields[1])
        children = {pid for pid, parent in shells.items() if parent in shells}
        now = time.monotonic()
        self.since = {pid: self.since.get(pid, now) for pid in children}
        return "stuck" if any(now - t > 3 for t in self.since.values()) else None


def with_session_bus(home, command, env):
    """`command` started in a session bus of its own (dbus-run-session); returns the process
    and a function that reads the bus's address once the command has started."""
    bus_file = os.path.join(home.path, "session-bus")
    process = home.start(["dbus-run-session", "--", "sh", "-c",
                          f'echo "$DBUS_SESSION_BUS_ADDRESS" > {bus_file} && exec "$@"', "sh",
                          *command], log="compositor.log", env=env)

    def address():
        with open(bus_file, encoding="utf-8") as f:
            return f.read().strip()
    return process, address


# The desktops. Each starts in __init__ and gives the clients' environment (env), lock() and
# unlock() returning once the desktop says so, blank() where it blanks without locking,
# blank_after(minutes) where it has a time of its own to blank or lock; `tools`, the programs
# it needs, and why_not() why it cannot run here.

class Desktop:
    blank = blank_after = None
    no_blank = None  # why there is no blank()

    @classmethod
    def why_not(cls):
        return missing(cls.tools)

    def call(self, *args):
        return subprocess.run(as_user(["gdbus", "call", "--session", *args]), env=self.env,
                              capture_output=True, text=True, timeout=30).stdout

    def active(self, name, path):
        return "true" in self.call("-d", name, "-o", path, "-m", name + ".GetActive")

    def until(self, test, what):
        if not wait_until(test, 10):
            raise RuntimeError(f"the desktop never {what}:\n"
                               + self.home.said("compositor.log")[-3000:])


class GnomeShell(Desktop):
    """GNOME Shell 43, headless: its screen shield locks and blanks (org.gnome.ScreenSaver),
    sets logind's LockedHint and lifts on logind's Unlock; settings-daemon's proxy owns
    org.freedesktop.ScreenSaver, as in a GNOME session."""
    tools = ("gnome-shell", "gjs", "gsettings", "/usr/libexec/gsd-screensaver-proxy")

    @classmethod
    def why_not(cls):
        # The shell makes its lock screen only where this folder tells it logind runs (the
        # stand-in answers for logind); a container without systemd lacks it.
        if os.geteuid() == 0:
            os.makedirs("/run/systemd/seats", exist_ok=True)
        return missing(cls.tools) or (None if os.path.isdir("/run/systemd/seats") else
                                      "GNOME Shell locks nothing without /run/systemd/seats")

    def __init__(self, case, home):
        self.login, self.home = LoginBus(home), home
        env = home.env(**self.login.env(), XDG_CURRENT_DESKTOP="GNOME",
                       XDG_SESSION_TYPE="wayland")
        # GNOME Shell 43 starts ibus-daemon with a child setup in JavaScript, which now and
        # then deadlocks in the forked child and holds the shell's start-up for good: such a
        # start is ended and tried again. Locked before its start-up ends, it stops answering.
        for _ in range(4):
            shell, bus = with_session_bus(home, [
                "gnome-shell", "--headless", "--wayland", "--no-x11", "--wayland-display",
                "wayland-gnome", "--virtual-monitor", "1024x768"], env)
            stuck = StuckFork(shell.pid)
            if wait_until(lambda: stuck() or "GNOME Shell started" in
                          home.said("compositor.log"), 60) is True:
                break
            os.killpg(shell.pid, signal.SIGKILL)
            shell.wait()
        else:
            raise RuntimeError("GNOME Shell never started:\n" + home.said("compositor.log"))
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=bus(), WAYLAND_DISPLAY="wayland-gnome",
                        QT_QPA_PLATFORM="wayland")
        home.start(["/usr/libexec/gsd-screensaver-proxy"], log="proxy.log", env=self.env)
        self.until(self.login.followed, "followed the session's lock")
        self.until(lambda: "org.freedesktop.ScreenSaver" in self.call(
            "-d", "org.freedesktop.DBus", "-o", "/org/freedesktop/DBus", "-m",
            "org.freedesktop.DBus.ListNames"), "had settings-daemon's proxy")

    def screensaver(self, method, *args):
        self.call("-d", "org.gnome.ScreenSaver", "-o", "/org/gnome/ScreenSaver", "-m",
                  "org.gnome.ScreenSaver." + method, *args)

    def shielded(self):
        return self.active("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver")

    def lock(self):
        self.screensaver("Lock")  # answered once the lock screen is up
        self.until(self.shielded, "locked")

    def blank(self):
        self.screensaver("SetActive", "true")
        self.until(self.shielded, "blanked")

    def unlock(self):  # as loginctl unlock-session does: no key ever reaches the lock screen
        self.login.unlock()
        self.until(lambda: not self.shielded() and not self.login.locked_hint(), "unlocked")

    def blank_after(self, minutes):
        subprocess.run(as_user(["gsettings", "set", "org.gnome.desktop.session", "idle-delay",
                                str(minutes * 60)]), env=self.env, check=True, timeout=30)


class KWin(Desktop):
    """kwin_wayland 5.27, virtual backend, with KDE's screen locker in it: it owns
    org.freedesktop.ScreenSaver, sets logind's LockedHint and lifts on logind's Unlock."""
    tools = ("kwin_wayland", "/usr/lib/x86_64-linux-gnu/libexec/kscreenlocker_greet")
    no_blank = "KDE's screen locker never blanks without locking: its SetActive(true) locks"

    def __init__(self, case, home):
        self.login, self.home = LoginBus(home), home
        # A copy without the file capability that a container may not grant on exec.
        kwin = os.path.join(home.path, "bin", "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        home.give()
        env = home.env(**self.login.env(), WAYLAND_DISPLAY="wayland-test",
                       QT_QPA_PLATFORM="wayland", XDG_CURRENT_DESKTOP="KDE",
                       XDG_SESSION_TYPE="wayland", KWIN_WAYLAND_NO_PERMISSION_CHECKS="1")
        _, bus = with_session_bus(home, [kwin, "--virtual", "--width", "1024", "--height",
                                         "768", "--socket", "wayland-test"], env)
        self.until(lambda: os.path.exists(os.path.join(home.runtime, "wayland-test")),
                   "made its Wayland socket")
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=bus())
        self.until(self.login.followed, "followed the session's lock")

    def locked(self):
        return self.active("org.freedesktop.ScreenSaver", "/ScreenSaver")

    def lock(self):
        self.call("-d", "org.freedesktop.ScreenSaver", "-o", "/ScreenSaver", "-m",
                  "org.freedesktop.ScreenSaver.Lock")
        self.until(self.locked, "locked")
        self.locked_at = time.monotonic()

    def unlock(self):  # the greeter is ended by the locker, as loginctl unlock-session does
        # A second after locking, KWin tells the locker the lock screen is shown even if it
        # was unlocked meanwhile, which locks again: not unlocked before then.
        time.sleep(max(0.0, self.locked_at + 1.2 - time.monotonic()))
        self.login.unlock()
        self.until(lambda: not self.locked() and not self.login.locked_hint(), "unlocked")

    def blank_after(self, minutes):
        self.home.write(".config/kscreenlockerrc",
                        f"[Daemon]\nAutolock=true\nTimeout={minutes}\n")


class Sway(SwayIdle, Desktop):
    """sway 1.7, whose lockers (swaylock) tell only logind: LockedHint set on the stand-in.
    No XDG_SESSION_ID, so the session is the one logind gives for the program's process."""
    no_blank = "sway blanks through swayidle's DPMS, which tells no one"

    def __init__(self, case, home):
        super().__init__(case, home)
        self.login = LoginBus(home)
        self.env = self.sway.env(**self.login.env(with_session_id=False))

    def lock(self):
        self.login.set_locked_hint(True)

    def unlock(self):
        self.login.set_locked_hint(False)


class LockCases:
    desktop = None  # one of the classes above

    def setUp(self):
        reason = self.desktop.why_not()
        if reason:
            self.skipTest(f"{self.desktop.__name__} cannot run here: {reason}")
        self.home = SaverHome(watch_minutes=WAIT)
        self.addCleanup(self.home.close)
        since = time.monotonic()
        self.session = self.desktop(self, self.home)
        print(f"\n{self.desktop.__name__} up in {time.monotonic() - since:.1f} s",
              file=sys.stderr)

    def show(self, *args, env=None, log="show.log"):
        return self.home.start([self.home.program, *args], log=log, env=env or self.session.env)

    def assert_ends(self, show, why):
        try:
            self.assertEqual(show.wait(timeout=ENDS), 0, self.home.said("show.log"))
        except subprocess.TimeoutExpired:
            self.fail(f"the show ran on {why}")

    def assert_runs(self, show):
        time.sleep(2)  # up, and following the desktop
        self.assertIsNone(show.poll(), "the show ended by itself:\n" + self.home.said("show.log"))

    def ends_with(self, lock, unlock, what):
        show = self.show()
        self.assert_runs(show)
        lock()
        self.assert_ends(show, f"after the desktop {what}")
        self.assert_ends(self.show(), f"a desktop that {what} before it started")
        unlock()
        self.assert_runs(self.show())

    def test_a_full_screen_show_ends_when_the_desktop_locks(self):
        self.ends_with(self.session.lock, self.session.unlock, "locked")

    def test_a_full_screen_show_ends_when_the_desktop_blanks(self):
        if not self.session.blank:
            self.skipTest(self.session.no_blank)
        self.ends_with(self.session.blank, self.session.unlock, "blanked")

    def test_a_hosted_show_is_left_to_its_host(self):
        # On an X server of its own beside the desktop: the desktop's lock signals reach
        # it all the same.
        screen = VirtualScreen(800, 600)
        self.addCleanup(screen.close)
        host = HostWindow(screen.display, 0, 0, 800, 600)
        self.addCleanup(host.close)
        show = self.show("-window-id", hex(host.id),
                         env=dict(self.session.env, DISPLAY=screen.display,
                                  QT_QPA_PLATFORM="xcb"))
        self.assertTrue(wait_until(lambda: screen.xdotool("search", "--onlyvisible", "--pid",
                                                          str(show.pid)).strip(), 10),
                        "the hosted show drew nothing:\n" + self.home.said("show.log"))
        self.session.lock()
        self.assert_runs(show)

    # The watcher

    def watch(self):
        return self.home.start([self.home.program, "--watch"], log="watch.log",
                               env=dict(self.session.env, PELANDRA_WATCH_MINUTE_MS="1000"))

    def said(self):
        return self.home.said("watch.log")

    def count(self, what):
        return self.said().count(what)

    def settings(self, minutes=None):
        self.home.write(".config/pelandra-omnarium/screensaver.ini",
                        f"[Settings]\nInterval=1\nPelandrasDir={self.home.path}/cd/pyrnox/\n"
                        + (f"[Watch]\nMinutes={minutes}\n" if minutes else ""))

    def started(self, shows):
        self.assertTrue(wait_until(lambda: self.count("show started") >= shows, 15),
                        "no show after the wait:\n" + self.said())
        self.assertEqual(self.count("show started"), shows, self.said())

    def end_show(self, watcher, shows):
        os.kill(children(watcher.pid)[0], signal.SIGTERM)
        self.assertTrue(wait_until(lambda: self.count("show ended") == shows, 10), self.said())

    def test_the_watcher_shows_nothing_while_the_desktop_is_locked(self):
        self.session.lock()
        watcher = self.watch()
        self.assertTrue(wait_until(lambda: self.count(LOCKED_LINE), WAIT + 10), self.said())
        time.sleep(WAIT)
        self.assertEqual(self.count("show started"), 0, "a show on the locked desktop")
        self.session.unlock()
        unlocked = time.monotonic()
        self.assertTrue(wait_until(lambda: self.count(UNLOCKED_LINE), 5), self.said())
        self.started(1)
        self.assertGreaterEqual(time.monotonic() - unlocked, WAIT - 0.5,
                                "a show before a fresh wait from the unlock")
        # Its show ends with the next lock, and none follows while locked.
        time.sleep(1.5)
        self.session.lock()
        self.assertTrue(wait_until(lambda: self.count("show ended") == 1, ENDS), self.said())
        self.assertTrue(wait_until(lambda: self.count(LOCKED_LINE) == 2, WAIT + 10),
                        self.said())
        time.sleep(WAIT)
        self.assertEqual(self.count("show started"), 1, "a show on the locked desktop")
        self.assertIsNone(watcher.poll(), self.said())

    def test_the_watcher_waits_a_minute_less_than_the_desktop(self):
        if not self.session.blank_after:
            self.skipTest(f"{self.desktop.__name__} has no blank time of its own")
        self.settings()
        self.session.blank_after(3)
        watcher = self.watch()
        self.started(1)
        self.assertIn("idle for 2 min: show started", self.said())
        self.session.blank_after(5)  # read again for the next wait
        self.end_show(watcher, 1)
        self.started(2)
        self.assertIn("idle for 4 min: show started", self.said())
        watcher.terminate()
        watcher.wait(timeout=10)
        # Minutes set, and not short of the desktop's: one warning a wait.
        self.settings(minutes=3)
        self.session.blank_after(3)
        self.watch()
        self.started(1)
        self.assertEqual(self.count("the desktop blanks after"), 1, self.said())


class OnGnomeShell(LockCases, unittest.TestCase):
    desktop = GnomeShell


class OnKWin(LockCases, unittest.TestCase):
    desktop = KWin


class OnSway(LockCases, unittest.TestCase):
    desktop = Sway


if __name__ == "__main__":
    unittest.main()
