"""Links and pages that fail or fight: a link that cannot be opened says so and leads back, a
page that floods its history cannot hold Back, a download goes to the web browser, and a gallery
that never arrives gives way to the program's own page."""

import time

import harness
from desk import gallery
from harness import GALLERY_PATH, PHOTO_ADDRESS, SITE, XX, wait_until

PHOTO = (50, 90)  # the fixture pages of this file put their photo here
LINKS = {"untrusted": (70, 25), "loop": (200, 25),  # badlinks.htm
         "zip": (70, 25), "attachment": (200, 25),  # downloads.htm
         "flood": (70, 25)}  # floodlink.htm
ERROR_PAGE_BACKGROUND = (0xEC, 0xEF, 0xF9)


class HostilePages(harness.SessionCase):
    def shows_error_page(self, program):
        """The program's own page for a failed load: its background around the card."""
        x, y = program.page_point((4, 4))
        return all(abs(a - b) <= 2 for p in self.session.pixels(x, y, 6, 6)
                   for a, b in zip(p, ERROR_PAGE_BACKGROUND))

    def wait_for_error_page(self, program, timeout=harness.TIMEOUT):
        wait_until(lambda: self.shows_error_page(program), timeout, "the program's error page",
                   interval=0.2, on_timeout=self.session.describe_screen)

    def wait_for_photo_page(self, program):
        """A fixture page with its photo, bound (going back may be answered from the engine's
        cache, without a request)."""
        wait_until(lambda: not program.page_is_blank() and not self.shows_error_page(program)
                   and program.badge() == "loaded",
                   what="a page with the photo, bound", interval=0.2,
                   on_timeout=self.session.describe_screen)

    def gallery_requests(self, since):
        return [p for p in self.server.requests(since) if p.startswith(GALLERY_PATH)]

    def test_a_failed_link_says_so_and_alt_left_goes_back(self):
        untrusted = gallery.UntrustedServer()
        self.addCleanup(untrusted.stop)
        program, mark = self.start("page:badlinks.htm")
        program.wait_for_page("badlinks-loaded", mark)
        for link in ("untrusted", "loop"):
            with self.subTest(link=link):
                mark = self.server.mark()
                program.click_page(LINKS[link])
                self.wait_for_error_page(program)
                self.assertEqual(program.badge(), "loading")
                # Longer than the gallery's own page waits before it tries again: a link's page
                # stays until the user goes on.
                time.sleep(3)
                self.assertTrue(self.shows_error_page(program))
                self.assertEqual(self.gallery_requests(mark), [])
                self.key(program, "alt+Left")
                self.wait_for_photo_page(program)
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_a_pushstate_flood_is_left_with_two_presses_at_most(self):
        program, mark = self.start("page:floodlink.htm")
        program.wait_for_page("floodlink-loaded", mark)
        mark = self.server.mark()
        program.click_page(LINKS["flood"])
        program.wait_for_page("pushflood-loaded", mark)
        time.sleep(1)  # the engine takes its entries in
        for press in range(2):
            self.key(program, "alt+Left")
            try:
                self.wait_for_photo_page(program)
                break
            except harness.HarnessError:
                if press == 1:
                    raise
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_a_download_goes_to_the_web_browser_once(self):
        program, mark = self.start("page:downloads.htm")
        program.wait_for_page("downloads-loaded", mark)
        expected = []
        for link, path in (("zip", "archive.zip"), ("attachment", "notes.txt")):
            self.session.clear_launches()
            mark = self.server.mark()
            program.click_page(LINKS[link])
            self.server.wait_for_request(f"/fmm/fe/{path}", mark)
            expected = [[f"{SITE}/fmm/fe/{path}"]]
            wait_until(lambda: self.session.launches() == expected,
                       what=f"one launch of {path}",
                       on_timeout=lambda: f"; launches: {self.session.launches()}")
            # The gallery stays, bound, and nothing more is launched.
            self.wait_for_photo_page(program)
            self.assertEqual(self.session.launches(), expected)
        program.select_in_page(PHOTO, PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_a_gallery_that_never_arrives_gives_way_to_the_error_page(self):
        program, mark = self.start("trickle")
        self.server.wait_for_request(GALLERY_PATH, mark)
        # The program gives a document 30 s to arrive.
        self.wait_for_error_page(program, timeout=60)
        self.assertEqual(program.badge(), "loading")
        self.server.mode = "normal"
        program.wait_for_page("gallery-loaded", mark)
        program.select_in_page("photo", PHOTO_ADDRESS)
        self.assertExitsCleanly(program, lambda: program.click(XX))


if __name__ == "__main__":
    harness.main()
