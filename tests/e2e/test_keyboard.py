"""The keyboard alone, from the start: no mouse event at all. Focus starts in the page, Tab
reaches its pictures and then the program's buttons, Enter on a picture selects it, and a box
answered from the keyboard gives the keyboard back."""

import harness
from harness import LINK_TARGET_URL, MAIN_TITLE, NOTICE_SIZE, PHOTO_ADDRESS


class KeyboardOnly(harness.SessionCase):
    def test_a_picture_chosen_and_published_with_the_keyboard_alone(self):
        self.server.mode = "page:keys.htm"  # a picture, then a link that is only a picture
        program = self.session.start_program()
        program.wait_for_main_window()
        program.wait_for_page("gallery-loaded")
        mark = self.server.mark()
        program.focus()

        # The page's two pictures, the output field, then the BBCode button, the layout's first
        # button: with nothing selected yet it shows selimg, which has the keyboard now.
        program.press("Tab", "Tab", "Tab", "Tab", "space")
        notice = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE, exclude=(program.main,))
        program.press("Escape")
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)

        # Back on the button: two steps back reach the page's last picture, the link.
        program.press("shift+Tab", "shift+Tab", "Return")
        program.press("Tab", "Tab", "space")
        self.session.wait_for_clipboard(f"[url={LINK_TARGET_URL}][img]{PHOTO_ADDRESS}[/img][/url]")
        self.assertEqual(self.server.fetched(mark), [], "the link was not followed")
        self.assertNotIn(notice, [w[0] for w in self.session.visible_windows(MAIN_TITLE)])
        # On through the other code buttons and the paste button to the close button.
        self.assertExitsCleanly(program, lambda: program.press(*["Tab"] * 6, "space"))


if __name__ == "__main__":
    harness.main()
