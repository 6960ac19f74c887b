"""The built show on a virtual X screen: what it draws, how it walks, how it ends."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import (Saver, VirtualScreen, autolaunched_buses, ended_within,  # noqa: E402
                      is_black, is_red, largest_shared_buffer, near)

BLUE = (0x20, 0x80, 0xE0)
GREEN = (0x30, 0xC0, 0x30)
SHOW_TITLE = "The Pelandra Omnarium Screen Saver"


class ShowTest(unittest.TestCase):
    size = (800, 600)

    def setUp(self):
        self.screen = VirtualScreen(*self.size)
        self.saver = None
        self.makers = []

    def tearDown(self):
        for saver in [self.saver, *self.makers]:
            if saver:
                saver.close()
        self.screen.close()

    def photo_folder(self, names_and_colours):
        maker = Saver(self.screen)
        self.makers.append(maker)
        return maker.photos(names_and_colours)

    def start(self, *args, **settings):
        self.saver = Saver(self.screen, **settings)
        process = self.saver.start(*args)
        self.assertIsNotNone(self.saver.window(process), "the show opened no window")
        return process

    def error_boxes(self):
        return self.screen.xdotool("search", "--onlyvisible", "--name", SHOW_TITLE).split()


class Layout800(ShowTest):
    def test_column_of_frame_caption_and_logo_before_the_first_tick(self):
        self.start(interval=60)
        shot = self.screen.screenshot()
        self.assertEqual((shot.width, shot.height), (800, 600))
        # The frame's black border, 8 pixels around the title picture (frame at x 3.5..796.5).
        self.assertEqual(shot.count(5, 60, 5, 360, lambda p: not is_black(p)), 0)
        self.assertEqual(shot.count(100, 1, 600, 6, lambda p: not is_black(p)), 0)
        # The title picture fills the photo area (11.5..788.5 x 8..481).
        title = shot.count(14, 10, 772, 469, lambda p: not is_black(p))
        self.assertGreater(title, 772 * 469 * 0.3)
        # The caption panel right under the frame (273.5..526.5 x 489..513) in red.
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertEqual(shot.count(0, 489, 270, 24, is_red), 0)
        # The logo strip under the caption (118.5..681.5 x 513..580).
        self.assertGreater(shot.count(120, 514, 560, 65, lambda p: not is_black(p)), 560 * 65 * 0.04)
        # Nothing below the column, nothing beside the caption and logo.
        self.assertEqual(shot.count(0, 582, 800, 18, lambda p: not is_black(p)), 0)
        self.assertEqual(shot.count(0, 492, 110, 100, lambda p: not is_black(p)), 0)
        self.assertEqual(shot.count(690, 492, 110, 100, lambda p: not is_black(p)), 0)

    def test_ticks_show_the_photos_with_their_captions(self):
        folder = self.photo_folder([("ZZ01.JPG", "#2080e0")])
        self.start(interval=1, photo_dir=folder)
        before = self.screen.screenshot()
        deadline = time.monotonic() + 6
        shot = before
        while time.monotonic() < deadline:
            shot = self.screen.screenshot()
            if near(shot.pixel(400, 240), BLUE):
                break
            time.sleep(0.2)
        self.assertTrue(near(shot.pixel(400, 240), BLUE), shot.pixel(400, 240))
        # The photo is stretched over the whole photo area, corners included.
        self.assertTrue(near(shot.pixel(14, 11), BLUE) and near(shot.pixel(785, 478), BLUE))
        self.assertTrue(is_black(shot.pixel(8, 240)))
        # The caption changed from the publisher's name and is still red text.
        self.assertNotEqual(before.crop(274, 489, 252, 24), shot.crop(274, 489, 252, 24))
        self.assertGreater(shot.count(274, 489, 252, 24, is_red), 20)
        self.assertEqual(self.error_boxes(), [])

    def test_the_first_photo_of_a_pass_stays_three_ticks_the_next_one(self):
        folder = self.photo_folder([("ZZ01.JPG", "#2080e0"), ("63COUPE.JPG", "#30c030")])
        self.start(interval=1, photo_dir=folder)
        runs = []  # [colour, first seen, last seen]
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and len(runs) < 4:
            pixel = self.screen.screenshot().pixel(400, 240)
            colour = "blue" if near(pixel, BLUE) else "green" if near(pixel, GREEN) else None
            now = time.monotonic()
            if colour and runs and runs[-1][0] == colour:
                runs[-1][2] = now
            elif colour:
                runs.append([colour, now, now])
            time.sleep(0.1)
        self.assertGreaterEqual(len(runs), 3, runs)
        first, second, third = runs[:3]
        self.assertEqual(first[0], third[0])
        self.assertNotEqual(first[0], second[0])
        # Three ticks on the first file, one on the next: compared with each other, so a
        # slow machine stretches both alike.
        first_stay = second[1] - first[1]
        second_stay = third[1] - second[1]
        self.assertGreater(first_stay / second_stay, 2.0, runs)


class Layout1024(ShowTest):
    size = (1024, 768)

    def test_the_column_is_lowered_on_other_screens(self):
        process = self.start(interval=60)
        shot = self.screen.screenshot()
        # Frame lowered by 1400 twips (93.3 px): nothing above it.
        self.assertEqual(shot.count(0, 0, 1024, 92, lambda p: not is_black(p)), 0)
        self.assertGreater(shot.count(125, 104, 770, 460, lambda p: not is_black(p)), 770 * 460 * 0.3)
        # The caption panel at 582.3 (left 385.5), the logo at 606.3.
        self.assertGreater(shot.count(386, 583, 252, 23, is_red), 20)
        self.assertGreater(shot.count(232, 608, 560, 64, lambda p: not is_black(p)), 560 * 64 * 0.04)
        self.assertEqual(shot.count(0, 675, 1024, 93, lambda p: not is_black(p)), 0)
        # The black around the column is the X server's: no buffer of the screen's size.
        self.assertLess(largest_shared_buffer(process.pid), 1024 * 768 * 4)


class Ending(ShowTest):
    def test_any_key_ends_the_show(self):
        process = self.start(interval=60)
        self.screen.xdotool("key", "shift")
        self.assertTrue(ended_within(process, 5), "a key press did not end the show")
        self.assertEqual(process.returncode, 0)

    def test_a_mouse_button_on_the_photo_ends_the_show(self):
        process = self.start(interval=60)
        self.screen.xdotool("click", "1")  # the pointer starts at the screen's centre
        self.assertTrue(ended_within(process, 5))
        self.assertEqual(process.returncode, 0)

    def test_three_moves_on_each_surface_pass_and_the_fourth_ends(self):
        process = self.start(interval=60)
        for x in (300, 310, 320):  # below the column: the window's own surface
            self.screen.xdotool("mousemove", str(x), "590")
            time.sleep(0.3)
        for x in (300, 310, 320):  # over the photo
            self.screen.xdotool("mousemove", str(x), "240")
            time.sleep(0.3)
        self.assertFalse(ended_within(process, 1), "ended before the fourth move")
        self.screen.xdotool("mousemove", "330", "240")
        self.assertTrue(ended_within(process, 5), "the fourth move did not end the show")
        self.assertEqual(process.returncode, 0)

    def test_moves_over_caption_and_logo_do_not_end_it(self):
        process = self.start(interval=60)
        for x in range(140, 660, 40):
            self.screen.xdotool("mousemove", str(x), "540")  # over the logo strip
            time.sleep(0.05)
        self.screen.xdotool("mousemove", "400", "500")  # over the caption panel
        self.assertFalse(ended_within(process, 1))

    def test_a_second_copy_ends_at_once_and_shows_nothing(self):
        first = self.start(interval=60)
        second = self.saver.start()
        self.assertTrue(ended_within(second, 5))
        self.assertEqual(second.returncode, 0)
        self.assertIsNone(first.poll())
        windows = self.screen.xdotool("search", "--onlyvisible", "--pid", str(second.pid)).split()
        self.assertEqual(windows, [])


class WithoutRuntimeFolder(Saver):
    """Started as some desktops' screen savers start it: no XDG_RUNTIME_DIR."""

    def env(self):
        env = super().env()
        del env["XDG_RUNTIME_DIR"]
        env["XDG_CACHE_HOME"] = os.path.join(self.home, "cache")
        return env


class WithoutSessionBus(Saver):
    def env(self):
        return {k: v for k, v in super().env().items() if k != "DBUS_SESSION_BUS_ADDRESS"}


class HardEdges(ShowTest):
    def test_without_a_session_bus_none_is_started(self):
        self.saver = WithoutSessionBus(self.screen, interval=60)
        process = self.saver.start()
        self.assertIsNotNone(self.saver.window(process))
        self.screen.xdotool("key", "x")
        self.assertTrue(ended_within(process, 5))
        self.assertEqual(autolaunched_buses(self.screen.display), [])

    def test_a_window_destroyed_or_unmapped_by_another_client_ends_the_program(self):
        # A dialog may be unmapped to be minimised, the full-screen show never.
        for how, args in (("windowclose", ()), ("windowclose", ("/c",)), ("windowunmap", ())):
            process = self.start(*args, interval=60)
            self.screen.xdotool(how, self.saver.window(process))
            self.assertTrue(ended_within(process, 5), f"{args} lived on after {how}")
            self.assertEqual(process.returncode, 0)
            # The lock went with it: the next show starts.
            self.assertIsNotNone(self.saver.window(self.saver.start()), (how, args))
            self.saver.close()

    def test_a_low_file_limit_is_raised_and_one_too_low_to_raise_is_refused(self):
        folder = self.photo_folder([("63COUPE.JPG", "#30c030")])
        self.saver = Saver(self.screen, interval=1, photo_dir=folder)
        refused = self.saver.start(prefix=["prlimit", "--nofile=12:12"])
        self.assertTrue(ended_within(refused, 10), "a show without enough files did not end")
        said = refused.stderr.read().decode()
        self.assertEqual((refused.returncode, len(said.splitlines())), (1, 1), said)
        process = self.saver.start(prefix=["prlimit", "--nofile=12:4096"])
        self.assertIsNotNone(self.saver.window(process))
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not near(self.screen.screenshot().pixel(400, 240),
                                                       GREEN):
            time.sleep(0.2)
        self.assertTrue(near(self.screen.screenshot().pixel(400, 240), GREEN), "no photo")
        self.screen.xdotool("key", "x")
        self.assertTrue(ended_within(process, 5), "a key did not end the show")
        self.assertEqual(process.returncode, 0)

    def test_a_link_planted_at_the_lock_is_not_followed_and_the_show_runs(self):
        self.saver = WithoutRuntimeFolder(self.screen, interval=60)
        folder = os.path.join(self.saver.home, "cache", "pelandra-omnarium")
        os.makedirs(folder, mode=0o700)
        lock = os.path.join(folder, "instance.lock")
        victim = os.path.join(self.saver.home, "victim")
        os.symlink(victim, lock)
        first = self.saver.start()
        self.assertIsNotNone(self.saver.window(first), "a planted link refused the show")
        self.assertFalse(os.path.lexists(victim))
        first.kill()
        first.wait()
        said = first.stderr.read().decode()
        self.assertEqual(said.count("single-instance lock"), 1, said)
        # Without the link the lock lives there, and a second copy ends at once.
        os.remove(lock)
        first = self.saver.start()
        self.assertIsNotNone(self.saver.window(first))
        second = self.saver.start()
        self.assertTrue(ended_within(second, 5))


class Failures(ShowTest):
    def test_missing_photos_give_one_error_box_and_the_show_goes_on(self):
        process = self.start(interval=1, photo_dir="/nonexistent/pyrnox/")
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not self.error_boxes():
            time.sleep(0.2)
        self.assertEqual(len(self.error_boxes()), 1)
        time.sleep(2.5)  # more ticks while the box is open stack nothing
        self.assertEqual(len(self.error_boxes()), 1)
        self.assertIsNone(process.poll())

    def test_bad_files_never_crash_the_show(self):
        folder = self.photo_folder([("ZZ01.JPG", "#2080e0")])
        with open(os.path.join(folder, "ZZ01.JPG"), "rb") as f:
            whole = f.read()
        with open(os.path.join(folder, "AZ_EMPTY.JPG"), "wb"):
            pass
        with open(os.path.join(folder, "TT_CUT.JPG"), "wb") as f:
            f.write(whole[: len(whole) // 3])
        with open(os.path.join(folder, "NOTES.TXT"), "w") as f:
            f.write("not a picture\n")
        with open(os.path.join(folder, "GH_HUGE.BMP"), "wb") as f:
            # A bitmap header that claims 60000 x 60000 pixels.
            f.write(b"BM" + (54).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little"))
            f.write((40).to_bytes(4, "little") + (60000).to_bytes(4, "little") * 2)
            f.write((1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24))
        process = self.start(interval=1, photo_dir=folder)
        closed = 0
        deadline = time.monotonic() + 12
        while time.monotonic() < deadline and closed < 4:
            boxes = self.error_boxes()
            self.assertLessEqual(len(boxes), 1)
            if boxes:
                self.screen.xdotool("key", "Return")  # the user dismisses the box
                closed += 1
            time.sleep(0.3)
        self.assertIsNone(process.poll(), "the show ended on bad files")
        self.assertGreaterEqual(closed, 2)

if __name__ == "__main__":
    unittest.main()
