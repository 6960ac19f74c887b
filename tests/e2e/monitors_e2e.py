"""The standalone show on two monitors side by side: the primary one gets the show as on a
single 800 x 600 screen, the other is covered in black, and input there ends the show.

Xvfb has one output, so this runs Xorg's dummy video driver (as root), whose outputs RandR
turns into two monitors: an 800 x 600 primary and a 1024 x 768 one to its right."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import (Saver, VirtualScreen, ended_within, is_black, is_red,  # noqa: E402
                      largest_shared_buffer)

DUMMY_DRIVER = "/usr/lib/xorg/modules/drivers/dummy_drv.so"
# Xorg on the dummy driver, its screen `virtual` ("width height") large enough for every
# layout of monitors the test makes.
CONFIG = """
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual {virtual}
    EndSubSection
EndSection
"""
SECOND = (800, 0, 1024, 768)  # left, top, width, height of the monitor on the right


class DummyScreens(VirtualScreen):
    """An Xorg server on the dummy driver with two RandR monitors, its root painted red."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="pelandra-xorg-")
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w", encoding="utf-8") as out:
            out.write(CONFIG.format(virtual="1824 768"))
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xorg", "-displayfd", str(write), "-config", config, "-noreset", "-nolisten",
             "tcp", "-logfile", os.path.join(self.folder, "xorg.log")],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            cwd=self.folder)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.xvfb.wait(timeout=10)
            raise RuntimeError("Xorg did not start")
        self.display = f":{number}"
        self.width, self.height = 1824, 768
        for command in (["--output", "DUMMY0", "--mode", "800x600", "--pos", "0x0", "--primary"],
                        ["--addmode", "DUMMY1", "1024x768"]):
            self.xrandr(*command)
        self.attach_second()
        subprocess.run(["xsetroot", "-solid", "red"], env=self.env(), check=True, timeout=20)

    def xrandr(self, *args):
        subprocess.run(["xrandr", *args], env=self.env(), check=True, timeout=20,
                       capture_output=True)

    def attach_second(self):
        self.xrandr("--output", "DUMMY1", "--mode", "1024x768", "--right-of", "DUMMY0")

    def detach_second(self):
        self.xrandr("--output", "DUMMY1", "--off")

    def monitors(self):
        """Left, top, width and height of each monitor, the primary one first."""
        listed = subprocess.run(["xrandr", "--listmonitors"], env=self.env(), check=True,
                                timeout=20, capture_output=True, text=True).stdout
        found = sorted((line.find("*") < 0, [int(n) for n in re.search(
            r"(\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+)", line).groups()])
            for line in listed.splitlines()[1:])
        return [(left, top, width, height) for _, (width, height, left, top) in found]

    def close(self):
        super().close()
        shutil.rmtree(self.folder, ignore_errors=True)


def why_not():
    if os.geteuid() != 0:
        return "Xorg's dummy driver needs root to start"
    if not shutil.which("Xorg") or not os.path.exists(DUMMY_DRIVER):
        return "Xorg or its dummy driver (xserver-xorg-video-dummy) is not installed"
    if not shutil.which("xrandr") or not shutil.which("xsetroot"):
        return "xrandr or xsetroot (x11-xserver-utils) is not installed"
    return None


class TwoMonitors(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        reason = why_not()
        if reason:
            raise unittest.SkipTest(reason)
        try:
            cls.screen = DummyScreens()
        except (RuntimeError, subprocess.SubprocessError) as error:
            raise unittest.SkipTest(f"this X server cannot start here: {error}")

    @classmethod
    def tearDownClass(cls):
        cls.screen.close()

    def setUp(self):
        self.saver = Saver(self.screen, interval=60)
        self.process = self.saver.start()
        self.assertIsNotNone(self.saver.window(self.process), "the show opened no window")
        time.sleep(1)

    def tearDown(self):
        self.saver.close()

    def red_on_second(self, shot):
        return shot.count(*SECOND, is_red)

    def test_the_primary_keeps_its_layout_and_the_second_is_black(self):
        shot = self.screen.screenshot(keep_as=os.path.join(tempfile.gettempdir(),
                                                           "pelandra-two-monitors.ppm"))
        # The primary: the frame's black border, the title picture, the red caption under it.
        self.assertEqual(shot.count(5, 60, 5, 360, lambda p: not is_black(p)), 0)
        self.assertGreater(shot.count(14, 10, 772, 469, lambda p: not is_black(p)),
                           772 * 469 * 0.3)
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertEqual(shot.count(0, 489, 270, 24, is_red), 0)
        # The second monitor: black all over, none of the red root left, and painted by the
        # X server: the program holds no buffer of its size.
        self.assertEqual(self.red_on_second(shot), 0)
        self.assertEqual(shot.count(*SECOND, lambda p: not is_black(p)), 0)
        self.assertLess(largest_shared_buffer(self.process.pid), SECOND[2] * SECOND[3] * 4)

    def test_a_click_on_the_second_monitor_ends_the_show(self):
        self.screen.xdotool("mousemove", "1300", "400")
        time.sleep(0.3)
        self.screen.xdotool("click", "1")
        self.assertTrue(ended_within(self.process, 10), "the show went on")
        self.assertEqual(self.process.returncode, 0)

    def test_a_key_with_the_pointer_on_the_second_monitor_ends_the_show(self):
        self.screen.xdotool("mousemove", "1300", "400")  # the first of the moves let through
        time.sleep(0.3)
        self.assertIsNone(self.process.poll())
        self.screen.xdotool("key", "space")
        self.assertTrue(ended_within(self.process, 10), "the show went on")
        self.assertEqual(self.process.returncode, 0)

    def test_moves_there_count_with_the_window_surface(self):
        for x in (1000, 1100, 1200):
            self.screen.xdotool("mousemove", str(x), "300")
            time.sleep(0.3)
        self.assertIsNone(self.process.poll(), "ended before the fourth move")
        self.screen.xdotool("mousemove", "1300", "300")
        self.assertTrue(ended_within(self.process, 10), "the fourth move did not end it")
        self.assertEqual(self.process.returncode, 0)

    def test_after_monitors_change_the_show_is_laid_out_again_on_the_primary(self):
        changes = (["--output", "DUMMY1", "--primary"],
                   ["--output", "DUMMY0", "--off"],  # DUMMY1 moves to the left edge
                   ["--output", "DUMMY0", "--mode", "800x600", "--pos", "0x0", "--primary",
                    "--output", "DUMMY1", "--off"],
                   ["--output", "DUMMY0", "--mode", "1024x768"])  # grown
        try:
            for change in changes:
                self.screen.xrandr(*change)
                time.sleep(1)
                shot = self.screen.screenshot()
                monitors = self.screen.monitors()
                x, y, width, height = monitors[0]
                # The photo frame of the layout for that size, lowered unless 800 x 600 ...
                frame_x = x + (width - 793) // 2 + 11
                frame_y = y + (10 if (width, height) == (800, 600) else 103)
                self.assertGreater(shot.count(frame_x, frame_y, 772, 469,
                                              lambda p: not is_black(p)), 772 * 469 * 0.3, change)
                # ... black beside the column, and the other monitors black: no desktop seen.
                side = (width - 793) // 2 - 1
                black = monitors[1:] + [(x, y, side, height), (x + width - side, y, side, height)]
                self.assertEqual(sum(shot.count(*r, is_red) for r in black), 0, change)
                self.assertIsNone(self.process.poll())
        finally:
            self.screen.xrandr("--output", "DUMMY0", "--mode", "800x600", "--pos", "0x0",
                               "--primary")
            self.screen.attach_second()
            subprocess.run(["xsetroot", "-solid", "red"], env=self.screen.env(), check=True,
                           timeout=20)

    def test_a_monitor_that_goes_and_comes_back_is_covered_again(self):
        try:
            self.screen.detach_second()
            time.sleep(1.5)
            self.assertIsNone(self.process.poll(), "the show ended with the monitor")
            self.screen.attach_second()
            subprocess.run(["xsetroot", "-solid", "red"], env=self.screen.env(), check=True,
                           timeout=20)
            time.sleep(1.5)
            shot = self.screen.screenshot()
            self.assertEqual(self.red_on_second(shot), 0, "the monitor came back uncovered")
            self.assertGreater(shot.count(14, 10, 772, 469, lambda p: not is_black(p)),
                               772 * 469 * 0.3)
        finally:
            self.screen.attach_second()


if __name__ == "__main__":
    unittest.main()
