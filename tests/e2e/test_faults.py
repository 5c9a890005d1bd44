"""A gallery that misbehaves: the program keeps running with its main window and still ends
cleanly through the close button."""

import time

import harness
from harness import GALLERY_PATH, MAIN_SIZE, MAIN_TITLE, PHOTO_ADDRESS, SITE, XX


class Faults(harness.SessionCase):
    def run_gallery(self, mode, settle, extra_env=None):
        """Starts the program on a gallery answered in this mode, lets settle(program) observe
        the outcome, then checks the program is alive and ends cleanly."""
        self.server.mode = mode
        self.session.clear_launches()
        mark = self.server.mark()
        program = self.session.start_program(extra_env=extra_env)
        self.addCleanup(program.kill)
        program.wait_for_main_window()
        self.server.wait_for_request(GALLERY_PATH, mark)
        settle(program, mark)
        program.assert_running()
        self.assertEqual(len(self.session.visible_windows(MAIN_TITLE)), 1)
        self.assertEqual(self.session.geometry(program.main)[2:], MAIN_SIZE)
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def settled(self, program, mark):
        program.wait_until_loaded()

    def photo_still_selectable(self, program, mark):
        program.wait_until_loaded()
        program.select_in_page("photo", PHOTO_ADDRESS)

    def test_display_without_opengl(self):
        # An X server without GLX: the page is drawn in software, and still works.
        self.run_gallery("normal", self.photo_still_selectable, {"QT_XCB_GL_INTEGRATION": "none"})

    def half_page_shown(self, program, mark):
        # The pictures of the half page that arrived are fetched; nothing after them will
        # come, and nothing more can be waited for than a moment.
        self.server.wait_for_request("/fmm/fe/pics/hostile.png", mark)
        time.sleep(1)
        self.assertEqual(program.badge(), "loading", "the document never completes")

    def test_never_finishes(self):
        self.run_gallery("hang", self.half_page_shown)

    def test_dies_mid_load(self):
        self.run_gallery("die", self.half_page_shown)

    def test_one_megabyte_title(self):
        self.run_gallery("bigtitle", self.photo_still_selectable)

    def test_five_thousand_pictures(self):
        self.run_gallery("many", self.photo_still_selectable)

    def test_frame_finishing_after_the_page(self):
        def frame_loaded(program, mark):
            self.server.wait_for_request("/fmm/fe/ping?page2-loaded", mark)
            program.wait_until_loaded()
            # The page is bound again when its frame finishes; a click still counts once.
            program.click_page("picture4")
            program.page_barrier()
            self.assertEqual(self.session.launches(), [[SITE + "/ext/picture-4.png"]])
            program.select_in_page("photo", PHOTO_ADDRESS)
        self.run_gallery("page:frame.htm", frame_loaded)

    def test_page_navigating_itself_away(self):
        def moved(program, mark):
            self.server.wait_for_request("/fmm/fe/page2.htm?moved", mark)
            program.wait_for_page("page2-loaded", mark)
        self.run_gallery("page:selfnav.htm", moved)

    def test_picture_as_the_document(self):
        self.run_gallery("picture:my photo.png", self.settled)


if __name__ == "__main__":
    harness.main()
