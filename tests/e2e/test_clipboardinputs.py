"""What another program may leave on the clipboard for the paste button: refused with the
wronglink notice or accepted as it reads, and never the end of the program."""

import harness
from harness import CODE_BUTTONS, FIXTURES, MAIN_TITLE, NOTICE_OK, NOTICE_SIZE, SWRUR

REPLACEMENT = "\ufffd".encode()  # what undecodable bytes read as

# (name, clipboard bytes, target or None, the text the selection then holds or None if refused)
INPUTS = [
    ("empty text", b"", None, None),
    ("picture only", (FIXTURES / "fmm/fe/pics/external.png").read_bytes(), "image/png", None),
    ("ten megabytes", b"http://big.example.test/" + b"a" * (10 << 20) + b".png", None, "same"),
    ("NUL bytes", b"http://nul.example.test/a\x00b\x00.png", None, None),
    ("line breaks inside", b"http://lines.example.test/\n[url=http://evil.example/]\n.png", None,
     None),
    ("right-to-left mark first", "\u200fhttp://rtl.example.test/a.png".encode(), None, None),
    ("right-to-left override inside", "http://rtl.example.test/\u202egnp.exe.png".encode(),
     None, "same"),
    ("invalid UTF-8 inside", b"http://bytes.example.test/\xff\xfe.png", None,
     b"http://bytes.example.test/" + REPLACEMENT * 2 + b".png"),
    ("invalid UTF-8 at the end", b"http://bytes.example.test/a.png\xff", None, None),
    ("lone surrogate", b"http://bytes.example.test/\xed\xa0\x80.png", None, "valid"),
    ("Latin-1 only", b"http://latin.example.test/caf\xe9.png", "STRING",
     "http://latin.example.test/café.png".encode()),
]


class ClipboardInputs(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.start_program()
        cls.program.wait_for_main_window()

    def setUp(self):
        self.program.assert_running()
        self.assertEqual(self.program.notices(), [], "no notice left open by the previous case")

    def paste(self):
        self.program.click(SWRUR)

    def assertRefused(self):
        notice = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
        self.session.click_window(notice, *NOTICE_OK)
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)

    def selection(self):
        """The selection's text as another program pastes it after swrd2."""
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard_taken()
        return self.session.clipboard_bytes()

    def test_inputs(self):
        for name, data, target, expected in INPUTS:
            with self.subTest(name):
                self.session.set_clipboard(data, target)
                self.paste()
                if expected is None:
                    self.assertRefused()
                    continue
                got = self.selection()
                self.assertEqual(len(self.session.visible_windows(MAIN_TITLE)), 1,
                                 "accepted without a notice")
                if expected == "same":
                    self.assertEqual(got, data)
                elif expected == "valid":
                    text = got.decode("utf-8")  # the program hands out valid UTF-8 only
                    self.assertTrue(text.startswith("http://bytes.example.test/"))
                    self.assertTrue(text.endswith(".png"))
                    self.assertIn("\ufffd", text)
                else:
                    self.assertEqual(got, expected)
        self.program.assert_running()

    def test_no_owner_is_refused_and_keeps_the_selection(self):
        kept = "https://kept.example.test/photo.bmp"
        self.session.set_clipboard(kept)
        self.paste()
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(kept)
        # The program lost the clipboard to xclip, and xclip is gone: nobody owns it.
        self.session.set_clipboard("taken")
        self.session.clear_clipboard()
        self.paste()
        self.assertRefused()
        self.program.click(CODE_BUTTONS["swrd2"])
        self.session.wait_for_clipboard(kept)


if __name__ == "__main__":
    harness.main()
