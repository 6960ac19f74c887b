"""The standalone show as a native Wayland program on a headless sway with two outputs side by
side, an 800 x 600 one on the left (the primary) and a 1024 x 768 one to its right: the show
on the primary as on a single screen, the other covered in black, a key, a click or the fourth
move there ending it; and on a primary scaled by 2, a photo drawn at the output's device
pixels."""

import json
import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from sway_session import POINTER, Output, SwaySession, why_not  # noqa: E402
from xsession import CONVERT, SAVER, ended_within, is_black, is_red  # noqa: E402



def is_background(p):
    return abs(p[0] - 0x30) < 24 and abs(p[1] - 0x60) < 24 and abs(p[2] - 0xC0) < 24


class Show:
    """The program, copied where the session's user may run it, with its own settings."""

    def __init__(self, sway, photos=()):
        self.sway = sway
        self.folder = os.path.join(sway.home, f"show-{time.monotonic_ns()}")
        program = os.path.join(self.folder, "pelandra-saver")
        os.makedirs(os.path.join(self.folder, "config", "pelandra-omnarium"))
        shutil.copy2(SAVER, program)
        library = os.path.join(self.folder, "cd", "pyrnox")
        os.makedirs(library)
        for name, make in photos:
            subprocess.run([CONVERT, *make, os.path.join(library, name)], check=True, timeout=30)
        interval = 1 if photos else 60
        with open(os.path.join(self.folder, "config", "pelandra-omnarium", "screensaver.ini"),
                  "w", encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval={interval}\nPelandrasDir={library}/\n")
        sway.give(self.folder)
        self.process = sway.popen([program], env=sway.env(
            XDG_CONFIG_HOME=os.path.join(self.folder, "config")),
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def shown(self):
        """Waits until every output shows one of the program's windows full screen."""
        outputs = {o.name for o in self.sway.outputs}
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and self.process.poll() is None:
            if full_screen_on(json.loads(self.sway.swaymsg("-t", "get_tree"))) == outputs:
                time.sleep(1.5)  # drawn
                return True
            time.sleep(0.2)
        return False


def full_screen_on(node, output=None):
    """The outputs on which a window is full screen, in sway's tree."""
    output = node["name"] if node.get("type") == "output" else output
    found = {output} if node.get("pid") and node.get("fullscreen_mode") == 1 else set()
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        found |= full_screen_on(child, output)
    return found


class WaylandCase(unittest.TestCase):
    outputs = ()

    def setUp(self):
        reason = why_not()
        if reason:
            self.skipTest(f"sway cannot run here: {reason}")
        self.sway = SwaySession(self.outputs)  # a fresh one: each mouse stays in the seat
        self.addCleanup(self.sway.close)

    def start(self, photos=(), mouse=False):
        """The show; with `mouse`, the test mouse plugged in before it and resting on the
        primary output's bare window surface, as a desktop's mouse would be."""
        self.pointer = None
        if mouse:
            self.pointer = self.sway.pointer()
            self.pointer.move(700, 590)  # its picture clear of the other output
        show = Show(self.sway, photos)
        self.addCleanup(lambda: show.process.poll() is None and show.process.kill())
        if not show.shown():
            said = show.process.stderr.read().decode() if show.process.poll() is not None else ""
            self.fail("the show is not full screen on both outputs\n" + said
                      + self.sway.swaymsg("-t", "get_tree"))
        return show

    def assertEnds(self, show):
        self.assertTrue(ended_within(show.process, 10), "the show went on")
        self.assertEqual(show.process.returncode, 0, show.process.stderr.read().decode())


class TwoOutputs(WaylandCase):
    outputs = (Output("HEADLESS-1", 800, 600), Output("HEADLESS-2", 1024, 768, x=800))

    def test_the_primary_keeps_its_layout_the_second_is_black_and_a_key_ends_it(self):
        show = self.start()
        first = self.sway.screenshot("HEADLESS-1")
        second = self.sway.screenshot("HEADLESS-2")
        # The frame's black border, the title picture, the red caption centred under it.
        self.assertEqual(first.count(5, 60, 5, 360, lambda p: not is_black(p)), 0)
        self.assertGreater(first.count(14, 10, 772, 469, lambda p: not is_black(p)),
                           772 * 469 * 0.3)
        self.assertGreater(first.count(274, 489, 252, 24, is_red), 20)
        self.assertEqual(first.count(0, 489, 270, 24, is_red), 0)
        self.assertEqual(first.count(0, 0, 800, 600, is_background), 0)
        self.assertEqual(second.count(0, 0, 1024, 768, lambda p: not is_black(p)), 0)
        self.sway.key("x")
        self.assertEnds(show)

    @unittest.skipUnless(POINTER, "the test mouse was not built (libwayland-dev)")
    def test_a_click_on_the_second_output_ends_the_show_and_no_pointer_shows(self):
        show = self.start(mouse=True)
        pointer = self.pointer
        pointer.move(1300, 400)
        self.assertIsNone(show.process.poll(), "one move ended the show")
        shot = self.sway.screenshot("HEADLESS-2", cursor=True)
        self.assertEqual(shot.count(0, 0, 1024, 768, lambda p: not is_black(p)), 0,
                         "the pointer shows on the cover")
        pointer.click()
        self.assertEnds(show)

    @unittest.skipUnless(POINTER, "the test mouse was not built (libwayland-dev)")
    def test_the_fourth_move_on_the_second_output_ends_the_show(self):
        show = self.start(mouse=True)
        pointer = self.pointer
        for x in (1000, 1100, 1200):  # the first one over from the primary
            pointer.move(x, 300)
        self.assertIsNone(show.process.poll(), "ended before the fourth move")
        pointer.move(1300, 300)
        self.assertEnds(show)


class ScaledPrimary(WaylandCase):
    # 1600 x 1200 device pixels at scale 2: an 800 x 600 screen to the layout.
    outputs = (Output("HEADLESS-1", 1600, 1200, scale=2), Output("HEADLESS-2", 1024, 768, x=800))

    def test_a_photo_keeps_its_one_pixel_detail(self):
        # A checkerboard of single pixels the size of the photo control at scale 2: decoded
        # at the logical size and stretched up, it would turn an even grey.
        show = self.start(photos=[("63COUPE.PNG", ["-size", "1554x946", "pattern:gray50"])])
        time.sleep(2)  # a tick or two
        shot = self.sway.screenshot("HEADLESS-1")
        # In the middle of the photo, every pixel unlike its right-hand neighbour.
        left, top = 700, 400
        changes = sum(1 for y in range(top, top + 100) for x in range(left, left + 100)
                      if abs(shot.pixel(x, y)[0] - shot.pixel(x + 1, y)[0]) > 128)
        self.assertGreater(changes, 100 * 100 * 0.9, "the photo lost its detail")
        self.assertGreater(shot.count(548, 978, 504, 48, is_red), 40, "the caption moved")
        self.sway.key("x")
        self.assertEnds(show)


if __name__ == "__main__":
    unittest.main()
