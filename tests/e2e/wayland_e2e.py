"""The standalone show as a native Wayland program on a headless sway with two outputs side by
side, the primary on the left: the show on the primary as on a single screen, the other
covered in black, a key, a click or the fourth move there ending it; and on a primary scaled
by 2, a photo drawn at the output's device pixels."""

import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import SaverHome, missing, wait_until  # noqa: E402
from sway_session import POINTER, TOOLS, Output, SwaySession, VirtualPointer  # noqa: E402
from xsession import ended_within, is_black, is_red, largest_shared_buffer  # noqa: E402

SIDE_BY_SIDE = (Output("HEADLESS-1", 800, 600), Output("HEADLESS-2", 1024, 768, x=800))
# 1600 x 1200 device pixels at scale 2: an 800 x 600 screen to the layout.
SCALED = (Output("HEADLESS-1", 1600, 1200, scale=2), Output("HEADLESS-2", 1024, 768, x=800))
needs_mouse = unittest.skipUnless(POINTER, "the test mouse was not built (libwayland-dev)")


def is_background(p):
    return abs(p[0] - 0x30) < 24 and abs(p[1] - 0x60) < 24 and abs(p[2] - 0xC0) < 24


def not_black(p):
    return not is_black(p)


def full_screen_on(node, output=None):
    """The outputs on which a window is full screen, in sway's tree."""
    output = node["name"] if node.get("type") == "output" else output
    found = {output} if node.get("pid") and node.get("fullscreen_mode") == 1 else set()
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        found |= full_screen_on(child, output)
    return found


def window_on(node, output, found=None):
    """sway's id of the program's window on `output`."""
    if node.get("type") == "output":
        found = node["name"] == output
    if found and node.get("pid"):
        return node["id"]
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        inner = window_on(child, output, found)
        if inner is not None:
            return inner
    return None


class ShowOnSway(unittest.TestCase):
    def start(self, outputs=SIDE_BY_SIDE, photo=None, mouse=False):
        """A fresh sway (a mouse stays in its seat) and the show full screen on every output;
        with `mouse`, the mouse plugged in first and resting on the primary, as a desktop's."""
        reason = missing(TOOLS)
        if reason:
            self.skipTest(f"sway cannot run here: {reason}")
        home = SaverHome(photo=photo, interval=1 if photo else 60)
        self.addCleanup(home.close)
        self.sway = SwaySession(home, outputs)
        self.pointer = VirtualPointer(self.sway) if mouse else None
        if mouse:
            self.pointer.move(700, 590)  # its picture clear of the other output
        self.show = home.start([home.program], env=self.sway.env(), log="show.log")
        everywhere = {o.name for o in outputs}
        if not wait_until(lambda: self.show.poll() is not None or full_screen_on(
                json.loads(self.sway.swaymsg("-t", "get_tree"))) == everywhere, 15) \
                or self.show.poll() is not None:
            self.fail("the show is not full screen on every output\n" + home.said("show.log"))
        time.sleep(1.5)  # drawn

    def assertEnds(self):
        self.assertTrue(ended_within(self.show, 10), "the show went on")
        self.assertEqual(self.show.returncode, 0)

    def test_the_primary_keeps_its_layout_the_second_is_black_and_a_key_ends_it(self):
        self.start()
        first = self.sway.screenshot("HEADLESS-1")
        # The frame's black border, the title picture, the red caption centred under it.
        self.assertEqual(first.count(5, 60, 5, 360, not_black), 0)
        self.assertGreater(first.count(14, 10, 772, 469, not_black), 772 * 469 * 0.3)
        self.assertGreater(first.count(274, 489, 252, 24, is_red), 20)
        self.assertEqual(first.count(0, 489, 270, 24, is_red), 0)
        self.assertEqual(first.count(0, 0, 800, 600, is_background), 0)
        self.assertEqual(self.sway.screenshot("HEADLESS-2").count(0, 0, 1024, 768, not_black), 0)
        # One black pixel the compositor scales, no buffer of the output's size.
        self.assertLess(largest_shared_buffer(self.show.pid), 1024 * 768 * 4)
        self.sway.key("x")
        self.assertEnds()

    def test_an_output_that_grows_gets_the_layout_of_its_new_size(self):
        self.start()
        self.sway.swaymsg("output", "HEADLESS-1", "resolution", "1600x1200")
        time.sleep(1)
        shot = self.sway.screenshot("HEADLESS-1")
        # The column centred on 1600 pixels and lowered; nothing left in the old corner.
        self.assertGreater(shot.count(414, 103, 772, 469, not_black), 772 * 469 * 0.3)
        self.assertEqual(shot.count(0, 0, 400, 90, not_black), 0)
        # The black around it is one pixel scaled: no buffer of the output's size.
        self.assertLess(largest_shared_buffer(self.show.pid), 1600 * 1200 * 4)
        self.sway.key("x")
        self.assertEnds()

    def test_the_compositor_closing_the_show_ends_it_covers_and_all(self):
        self.start()
        show = window_on(json.loads(self.sway.swaymsg("-t", "get_tree")), "HEADLESS-1")
        self.sway.swaymsg(f"[con_id={show}]", "kill")
        self.assertEnds()

    @needs_mouse
    def test_a_click_on_the_second_output_ends_the_show(self):
        self.start(mouse=True)
        self.pointer.move(1300, 400)
        self.assertIsNone(self.show.poll(), "one move ended the show")
        self.pointer.click()
        self.assertEnds()

    @needs_mouse
    def test_the_fourth_move_on_the_second_output_ends_the_show_and_no_pointer_shows(self):
        self.start(mouse=True)
        for x in (1000, 1100, 1200):  # the first one over from the primary
            self.pointer.move(x, 300)
        self.assertIsNone(self.show.poll(), "ended before the fourth move")
        shot = self.sway.screenshot("HEADLESS-2", cursor=True)
        self.assertEqual(shot.count(0, 0, 1024, 768, not_black), 0, "a pointer on the cover")
        self.pointer.move(1300, 300)
        self.assertEnds()

    @needs_mouse
    def test_a_move_that_crosses_into_another_window_counts_where_it_lands(self):
        # Such a move brings the window only an enter event; the show counts moves per
        # surface (the window's, the photo's), ending at the fourth on either.
        for name, moves, last in (
                ("from the black onto the photo",
                 [(300, 590), (300, 240), (310, 240), (320, 240)], (330, 240)),
                ("from the second output back onto the black",
                 [(1000, 300), (1100, 300), (1200, 300)], (700, 590))):
            with self.subTest(name):
                self.start(mouse=True)
                for x, y in moves:
                    self.pointer.move(x, y)
                self.assertIsNone(self.show.poll(), "ended before the last move")
                self.pointer.move(*last)
                self.assertEnds()

    def test_a_photo_at_scale_2_keeps_its_one_pixel_detail(self):
        # A checkerboard of single pixels the size of the photo control at scale 2: decoded
        # at the logical size and stretched up, it would turn an even grey.
        self.start(SCALED, photo=("63COUPE.PNG", ["-size", "1554x946", "pattern:gray50"]))
        time.sleep(2)  # a tick or two
        shot = self.sway.screenshot("HEADLESS-1")
        # In the middle of the photo, every pixel unlike its right-hand neighbour.
        changes = sum(1 for y in range(400, 500) for x in range(700, 800)
                      if abs(shot.pixel(x, y)[0] - shot.pixel(x + 1, y)[0]) > 128)
        self.assertGreater(changes, 100 * 100 * 0.9, "the photo lost its detail")
        self.assertGreater(shot.count(548, 978, 504, 48, is_red), 40, "the caption moved")
        self.sway.key("x")
        self.assertEnds()


if __name__ == "__main__":
    unittest.main()
