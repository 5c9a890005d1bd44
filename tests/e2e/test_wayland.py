"""The whole road under Wayland (a headless sway): start, gallery, picture to every code,
paste, drag by the title band, notices, close."""

import time

import harness
import wayland
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_SIZE, MAIN_TITLE
from harness import NOTICE_OK, NOTICE_SIZE, PHOTO_ADDRESS, SWRUR, XX
from test_codeoutput import expected_codes

ABOUT_OK = (200, 316)  # inside the OK button of about, x 152..247, y 299..333
TITLE_BAND = (300, 10)


class Wayland(harness.SessionCase):
    session_class = wayland.WaylandSession

    def test_the_road_from_start_to_close(self):
        # The seat has no pointer yet: the window still maps, as the compositor decides.
        program = self.session.start_program()
        main = program.wait_for_main_window()
        views = {v[0]: v for v in self.session.views()}
        self.assertEqual(views[main][2], wayland.APP_ID, "the window's desktop id")
        self.session.create_pointer()
        program.wait_for_page("gallery-loaded")

        with self.subTest("notices"):
            program.click(CODE_BUTTONS["swrd2"])  # nothing is selected yet
            selimg = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE, exclude=(main,))
            program.click(ABOUTIMG)
            program.click(ABOUTIMG)
            about = self.session.wait_for_window(ABOUT_TITLE, ABOUT_SIZE)
            self.assertEqual(len(self.session.visible_windows(ABOUT_TITLE)), 1)
            # The last click brought the main window in front of them.
            for notice, ok in ((about, ABOUT_OK), (selimg, NOTICE_OK)):
                self.session.focus(notice)
                self.session.click_window(notice, *ok)
            self.session.wait_for_no_window(ABOUT_TITLE)
            self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)

        with self.subTest("picture to every code"):
            program.select_in_page("photo", PHOTO_ADDRESS)
            for button, text in expected_codes(PHOTO_ADDRESS):
                program.click(CODE_BUTTONS[button])
                self.session.wait_for_clipboard(text)

        with self.subTest("paste"):
            pasted = "https://img.example.test/pasted.png"
            self.session.set_clipboard(pasted)
            program.click(SWRUR)
            program.click(CODE_BUTTONS["swrfr22"])
            self.session.wait_for_clipboard(dict(expected_codes(pasted))["swrfr22"])

        with self.subTest("drag by the title band"):
            x, y, w, h = self.session.geometry(main)
            self.session.press_at(x + TITLE_BAND[0], y + TITLE_BAND[1])
            # The first move hands the drag to the compositor; from then on the window
            # follows the pointer.
            for _ in range(20):
                self.session.move_by(-1, 1)
                time.sleep(0.05)
                if self.session.geometry(main)[:2] != (x, y):
                    break
            else:
                self.fail("the window did not start to move with the pointer")
            x, y = self.session.geometry(main)[:2]
            for _ in range(10):
                self.session.move_by(-5, 4)
            self.session.release()
            harness.wait_until(lambda: self.session.geometry(main) == (x - 50, y + 40, w, h),
                               what="the window to follow the pointer by (-50, 40)",
                               on_timeout=lambda: f"; it is at {self.session.geometry(main)}")
            self.assertEqual((w, h), MAIN_SIZE)

        self.assertExitsCleanly(program, lambda: program.click(XX))


if __name__ == "__main__":
    harness.main()
