"""Code output: a pasted address through every code button onto the clipboard, as another
program reads it."""

import harness
from harness import CODE_BUTTONS, LINK_TARGET_URL, MAIN_TITLE, NOTICE_OK, NOTICE_SIZE, SWRUR, FIXTURES

# Accepted as it is; each code places it made safe for its syntax, and changes nothing else.
ADDRESS = 'http://img.example.test/albums/a%20b/"q"&<x>[1].png'
IN_HTML = 'http://img.example.test/albums/a%20b/%22q%22&%3Cx%3E[1].png'
IN_FORUM = 'http://img.example.test/albums/a%20b/"q"&<x>%5B1%5D.png'


def expected_codes(address, in_forum=None, in_html=None):
    """The five codes of an address, given how each syntax places it (a plain address is
    placed as it is)."""
    in_forum = in_forum or address
    in_html = in_html or address
    q = '"'
    img = ("<img style=" + q + "border-style: solid;border-width: 0px" + q + " alt=" + q + q
           + " src=" + q + in_html + q + "/></a>")
    anchor = "<a href=" + q + LINK_TARGET_URL + q + " target=" + q + "_blank" + q + ">"
    # Ends on swrd2, so the last text differs from the one xclip offered.
    return [
        ("swrfr22", f"[url={LINK_TARGET_URL}][img]{in_forum}[/img][/url]"),
        ("swrfrc22", f"[center][url={LINK_TARGET_URL}][img]{in_forum}[/img][/url][/center]"),
        ("swrh22", anchor + img),
        ("swrhc22", "<div align=" + q + "center" + q + ">" + anchor + img + "</div>"),
        ("swrd2", address),
    ]


class CodeOutput(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.start_program()
        cls.program.wait_for_main_window()

    def paste(self, data, target=None):
        self.session.set_clipboard(data, target)
        self.program.click(SWRUR)

    def test_every_code_button_puts_its_code_on_the_clipboard(self):
        self.paste(ADDRESS)
        for button, text in expected_codes(ADDRESS, IN_FORUM, IN_HTML):
            with self.subTest(button=button):
                self.program.click(CODE_BUTTONS[button])
                self.session.wait_for_clipboard(text)

    def test_picture_only_clipboard_shows_wronglink_and_keeps_the_selection(self):
        kept = "ftp://files.example.test/kept.jpeg"
        self.paste(kept)
        picture = (FIXTURES / "fmm" / "fe" / "pics" / "external.png").read_bytes()
        self.paste(picture, target="image/png")
        notice = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(kept)
        self.session.click_window(notice, *NOTICE_OK)
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)
        self.program.assert_running()


if __name__ == "__main__":
    harness.main()
