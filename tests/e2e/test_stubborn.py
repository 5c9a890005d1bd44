"""Stubborn programs and hostile pages: a clipboard owner that never answers, storms of right
presses, double-clicks, pictures no forum can show and links the engine leaves unencoded. Each
is refused or handled once, with a word to the user where something was refused, and the program
stays usable throughout."""

import subprocess

import harness
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_TITLE, NOTICE_OK
from harness import NOTICE_SIZE, PHOTO_ADDRESS, SITE, SWRUR
from desk import layout
from test_clipboardtrust import support_client

MWQA = layout.frmweb().centre("mwqa")
ABOUT_OK = (200, 316)  # inside the OK button of about
READER_NAME = "pinmark-clipread"[:15]  # as the process table names it
WEBLESS = {"data": (50, 40), "file": (150, 40), "photo": (250, 40), "green": (350, 40)}
PIPE_LINK = (70, 25)


class StubbornCase(harness.SessionCase):
    page = None  # what the gallery address serves, when not the gallery
    ping = "gallery-loaded"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if cls.page:
            cls.server.mode = f"page:{cls.page}"
        cls.program = cls.session.start_program()
        cls.program.wait_for_main_window()
        cls.program.wait_for_page(cls.ping)

    def setUp(self):
        self.program.assert_running()
        self.session.clear_launches()
        self.mark = self.server.mark()

    def message_boxes(self, title=MAIN_TITLE):
        """The program's message boxes with that title: none of its notices."""
        return [w[0] for w in self.session.visible_windows(title)
                if w[0] != self.program.main and tuple(w[3:5]) not in (NOTICE_SIZE, ABOUT_SIZE)]

    def assertSelected(self, address):
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(address)


class Desktop(StubbornCase):
    def test_silent_clipboard_owner_leaves_the_window_live(self):
        self.program.select_in_page("photo", PHOTO_ADDRESS)
        owner = subprocess.Popen([support_client("PINMARK_E2E_SILENT_OWNER")],
                                 env=self.session.env, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL)
        self.session._helpers.append(owner)
        self.assertEqual(owner.stdout.readline(), b"ready\n")

        self.program.click(SWRUR)
        self.program.click(SWRUR)  # pressed again while the owner is asked: no second read
        self.program.click(ABOUTIMG)
        about = self.session.wait_for_window(ABOUT_TITLE, ABOUT_SIZE)
        self.assertEqual(owner.stdout.readline(), b"asked TARGETS\n", "the paste is waiting")
        self.assertEqual(self.message_boxes(), [], "about opened while the paste waited")

        # Then the word that the owner does not answer; no wronglink, the selection stays.
        box = harness.wait_until(self.message_boxes, what="the message that the owner is silent",
                                 on_timeout=self.session.describe_screen)[0]
        self.assertEqual(self.program.notices(), [])
        self.session.dismiss(box)
        harness.wait_until(lambda: not self.message_boxes(), what="the message to close")
        self.session.click_window(about, *ABOUT_OK)
        self.session.wait_for_no_window(ABOUT_TITLE)
        self.assertEqual([p.name for p in self.program.children().values()
                          if p.name == READER_NAME], [], "the reader was ended")
        self.assertSelected(PHOTO_ADDRESS)  # takes the clipboard: the owner ends
        with owner.stdout:
            self.assertEqual(owner.stdout.read(), b"", "asked once")
        self.program.assert_running()

    def test_right_press_storm_opens_one_box_that_escape_closes(self):
        x, y = self.program.page_point("blank")
        self.session.xdotool("mousemove", "--sync", x, y, "click", "--repeat", 20, "--delay", 20, 3)
        # The presses reached the program before this click did.
        self.program.select_in_page("photo", PHOTO_ADDRESS)
        boxes = self.message_boxes(r"^velmora$")
        self.assertEqual(len(boxes), 1, "one publisher box")
        self.session.dismiss(boxes[0])  # Escape
        harness.wait_until(lambda: not self.message_boxes(r"^velmora$"),
                           what="Escape to close the box", on_timeout=self.session.describe_screen)
        self.program.page_barrier()  # a right press opens it again
        self.program.assert_running()

    def test_double_click_on_the_site_button_launches_once(self):
        x, y = self.program.origin()
        self.session.xdotool("mousemove", "--sync", x + MWQA[0], y + MWQA[1],
                             "click", "--repeat", 2, "--delay", 60, 1)
        harness.wait_until(lambda: self.session.launches(), what="a launch")
        # A single click after it: its launch comes after any the double-click made.
        self.program.click(MWQA)
        harness.wait_until(lambda: len(self.session.launches()) >= 2, what="a second launch")
        self.program.page_barrier()
        self.assertEqual(self.session.launches(), [[SITE]] * 2)


class WeblessPictures(StubbornCase):
    page = "webless.htm"
    ping = "webless-loaded"

    def test_pictures_without_a_web_address_explain_and_keep_the_selection(self):
        self.program.select_in_page(WEBLESS["photo"], PHOTO_ADDRESS)
        for name in ("data", "file"):
            with self.subTest(name):
                self.program.click_page(WEBLESS[name])
                box = harness.wait_until(self.message_boxes, what=f"the word on the {name} picture",
                                         on_timeout=self.session.describe_screen)[0]
                self.session.dismiss(box)
                harness.wait_until(lambda: not self.message_boxes(), what="the message to close")
                self.assertSelected(PHOTO_ADDRESS)
        self.program.select_in_page(WEBLESS["green"], SITE + "/fmm/fe/pics/page2.png")
        self.assertEqual(self.session.launches(), [])


class UnencodedLinks(StubbornCase):
    page = "pipelink.htm"
    ping = "pipelink-loaded"

    def test_link_with_a_bar_in_its_query_is_followed(self):
        self.program.click_page(PIPE_LINK)
        self.program.wait_for_page("page2-loaded", self.mark)
        self.assertTrue([p for p in self.server.requests(self.mark)
                         if p.startswith("/fmm/fe/page2.htm?q=a") and p.endswith("b")],
                        self.server.requests(self.mark))
        self.assertEqual(self.session.launches(), [])


if __name__ == "__main__":
    harness.main()
