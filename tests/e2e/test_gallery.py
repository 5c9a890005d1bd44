"""The gallery page: picture selection, hand-off to the desktop's browser, in-place links, the
right-button notice, and what the page itself cannot make the program do."""

import os

import harness
from harness import CODE_BUTTONS, LINK_TARGET_URL, MAIN_TITLE, PHOTO_ADDRESS, SITE, SWRUR

HOSTILE_TOUCH = "/tmp/x"


class Gallery(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.start_program()
        cls.program.wait_for_main_window()
        cls.program.wait_for_page("gallery-loaded")

    def setUp(self):
        self.program.assert_running()
        self.session.clear_launches()
        self.mark = self.server.mark()

    def select_by_paste(self, address):
        self.session.set_clipboard(address)
        self.program.click(SWRUR)

    def assertSelected(self, address):
        """The selection, as swrd2 publishes it."""
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(address)

    def test_spaced_picture_gives_forum_code_with_the_space(self):
        self.select_by_paste(SITE + "/other.png")
        self.program.select_in_page("photo", PHOTO_ADDRESS)
        self.program.click(CODE_BUTTONS["swrfr22"])
        self.session.wait_for_clipboard(f"[url={LINK_TARGET_URL}][img]{PHOTO_ADDRESS}[/img][/url]")

    def test_external_picture_and_link_go_to_the_desktop_browser(self):
        self.select_by_paste(SITE + "/before.png")
        self.program.click_page("picture4")
        self.program.click_page("link9")
        harness.wait_until(lambda: len(self.session.launches()) >= 2, what="two launches")
        self.assertEqual(self.session.launches(),
                         [[SITE + "/ext/picture-4.png"], [SITE + "/ext/link-9.htm"]])
        self.assertEqual(self.server.fetched(self.mark), [], "nothing fetched in the program")
        # Still the bound gallery, and the external picture did not become the selection.
        self.assertSelected(SITE + "/before.png")
        self.program.select_in_page("photo", PHOTO_ADDRESS)

    def test_link_7_is_followed_in_place(self):
        self.program.click_page("link7")
        self.program.wait_for_page("page2-loaded", self.mark)
        self.assertIn("/fmm/fe/page2.htm", self.server.requests(self.mark))
        # Back to the gallery the same way, through a link of page two.
        back = self.server.mark()
        self.program.click_page("back")
        self.program.wait_for_page("gallery-loaded", back)
        self.assertEqual(self.session.launches(), [])

    def test_right_button_press_shows_the_publisher_notice(self):
        self.program.click_page("blank", button=3)
        self.program.dismiss_message_box(r"^velmora$")
        self.program.assert_running()

    def test_clicks_made_by_the_page_script_change_nothing(self):
        known = SITE + "/known.gif"
        self.select_by_paste(known)
        self.program.click_page("scripted")
        self.server.wait_for_request("/fmm/fe/ping?scripted-clicks-done", self.mark)
        self.program.page_barrier()
        self.assertEqual(self.session.launches(), [])
        self.assertEqual(self.server.fetched(self.mark), [], "no navigation")
        self.assertEqual(self.session.clipboard_targets(), ["TARGETS", "UTF8_STRING"],
                         "the clipboard is still the other program's")
        self.assertSelected(known)

    def test_unsafe_addresses_launch_nothing(self):
        existed = os.path.exists(HOSTILE_TOUCH)
        for element in ("picture22", "link12_file", "link15_javascript", "link18_data"):
            with self.subTest(element=element):
                self.program.click_page(element)
                # Refused with a warning, not launched and not ended.
                self.program.dismiss_message_box(MAIN_TITLE)
                self.program.assert_running()
        self.assertEqual(self.session.launches(), [])
        self.assertNotIn("/fmm/fe/ping?javascript-link-ran", self.server.requests(self.mark))
        if not existed:
            self.assertFalse(os.path.exists(HOSTILE_TOUCH))


if __name__ == "__main__":
    harness.main()
