"""The window chrome and the notices under a real X11 window manager (--window-manager NAME),
which decides stacking, focus and the taskbar: the bare X server of the other cases does not."""

import harness
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_SIZE, MAIN_TITLE
from harness import NOTICE_SIZE, SCREEN, XX

TITLE_BAND = (300, 10)  # a point of the main window's own surface


class WindowManagerCase(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        if not harness.WINDOW_MANAGER:
            raise harness.HarnessError("run with --window-manager NAME")
        cls.window_manager = harness.WINDOW_MANAGER
        super().setUpClass()

    def assertNormalType(self, wid):
        # Stacked as a normal window, not a utility window kept above the others. No type at
        # all counts as normal; frameless windows also name a KDE type first.
        types = self.session.xprop("_NET_WM_WINDOW_TYPE", wid) or ["_NET_WM_WINDOW_TYPE_NORMAL"]
        standard = [t for t in types if t.startswith("_NET_WM_WINDOW_TYPE_")]
        self.assertEqual(standard[:1], ["_NET_WM_WINDOW_TYPE_NORMAL"], f"window types {types}")

    def assertFrameless(self, wid, size):
        self.assertEqual(self.session.geometry(wid)[2:], size)
        extents = self.session.xprop("_NET_FRAME_EXTENTS", wid)
        self.assertIn(extents, ([], ["0"] * 4), "the window manager drew a frame")

    def assertAbove(self, upper, lower):
        order = self.session.stacking()
        self.assertIn(upper, order)
        self.assertIn(lower, order)
        self.assertGreater(order.index(upper), order.index(lower),
                           f"stacking from the bottom: {order}")

    def test_main_window_is_frameless_on_the_taskbar_and_draggable(self):
        program = self.session.start_program()
        main = program.wait_for_main_window()
        self.assertFrameless(main, MAIN_SIZE)
        self.assertIn(main, [str(int(w, 16)) for w in self.session.xprop("_NET_CLIENT_LIST")])
        self.assertNormalType(main)
        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", self.session.xprop("_NET_WM_STATE", main))

        x, y, w, h = self.session.geometry(main)
        self.session.press_at(x + TITLE_BAND[0], y + TITLE_BAND[1])
        self.session.move_to(x + TITLE_BAND[0] + 40, y + TITLE_BAND[1] + 30)
        self.session.release()
        harness.wait_until(lambda: self.session.geometry(main) == (x + 40, y + 30, w, h),
                           what="the window to move by (40, 30)",
                           on_timeout=lambda: f"; it is at {self.session.geometry(main)}")
        program.kill()

    def test_notices_stack_like_windows_close_on_escape_and_close_button_ends_all(self):
        program = self.session.start_program()
        main = program.wait_for_main_window()

        program.click(ABOUTIMG)
        about = self.session.wait_for_window(ABOUT_TITLE, ABOUT_SIZE)
        program.click(ABOUTIMG)
        program.click(CODE_BUTTONS["swrd2"])  # nothing is selected: selimg
        selimg = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
        self.assertEqual(len(self.session.visible_windows(ABOUT_TITLE)), 1,
                         "a second click on about keeps the one notice")
        for notice, size in ((about, ABOUT_SIZE), (selimg, NOTICE_SIZE)):
            self.assertFrameless(notice, size)
            self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", self.session.xprop("_NET_WM_STATE", notice))
            self.assertNormalType(notice)
            x, y = self.session.geometry(notice)[:2]
            centre = ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2)
            self.assertLessEqual(abs(x - centre[0]) + abs(y - centre[1]), 2,
                                 f"notice at {x},{y}, the centred place is {centre}")

        # A click on the main window brings it in front of the notices.
        self.assertAbove(selimg, main)
        program.click(TITLE_BAND)
        harness.wait_until(lambda: self.session.stacking()[-1] == main,
                           what="the main window to come to the front",
                           on_timeout=lambda: f"; stacking from the bottom: {self.session.stacking()}")

        # Escape answers the focused notice as its OK would.
        # The main window covers it now: bring it back as a pager or Alt+Tab would.
        self.session.xdotool("windowactivate", selimg)
        harness.wait_until(lambda: self.session.xprop("_NET_ACTIVE_WINDOW") == [hex(int(selimg))],
                           what="selimg to have the focus",
                           on_timeout=lambda: f"; active: {self.session.xprop('_NET_ACTIVE_WINDOW')}")
        self.session.xdotool("key", "--clearmodifiers", "Escape")
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)
        self.assertTrue(self.session.visible_windows(ABOUT_TITLE), "about stays open")
        program.assert_running()

        self.assertExitsCleanly(program, lambda: program.click(XX))


if __name__ == "__main__":
    harness.main()
