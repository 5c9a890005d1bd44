"""The skin on screen: the captured main window shows the committed skin pictures at their
places, and the page-status badge shows loading or loaded as the page is."""

import subprocess

import harness
from harness import GALLERY_PATH, LOADIMG, SOURCE_ROOT

SKIN = SOURCE_ROOT / "assets" / "skin"


def picture(name, x=0, y=0, w=None, h=None):
    """RGB triples of (part of) a committed skin picture, decoded like the screen's."""
    crop = ["-crop", f"{w}x{h}+{x}+{y}", "+repage"] if w else []
    data = subprocess.run(["convert", str(SKIN / f"{name}.jpg"), *crop, "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout
    return [tuple(data[i : i + 3]) for i in range(0, len(data), 3)]


def mean_difference(a, b):
    assert len(a) == len(b), (len(a), len(b))
    return sum(abs(p - q) for pa, pb in zip(a, b) for p, q in zip(pa, pb)) / (3 * len(a))


class Skin(harness.SessionCase):
    def shown(self, program, x, y, w, h):
        ox, oy = program.origin()
        return self.session.pixels(ox + x, oy + y, w, h)

    def assertShows(self, program, where, expected, what):
        got = self.shown(program, *where)
        # The screen holds the decoded pictures as they are; a little room for the decoder.
        self.assertLess(mean_difference(got, expected), 3.0,
                        f"{what} does not match its picture; " + self.session.describe_screen())

    def test_window_shows_its_skin_and_the_loaded_badge(self):
        self.server.mode = "normal"
        program = self.session.start_program()
        self.addCleanup(program.kill)
        program.wait_for_main_window()
        program.wait_for_page("gallery-loaded")

        self.assertShows(program, (0, 0, 684, 25), picture("B1", 0, 0, 684, 25), "the title band")
        band = self.shown(program, 0, 0, 684, 25)
        top, bottom = band[342], band[24 * 684 + 342]
        self.assertGreater(top[2], top[0] + 40, "the title band is blue")
        self.assertGreater(sum(top), sum(bottom), "the band darkens downwards")

        # The window's own surface beside the browser is the background picture itself...
        self.assertShows(program, (0, 144, 5, 353), picture("B1", 0, 144, 5, 353), "the surface")
        # ...and the bar's fill shows between the code buttons in the surface colour.
        for x in (147, 277, 407):
            r, g, b = self.shown(program, x, 50, 1, 1)[0]
            self.assertTrue(abs(r - 173) < 12 and abs(g - 187) < 12 and abs(b - 214) < 12,
                            f"bar fill at ({x}, 50) is {(r, g, b)}")

        buttons = {"swrd2": ("B17", 18), "swrhc22": ("B25", 148), "swrh22": ("B23", 278),
                   "swrfrc22": ("B21", 408), "swrfr22": ("B19", 537)}
        for name, (pic, left) in buttons.items():
            self.assertShows(program, (left, 33, 129, 34), picture(pic), name)
        self.assertShows(program, LOADIMG, picture("B4"), "the loaded badge")

    def test_badge_shows_loading_while_the_page_never_finishes(self):
        self.server.mode = "hang"
        mark = self.server.mark()
        program = self.session.start_program()
        self.addCleanup(program.kill)
        program.wait_for_main_window()
        self.server.wait_for_request(GALLERY_PATH, mark)
        self.assertShows(program, LOADIMG, picture("B3"), "the loading badge")


if __name__ == "__main__":
    harness.main()
