"""Window chrome: dragging the frameless window by its title band, and the close button
ending everything at once."""

import harness
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_TITLE, NOTICE_SIZE, XX


class Chrome(harness.SessionCase):
    def test_drag_on_the_title_band_moves_the_window(self):
        program = self.session.start_program()
        window = program.wait_for_main_window()
        x, y, w, h = self.session.geometry(window)
        self.session.press_at(x + 300, y + 10)
        self.session.move_to(x + 340, y + 40)
        self.session.release()
        harness.wait_until(lambda: self.session.geometry(window) == (x + 40, y + 30, w, h),
                           what="the window to move by (40, 30)",
                           on_timeout=lambda: f"; it is at {self.session.geometry(window)}")
        program.kill()

    def test_close_button_ends_the_program_with_two_notices_open(self):
        program = self.session.start_program()
        program.wait_for_main_window()
        program.wait_for_page("gallery-loaded")  # the web engine's processes are running
        program.click(ABOUTIMG)
        self.session.wait_for_window(ABOUT_TITLE, ABOUT_SIZE)
        program.click(CODE_BUTTONS["swrd2"])  # nothing is selected yet
        self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
        self.assertNotEqual(program.children(), {})
        self.assertExitsCleanly(program, lambda: program.click(XX), timeout=1)


if __name__ == "__main__":
    harness.main()
