"""The program as the package installs it, started by its name alone on a virtual screen:
the show with its photo and caption, and the settings dialog from the desktop entry's
command. PATH must lead to the installed bin/ folder (check_packages.sh sets it)."""

import os
import shlex
import shutil
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import xsession  # noqa: E402
from xsession import Saver, VirtualScreen, ended_within, is_black, is_red, near  # noqa: E402

DESKTOP_ENTRY = os.environ.get("PELANDRA_DESKTOP_ENTRY", "")
GREEN = (0x30, 0xC0, 0x30)
DIALOG_TITLE = "^Screen Saver Settings$"


def desktop_command():
    with open(DESKTOP_ENTRY, encoding="utf-8") as entry:
        line = next(line for line in entry if line.startswith("Exec="))
    return shlex.split(line[len("Exec="):].strip())


class InstalledProgram(unittest.TestCase):
    def setUp(self):
        xsession.SAVER = "pelandra-saver"  # found on PATH, as a user starts it
        self.assertTrue(shutil.which("pelandra-saver"), "pelandra-saver is not on PATH")
        self.screen = VirtualScreen(800, 600)
        self.savers = []

    def tearDown(self):
        for saver in self.savers:
            saver.close()
        self.screen.close()

    def saver(self, **settings):
        saver = Saver(self.screen, **settings)
        self.savers.append(saver)
        return saver

    def test_started_by_name_it_shows_the_photos_and_a_key_ends_it(self):
        folder = self.saver().photos([("63COUPE.JPG", "#30c030")])
        saver = self.saver(interval=1, photo_dir=folder)
        process = saver.start()
        self.assertIsNotNone(saver.window(process), "the installed show opened no window")
        shot = self.screen.screenshot()
        for _ in range(40):
            if near(shot.pixel(400, 240), GREEN) and near(shot.pixel(14, 11), GREEN):
                break
            shot = self.screen.screenshot()
        self.assertTrue(near(shot.pixel(400, 240), GREEN) and near(shot.pixel(785, 478), GREEN))
        self.assertTrue(is_black(shot.pixel(8, 240)))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.screen.xdotool("key", "a")
        self.assertTrue(ended_within(process, 5), "a key did not end the installed show")
        self.assertEqual(process.returncode, 0)

    def test_the_desktop_entry_opens_the_settings_dialog(self):
        command = desktop_command()
        self.assertEqual(command[0], "pelandra-saver")
        saver = self.saver()
        process = saver.start(*command[1:])
        self.assertIsNotNone(saver.window(process), "the desktop entry opened no window")
        titles = self.screen.xdotool("search", "--onlyvisible", "--name", DIALOG_TITLE).split()
        self.assertTrue(titles, "no settings dialog")
        self.assertIsNone(process.poll())


if __name__ == "__main__":
    unittest.main()
