"""Pages, the network and the page's renderer misbehave: the program never crashes, never
traps the user, and finds its way back to the gallery by itself or with a browser key."""

import os
import signal
import time

import harness
from desk import processes
from harness import CODE_BUTTONS, PHOTO_ADDRESS, SWRUR, XX, wait_until

SLOW_LINK = (70, 25)  # slowlink.htm
PHOTO = (50, 90)  # slowlink.htm, alerts.htm, blankout.htm
PASTED = "http://elsewhere.test/pasted.png"


class Recovery(harness.SessionCase):
    def wait_for_photo_page(self, program):
        """Going back may be answered from the engine's cache, without a request: waits for a
        fixture page with its photo to be shown and bound."""
        wait_until(lambda: not program.page_is_blank() and program.badge() == "loaded",
                   what="a page with the photo, bound", interval=0.2,
                   on_timeout=self.session.describe_screen)

    def other_windows(self, program):
        return [w for w in self.session.visible_windows() if w[0] != program.main]

    def renderers(self, program):
        """The page's renderer processes: children of the engine's zygote (whose command line
        they keep)."""
        return processes.renderers(program.pid)

    def test_page_replaced_behind_the_publisher_box(self):
        # The box is open while the page it was asked from is replaced by the next one.
        program, mark = self.start("page:slowlink.htm")
        program.wait_for_page("slowlink-loaded", mark)
        for back in ("alt+Left", "BackSpace"):
            mark = self.server.mark()
            program.click_page(SLOW_LINK)
            program.click_page("blank", button=3)
            self.session.wait_for_window(r"^velmora$", exclude=(program.main,))
            program.wait_for_page("page2-loaded", mark)
            program.dismiss_message_box(r"^velmora$")
            program.assert_running()
            program.click_page("blank")  # Backspace goes back from the page, not a text field
            self.key(program, back)
            self.wait_for_photo_page(program)
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_page_boxes_never_appear(self):
        program, mark = self.start("page:alerts.htm")
        program.wait_for_page("alerts-loaded", mark)
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        time.sleep(0.5)  # a few more rounds of the page's timer
        self.assertEqual(self.other_windows(program), [])
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_killed_renderer_brings_the_gallery_back(self):
        program, mark = self.start()
        program.wait_for_page("gallery-loaded", mark)
        self.session.set_clipboard(PASTED)
        program.click(SWRUR)
        renderers = self.renderers(program)
        self.assertTrue(renderers, f"no renderer among {program.children()}")
        mark = self.server.mark()
        for pid in renderers:
            os.kill(pid, signal.SIGKILL)
        program.wait_for_page("gallery-loaded", mark)
        # The selection outlived the page; a picture can be selected again.
        self.session.clear_clipboard()
        program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(PASTED)
        program.select_in_page("photo", PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_gallery_down_at_start_comes_back_by_itself(self):
        self.server.stop()
        try:
            program, _ = self.start()
            time.sleep(3)  # the first attempt failed and the first retry is due
            self.assertEqual(program.badge(), "loading")
            self.assertEqual(self.other_windows(program), [])
        finally:
            type(self).server = self.session.server = harness.GalleryServer()
        program.wait_for_page("gallery-loaded")
        program.select_in_page("photo", PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_gallery_answering_with_an_error_is_tried_again(self):
        program, mark = self.start("404")
        self.server.wait_for_request("/fmm/fe/moq.htm", mark)
        time.sleep(1)
        self.assertEqual(program.badge(), "loading")
        self.server.mode = "normal"
        program.wait_for_page("gallery-loaded", mark)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_keys_lead_back_from_a_dead_end(self):
        # The page leaves for a blank page by itself: no link leads back, the keys do.
        program, mark = self.start("page:blankout.htm")
        program.wait_for_page("blankout-loaded", mark)
        self.server.wait_for_request("/fmm/fe/ping?blankout-left", mark)
        wait_until(lambda: program.badge() == "loaded" and program.page_is_blank(),
                   what="the blank page to be shown")
        self.key(program, "alt+Left")
        self.wait_for_photo_page(program)
        mark = self.server.mark()
        self.key(program, "F5")
        program.wait_for_page("blankout-loaded", mark)
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_reload_ends_a_frozen_page(self):
        program, mark = self.start("page:frozen.htm")
        program.wait_for_page("frozen-loaded", mark)
        renderers = self.renderers(program)
        time.sleep(1)  # the page's script now runs for ever
        mark = self.server.mark()
        self.key(program, "F5")
        program.wait_for_page("frozen-loaded", mark)
        self.assertFalse(set(renderers) & set(self.renderers(program)))
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_signals_end_the_run_like_the_close_button(self):
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=number.name):
                program, mark = self.start()
                program.wait_for_page("gallery-loaded", mark)
                self.assertExitsCleanly(program, lambda: os.kill(program.pid, number))


if __name__ == "__main__":
    harness.main()
