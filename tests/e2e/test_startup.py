"""Start-up: online the main window shows the gallery; offline only the not-connected notice."""

import harness
from harness import GALLERY_PATH, MAIN_SIZE, MAIN_TITLE, NOTICE_OK, NOTICE_SIZE, XX


class Startup(harness.SessionCase):
    def test_online_shows_main_window_and_requests_gallery(self):
        program = self.session.start_program()
        window = program.wait_for_main_window()
        self.assertEqual(self.session.geometry(window)[2:], MAIN_SIZE)
        self.server.wait_for_request(GALLERY_PATH)
        self.assertEqual([w[0] for w in self.session.visible_windows()], [window],
                         "the main window is the only window")
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_offline_shows_only_notcon_whose_ok_ends_the_program(self):
        program = self.session.start_program(offline=True)
        notice = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
        self.assertEqual([w[0] for w in self.session.visible_windows()], [notice],
                         "the not-connected notice is the only window")
        self.assertEqual(program.children(), {}, "offline, the web engine is never started")
        with open(f"/proc/{program.pid}/maps") as maps:
            self.assertNotIn("libQt6WebEngineCore", maps.read(),
                             "offline, the web engine's libraries are never even loaded")
        self.assertEqual(self.server.requests(), [])
        self.assertExitsCleanly(program, lambda: self.session.click_window(notice, *NOTICE_OK),
                                timeout=5)


if __name__ == "__main__":
    harness.main()
