"""The whole road under Wayland, on the compositor --desktop names (a headless sway, GNOME's
mutter or KDE's kwin): start, gallery, picture to every code, paste, notices, drag by the title
band where the compositor tells where windows are, the keyboard, close, and the code still on
the clipboard after the close; under sway also a clipboard owner that never answers."""

import os
import subprocess
import time

import harness
import wayland
from desk import processes
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_SIZE, MAIN_TITLE
from harness import NOTICE_OK, NOTICE_SIZE, PHOTO_ADDRESS, SWRUR, XX, wait_until
from desk import layout
from test_clipboardtrust import support_client
from test_codeoutput import expected_codes

ABOUT_OK = (200, 316)  # inside the OK button of about, x 152..247, y 299..333
TITLE_BAND = (300, 10)
TEXT2 = layout.frmweb().centre("Text2")


class Wayland(harness.SessionCase):
    session_class = wayland.WaylandSession

    def start(self):
        """Starts the program and waits for its main window and the gallery."""
        program = self.session.start_program()
        main = program.wait_for_main_window()
        self.session.create_pointer()
        program.wait_for_page("gallery-loaded")
        return program, main

    def assertClosesKeepingTheCode(self, program, code):
        """xx ends the program cleanly; the code stays pasteable, served by nothing of the
        program's but its keeper, until another program copies."""
        self.assertExitsCleanly(program, lambda: program.click(XX))
        self.assertEqual(self.session.clipboard_bytes(), code.encode(), "pasted after the close")
        keepers = self.session.keepers()
        if self.session.desktop == "gnome":
            # mutter keeps a text selection itself: nothing of the program runs on.
            self.assertEqual(keepers, {}, "no keeper where the compositor keeps the text")
            return
        self.assertEqual(len(keepers), 1, "one keeper serves the code")
        self.assertNotIn(os.getsid(0), keepers.values(), "the keeper has a session of its own")
        self.session.set_clipboard("another program's text")
        wait_until(lambda: not self.session.keepers(), what="the keeper to end")

    def test_the_road_from_start_to_close(self):
        # Under sway the seat has no pointer yet: the window still maps, as the compositor
        # decides.
        program, main = self.start()
        views = {v[0]: v for v in self.session.views()}
        self.assertEqual(views[main][2], wayland.APP_ID, "the window's desktop id")
        self.assertEqual(len(self.session.visible_windows()), 1,
                         f"one window once the gallery is shown: {self.session.views()}")

        with self.subTest("a notice and its OK"):
            program.click(CODE_BUTTONS["swrd2"])  # nothing is selected yet
            selimg = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE, exclude=(main,))
            self.session.click_window(selimg, *NOTICE_OK)
            self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)

        if self.session.knows_places:
            with self.subTest("notices in front when asked, one of a kind"):
                program.click(CODE_BUTTONS["swrd2"])
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

        pasted = "https://img.example.test/pasted.png"
        code = dict(expected_codes(pasted))["swrfr22"]
        with self.subTest("paste"):
            self.session.set_clipboard(pasted)
            program.click(SWRUR)
            program.click(CODE_BUTTONS["swrfr22"])
            self.session.wait_for_clipboard(code)

        if self.session.knows_places:
            with self.subTest("drag by the title band"):
                self.drag_by_the_title_band(main)

        self.assertClosesKeepingTheCode(program, code)

    def drag_by_the_title_band(self, main):
        x, y, w, h = self.session.geometry(main)
        self.session.press_at(x + TITLE_BAND[0], y + TITLE_BAND[1])
        # The first move hands the drag to the compositor; from then on the window follows the
        # pointer.
        for _ in range(20):
            self.session.move_by(-1, 1)
            time.sleep(0.05)
            if self.session.geometry(main)[:2] != (x, y):
                break
        else:
            self.session.release()
            self.fail("the window did not start to move with the pointer")
        x, y = self.session.geometry(main)[:2]
        for _ in range(10):
            self.session.move_by(-5, 4)
        self.session.release()
        wait_until(lambda: self.session.geometry(main) == (x - 50, y + 40, w, h),
                   what="the window to follow the pointer by (-50, 40)",
                   on_timeout=lambda: f"; it is at {self.session.geometry(main)}")
        self.assertEqual((w, h), MAIN_SIZE)

    def test_the_user_at_the_keyboard(self):
        # Tab to a code button and Space press it; F5 reloads the gallery.
        program, _ = self.start()
        program.select_in_page("photo", PHOTO_ADDRESS)
        # The output field takes the focus; the next stop of the tab chain is the BBCode button.
        program.click(TEXT2)
        self.session.key("Tab")
        self.session.key("space")
        self.session.wait_for_clipboard(dict(expected_codes(PHOTO_ADDRESS))["swrfr22"])

        mark = self.server.mark()
        self.session.key("F5")
        program.wait_for_page("gallery-loaded", mark)
        program.select_in_page("photo", PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_silent_clipboard_owner_is_told_and_keeps_the_selection(self):
        if self.session.desktop != "sway":
            self.skipTest("the owner's window is placed and focused through sway's own commands")
        program, main = self.start()
        program.select_in_page("photo", PHOTO_ADDRESS)
        owner = subprocess.Popen([support_client("PINMARK_E2E_QT_SILENT_OWNER")],
                                 env=dict(self.session.env, **self.session.program_settings()),
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.session.bystanders.append(owner)
        self.addCleanup(owner.kill)
        self.addCleanup(owner.stdout.close)
        self.assertEqual(owner.stdout.readline(), b"shown\n")
        # The owner's window fills the output behind the program's floating one.
        self.session.click_at(5, 5)
        self.assertEqual(owner.stdout.readline(), b"ready\n")
        self.session.focus(main)
        program.click(SWRUR)
        self.assertEqual(owner.stdout.readline(), b"asked\n")

        def message():
            return [w for w in self.session.visible_windows(MAIN_TITLE)
                    if w[0] != main and tuple(w[3:5]) not in (NOTICE_SIZE, ABOUT_SIZE)]

        harness.wait_until(message, what="the word that the owner does not answer",
                           on_timeout=self.session.describe_screen)
        self.assertEqual(program.notices(), [], "no wronglink")
        # The user closes the program that hung; the earlier selection is still there.
        processes.stop_popen(owner)
        self.session.focus(main)
        program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))


if __name__ == "__main__":
    harness.main()
