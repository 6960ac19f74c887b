"""The built show run the way a screen-saver daemon runs it: inside the daemon's window
(XSCREENSAVER_WINDOW or -window-id), ended by signals or by the window going away."""

import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from host_window import Connection, HostWindow  # noqa: E402
from xsession import Saver, VirtualScreen, ended_within, is_black, is_red  # noqa: E402

SHOW_TITLE = "The Pelandra Omnarium Screen Saver"
NOTICE_GREY = (0x40, 0x40, 0x40)
MISSING_PHOTOS = "Unable to find Pelandra photographs!"


def not_black(p):
    return not is_black(p)


def is_white(p):
    return min(p) >= 240


class HostedSaver(Saver):
    """The program with XSCREENSAVER_WINDOW set, as the daemon starts it."""

    def __init__(self, screen, host_id=None, **settings):
        super().__init__(screen, **settings)
        self.host_id = host_id

    def env(self):
        env = super().env()
        if self.host_id is not None:
            env["XSCREENSAVER_WINDOW"] = str(self.host_id)
        return env


class HostedTest(unittest.TestCase):
    def setUp(self):
        self.screen = VirtualScreen(800, 600)
        self.connection = Connection(self.screen.display)
        self.saver = None
        self.host = None

    def tearDown(self):
        if self.saver:
            self.saver.close()
        if self.host:
            self.host.close()
        self.connection.close()
        self.screen.close()

    def root_id(self):
        """The root window's id as xwininfo gives it (hex)."""
        info = subprocess.run(["xwininfo", "-root"], env=self.screen.env(), capture_output=True,
                              text=True, timeout=20, check=True).stdout
        return next(line.split()[3] for line in info.splitlines() if "Window id:" in line)

    def start(self, host_id, *args, **settings):
        if self.saver is None:
            self.saver = HostedSaver(self.screen, host_id, **settings)
        process = self.saver.start(*args)
        self.assertIsNotNone(self.saver.window(process), "the show drew no window")
        return process

    def wait_for(self, test, seconds=5):
        deadline = time.monotonic() + seconds
        shot = self.screen.screenshot()
        while not test(shot) and time.monotonic() < deadline:
            time.sleep(0.2)
            shot = self.screen.screenshot()
        return shot


class InTheRootWindow(HostedTest):
    def test_the_show_column_fills_the_daemons_window(self):
        self.start(self.root_id(), interval=60)
        shot = self.screen.screenshot()
        # The same column as the standalone show on an 800 x 600 screen.
        self.assertGreater(shot.count(14, 10, 772, 469, not_black), 772 * 469 * 0.3)
        self.assertEqual(shot.count(5, 60, 5, 360, not_black), 0)
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertGreater(shot.count(120, 514, 560, 65, not_black), 560 * 65 * 0.04)
        self.assertEqual(shot.count(0, 582, 800, 18, not_black), 0)

    def test_keys_and_the_mouse_are_left_to_the_daemon(self):
        process = self.start(self.root_id(), interval=60)
        self.screen.xdotool("key", "shift")
        self.screen.xdotool("key", "a")
        for x, y in ((300, 590), (310, 590), (300, 240), (310, 240), (320, 240), (330, 240),
                     (400, 300)):
            self.screen.xdotool("mousemove", str(x), str(y))
            time.sleep(0.1)
        self.screen.xdotool("click", "1")
        self.assertFalse(ended_within(process, 1.5), "input ended a hosted show")

    def test_a_second_copy_runs_beside_the_first_and_signals_end_both_cleanly(self):
        root = self.root_id()
        first = self.start(root, interval=60)
        second = self.start(root, interval=60)  # e.g. the daemon's preview while it blanks
        self.assertFalse(ended_within(second, 1.5), "the second hosted copy ended")
        self.assertIsNone(first.poll())
        first.send_signal(signal.SIGTERM)
        self.assertTrue(ended_within(first, 5), "SIGTERM did not end the show")
        self.assertEqual(first.returncode, 0)
        second.send_signal(signal.SIGINT)
        self.assertTrue(ended_within(second, 5), "SIGINT did not end the show")
        self.assertEqual(second.returncode, 0)

    def test_missing_photos_are_shown_in_the_show_and_said_once(self):
        process = self.start(self.root_id(), interval=1, photo_dir="/nonexistent/pyrnox/")
        def grey(shot):
            return shot.count(100, 100, 600, 300, lambda p: p == NOTICE_GREY)

        self.assertGreater(grey(self.wait_for(lambda s: grey(s) > 1000)), 1000)
        time.sleep(2.5)  # more failing ticks
        boxes = self.screen.xdotool("search", "--onlyvisible", "--name", SHOW_TITLE).split()
        self.assertEqual(boxes, [], "a hosted show opened a message box")
        self.assertIsNone(process.poll())
        process.send_signal(signal.SIGTERM)
        self.assertTrue(ended_within(process, 5))
        said = process.stderr.read().decode()
        self.assertEqual(said.count(MISSING_PHOTOS), 1, said)


class WithAWindowIdThatIsNone(HostedTest):
    def test_junk_is_refused_in_one_line_and_a_missing_window_runs_full_screen(self):
        saver = self.saver = HostedSaver(self.screen)
        junk = [(None, ["-window-id", id]) for id in ("garbage", "0", "-1", "", "0x1FFFFFFFF",
                                                        "12abc")]
        junk += [(None, ["-window-id"]), (None, ["-root", "-window-id", "x"]), ("abc", [])]
        for saver.host_id, args in junk:
            process = saver.start(*args)
            self.assertTrue(ended_within(process, 10), args)
            said = process.stderr.read().decode()
            self.assertEqual((process.returncode, len(said.splitlines())), (1, 1), (args, said))
        saver.host_id = None
        process = saver.start("-window-id", "0x7ffffff0")
        self.assertIsNotNone(saver.window(process), "no full-screen show")
        self.assertIsNone(process.poll())
        process.kill()
        process.wait()
        self.assertIn("no such X window", process.stderr.read().decode())


class InAPreviewWindow(HostedTest):
    def setUp(self):
        super().setUp()
        self.host = HostWindow(self.screen.display, 40, 30, 320, 240)

    def test_the_design_is_scaled_down_into_the_host_and_follows_its_size(self):
        process = self.start(None, "-window-id", hex(self.host.id), interval=60)
        shot = self.screen.screenshot()
        # The whole host is the show's: black, not the host's white, around the column ...
        self.assertEqual(shot.count(40, 30, 2, 240, is_white), 0)
        self.assertEqual(shot.count(358, 30, 2, 240, is_white), 0)
        self.assertEqual(shot.count(40, 263, 320, 7, is_white), 0)
        # ... which is the 800 x 600 column at two fifths: photo, caption, logo.
        self.assertGreater(shot.count(47, 35, 307, 185, not_black), 307 * 185 * 0.3)
        self.assertGreater(shot.count(150, 226, 101, 9, not_black), 3)
        self.assertGreater(shot.count(88, 235, 225, 27, not_black), 225 * 27 * 0.04)
        self.assertEqual(shot.count(40, 30, 3, 240, not_black), 0)  # left of the frame
        # Nothing outside the host.
        self.assertEqual(shot.count(360, 0, 440, 600, not_black), 0)
        self.assertEqual(shot.count(0, 270, 800, 330, not_black), 0)

        self.host.resize(480, 240)  # wider: the same column, centred
        shot = self.wait_for(lambda s: s.count(40, 30, 80, 240, not_black) == 0 and
                             s.count(125, 35, 300, 185, not_black) > 300 * 185 * 0.3)
        self.assertEqual(shot.count(40, 30, 80, 240, not_black), 0)
        self.assertEqual(shot.count(440, 30, 80, 240, not_black), 0)
        self.assertGreater(shot.count(127, 35, 307, 185, not_black), 307 * 185 * 0.3)
        self.assertIsNone(process.poll())

    def test_a_huge_host_costs_no_more_than_a_full_screen_show(self):
        process = self.start(self.host.id, interval=60)
        self.host.resize(30000, 30000)
        # Drawn where the screen shows it: the 800 x 600 column from the host's corner.
        shot = self.wait_for(lambda s: s.count(54, 40, 760, 440, not_black) > 760 * 440 * 0.3)
        self.assertGreater(shot.count(54, 40, 760, 440, not_black), 760 * 440 * 0.3)
        self.assertIsNone(process.poll())
        with open(f"/proc/{process.pid}/status") as status:
            peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
        self.assertLess(peak, 300 * 1024, f"the show took {peak // 1024} MiB at its peak")

    def test_the_show_ends_when_its_host_window_goes(self):
        process = self.start(self.host.id, interval=60)
        self.assertFalse(ended_within(process, 0.5))
        self.host.destroy()
        self.assertTrue(ended_within(process, 5), "the show outlived its host window")
        self.assertEqual(process.returncode, 0)


if __name__ == "__main__":
    unittest.main()
