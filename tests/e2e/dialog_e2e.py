"""The built settings dialog on a virtual X screen: stepping, storing, help, exit."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import Saver, VirtualScreen, ended_within, near  # noqa: E402

HELP_TITLE = "The Pelandra Omnarium Screen Saver Settings"
BLUE = (0x20, 0x80, 0xE0)


def twips(x, y):
    """A point of the dialog's client area given in twips, as pixels."""
    return str(round(x / 15)), str(round(y / 15))


RIGHT_ARROW = twips(3120 + 975 * 3 / 4, 3240 + 255 / 2)
LEFT_ARROW = twips(3120 + 975 / 4, 3240 + 255 / 2)
SET = twips(360 + 1815 / 2, 3720 + 375 / 2)
EXIT = twips(2160 + 1815 / 2, 3720 + 375 / 2)
HELP = twips(3960 + 1815 / 2, 3720 + 375 / 2)


class DialogTest(unittest.TestCase):
    def setUp(self):
        self.screen = VirtualScreen(800, 600)
        self.savers = []

    def tearDown(self):
        for saver in self.savers:
            saver.close()
        self.screen.close()

    def open(self, *args, **settings):
        saver = Saver(self.screen, **settings)
        self.savers.append(saver)
        process = saver.start(*(args or ("/c",)))
        window = saver.window(process)
        self.assertIsNotNone(window, "no settings dialog")
        return saver, process, window

    def click(self, window, point):
        self.screen.xdotool("mousemove", "--window", window, *point)
        time.sleep(0.1)
        self.screen.xdotool("click", "1")
        time.sleep(0.3)

    def test_the_dialog_opens_titled_and_sized(self):
        saver, process, window = self.open("/c:1234")
        self.assertEqual(self.screen.xdotool("getwindowname", window).strip(),
                         "Screen Saver Settings")
        geometry = self.screen.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in geometry.split())
        self.assertEqual((int(values["WIDTH"]), int(values["HEIGHT"])), (415, 296))

    def test_two_steps_up_and_set_store_the_delay_the_next_show_uses(self):
        saver, process, window = self.open(interval=1)
        self.click(window, RIGHT_ARROW)
        self.click(window, RIGHT_ARROW)
        self.click(window, SET)
        self.assertIn("Interval=3", saver.settings())
        self.click(window, EXIT)
        self.assertTrue(ended_within(process, 5))
        self.assertEqual(process.returncode, 0)

        folder = saver.photos([("ZZ01.JPG", "#2080e0")])
        with open(saver.ini, encoding="utf-8") as f:
            text = f.read()
        with open(saver.ini, "w", encoding="utf-8") as f:
            f.write(text.rstrip("\n") + f"\nPelandrasDir={folder}\n")
        show = saver.start()
        self.assertIsNotNone(saver.window(show))
        started = time.monotonic()
        while time.monotonic() - started < 8:
            if near(self.screen.screenshot().pixel(400, 240), BLUE):
                break
            time.sleep(0.2)
        first_photo_after = time.monotonic() - started
        self.assertGreater(first_photo_after, 2.0)  # not the 1 second stored before
        self.assertLess(first_photo_after, 6.0)

    def test_stepping_wraps_and_set_stores_the_wrapped_value(self):
        saver, process, window = self.open(interval=1)
        self.click(window, LEFT_ARROW)  # 1 second wraps to 60
        self.click(window, SET)
        self.assertIn("Interval=60", saver.settings())

    def test_help_shows_its_box_and_leaves_the_settings_alone(self):
        saver, process, window = self.open(interval=15)
        before = saver.settings()
        self.click(window, HELP)
        boxes = self.screen.xdotool("search", "--onlyvisible", "--name", HELP_TITLE).split()
        self.assertEqual(len(boxes), 1)
        self.screen.xdotool("key", "Return")
        time.sleep(0.3)
        self.assertIsNone(process.poll())
        self.assertEqual(saver.settings(), before)


if __name__ == "__main__":
    unittest.main()
