"""The clipboard holds exactly what the user asked for, and keeps it: pages cannot write it,
hostile addresses cannot break a code open, the picture shown is the one selected, a paste keeps
the text it checked, and the code outlives the program."""

import html.parser
import os
import re
import subprocess
import time

import harness
from desk import processes
from harness import CODE_BUTTONS, LINK_TARGET_URL, MAIN_TITLE, NOTICE_OK, NOTICE_SIZE, SITE, SWRUR, XX

PICS = SITE + "/fmm/fe/pics/"
TRUST = {  # page coordinates in trust.htm
    "copier": (50, 40), "quote": (150, 40), "bbcode": (250, 40), "markup": (350, 40),
    "sourced": (50, 130), "srcsetonly": (150, 130), "noaddress": (250, 130),
    "external8": (350, 130), "external10": (450, 130), "frame": (350, 230),
}

# The tags, and the attribute names of each, that every template has and nothing else.
HTML_TAGS = {
    "swrh22": [("a", ["href", "target"]), ("img", ["style", "alt", "src"]), ("/a", [])],
    "swrhc22": [("div", ["align"]), ("a", ["href", "target"]), ("img", ["style", "alt", "src"]),
                ("/a", []), ("/div", [])],
}
FORUM_TAGS = {
    "swrfr22": ["url=", "img", "/img", "/url"],
    "swrfrc22": ["center", "url=", "img", "/img", "/url", "/center"],
}


class _Tags(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags, self.text = [], ""

    def handle_starttag(self, tag, attrs):
        self.tags.append((tag, [name for name, _ in attrs]))
        self.attrs = getattr(self, "attrs", []) + [dict(attrs)]

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)

    def handle_endtag(self, tag):
        self.tags.append(("/" + tag, []))

    def handle_data(self, data):
        self.text += data


def html_tags(code):
    parser = _Tags()
    parser.feed(code)
    parser.close()
    return parser


def forum_tags(code):
    return [m.group(1) + ("=" if m.group(2) else "")
            for m in re.finditer(r"\[(/?[a-z]+)(=[^\]]*)?\]", code)]


def in_html(address):
    return address.replace('"', "%22").replace("<", "%3C").replace(">", "%3E")


def in_forum(address):
    return address.replace("[", "%5B").replace("]", "%5D")


def support_client(variable):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        raise harness.HarnessError(f"an X client of the test support is missing ({variable}); "
                                   "build the tests and run them through ctest")
    return path


class ClipboardTrust(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.server.mode = "page:trust.htm"
        cls.program = cls.session.start_program()
        cls.program.wait_for_main_window()
        cls.program.wait_for_page("trust-loaded")

    def setUp(self):
        self.program.assert_running()
        self.session.clear_launches()
        self.mark = self.server.mark()

    def click(self, name, button=1):
        self.program.click_page(TRUST[name], button)

    def code(self, button):
        """Presses a code button and returns the text another program then pastes."""
        self.session.set_clipboard("before the press")
        self.program.click(CODE_BUTTONS[button])
        self.session.wait_for_clipboard_taken()
        return self.session.clipboard_bytes().decode()

    def selected_after_click(self, name):
        """Clicks a picture, waits until the program has handled the click, and returns the
        selection as swrd2 publishes it."""
        self.click(name)
        self.program.page_barrier()
        return self.code("swrd2")

    def test_page_cannot_replace_the_code(self):
        self.click("copier")
        self.program.wait_for_selection(PICS + "page2.png")
        self.program.click(CODE_BUTTONS["swrfr22"])
        code = f"[url={LINK_TARGET_URL}][img]{PICS}page2.png[/img][/url]"
        self.session.wait_for_clipboard(code)
        self.server.wait_for_request("/fmm/fe/ping?copy-attempts-done", self.mark)
        attempts = [p for p in self.server.requests(self.mark) if "attempt-" in p]
        self.assertTrue(attempts, "the page tried to copy")
        self.assertEqual(self.session.clipboard_bytes(), code.encode(),
                         f"after the page's attempts {attempts}")
        time.sleep(3)
        self.assertEqual(self.session.clipboard_bytes(), code.encode(), "3 s later")
        self.assertFalse([p for p in self.server.requests(self.mark) if "async-written" in p],
                         "the asynchronous clipboard took the page's text")

        # Nor does a frame of the page, which copies when it is clicked.
        frame = self.server.mark()
        self.click("frame")
        self.server.wait_for_request("/fmm/fe/ping?frame-copy-done", frame)
        copies = [p for p in self.server.requests(frame) if "frame-copy-" in p]
        time.sleep(0.5)
        self.assertEqual(self.session.clipboard_bytes(), code.encode(), f"after {copies}")

        # Nor does the page take the clipboard from another program.
        self.session.set_clipboard("another program's text")
        again = self.server.mark()
        self.click("copier")
        self.server.wait_for_request("/fmm/fe/ping?copy-attempts-done", again)
        frame = self.server.mark()
        self.click("frame")
        self.server.wait_for_request("/fmm/fe/ping?frame-copy-done", frame)
        # Keys in the page copy nothing either: the page's text is selected by now.
        self.session.xdotool("key", "--clearmodifiers", "ctrl+c")
        self.session.xdotool("key", "--clearmodifiers", "ctrl+x")
        time.sleep(1)
        self.assertEqual(self.session.clipboard_bytes(), b"another program's text")
        self.assertTrue(all(p.poll() is None for p in self.session._helpers),
                        "the other program still owns the clipboard")
        self.program.assert_running()

    def test_hostile_addresses_keep_the_templates_shape(self):
        for name in ("bbcode",):
            with self.subTest(picture=name):
                address = self.selected_after_click(name)
                self.assertFalse(address.startswith("before"), "the picture became the selection")
                for button, tags in HTML_TAGS.items():
                    code = self.code(button)
                    parsed = html_tags(code)
                    self.assertEqual(parsed.tags, tags, code)
                    self.assertEqual(parsed.text, "", code)
                    self.assertEqual(parsed.attrs[-1]["src"], in_html(address), code)
                for button, tags in FORUM_TAGS.items():
                    code = self.code(button)
                    self.assertEqual(forum_tags(code), tags, code)
                    self.assertIn("[img]" + in_forum(address) + "[/img]", code)
        # The data: pictures, whose addresses carry quotes and markup, no forum can show: they
        # are refused with a word and never reach a code.
        for name in ("quote", "markup"):
            with self.subTest(picture=name):
                before = self.code("swrd2")
                self.click(name)
                self.program.dismiss_message_box(MAIN_TITLE)
                self.assertEqual(self.code("swrd2"), before)

    def test_the_picture_shown_is_selected(self):
        self.assertEqual(self.selected_after_click("sourced"), PICS + "page2.png")
        self.assertEqual(self.selected_after_click("srcsetonly"), PICS + "dot.png")
        # A picture without an address leaves the choice as it was.
        self.assertEqual(self.selected_after_click("noaddress"), PICS + "dot.png")

    def test_external_title_with_blank_opens_encoded_as_one_argument(self):
        self.click("external8")
        harness.wait_until(lambda: self.session.launches(), what="a launch")
        self.assertEqual(self.session.launches(), [[SITE + "/ext/my%20pic%7C%7Bx%7D.png"]])
        # Without a title there is nothing to open: the program says so and goes on.
        self.click("external10")
        self.program.dismiss_message_box(MAIN_TITLE)
        self.assertEqual(len(self.session.launches()), 1)
        self.program.assert_running()

    def test_paste_keeps_the_text_it_checked(self):
        owner_path = support_client("PINMARK_E2E_CHANGING_OWNER")
        checked = "http://good.example.test/checked.png"
        other = "javascript:alert(1)//\n[url=http://evil.example/]x.png"
        for first, second, kept in ((checked, other, checked), (other, checked, None)):
            with self.subTest(first=first):
                self.session.set_clipboard("http://earlier.example.test/earlier.gif")
                self.program.click(SWRUR)
                self.assertEqual(self.code("swrd2"), "http://earlier.example.test/earlier.gif")
                owner = subprocess.Popen([owner_path, first, second], env=self.session.env,
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                self.session._helpers.append(owner)
                self.assertEqual(owner.stdout.readline(), b"ready\n")
                self.program.click(SWRUR)
                if kept is None:
                    notice = self.session.wait_for_window(MAIN_TITLE, NOTICE_SIZE)
                    self.session.click_window(notice, *NOTICE_OK)
                    self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)
                    kept = "http://earlier.example.test/earlier.gif"
                else:
                    self.program.page_barrier()
                self.assertEqual(self.code("swrd2"), kept)
                with owner.stdout:
                    served = owner.stdout.read().decode().split()
                self.assertEqual(served, ["served", "1"], "the clipboard was read once")


class CodeOutlivesProgram(harness.SessionCase):
    def close_after_code(self, address="http://img.example.test/kept.png"):
        """Starts the program, puts a code on the clipboard, closes the program cleanly and
        returns the code."""
        program = self.session.start_program()
        program.wait_for_main_window()
        self.session.set_clipboard(address)
        program.click(SWRUR)
        program.click(CODE_BUTTONS["swrfr22"])
        code = f"[url={LINK_TARGET_URL}][img]{address}[/img][/url]"
        self.session.wait_for_clipboard(code)
        self.assertExitsCleanly(program, lambda: program.click(XX))
        return code

    def test_clipboard_manager_takes_the_code_at_exit(self):
        manager = subprocess.Popen([support_client("PINMARK_E2E_CLIPBOARD_MANAGER")],
                                   env=self.session.env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        self.session.bystanders.append(manager)
        self.addCleanup(processes.stop_popen, manager)
        self.addCleanup(manager.stdout.close)
        self.assertEqual(manager.stdout.readline(), b"ready\n")
        code = self.close_after_code()
        self.assertEqual(manager.stdout.readline(), b"saved " + code.encode() + b"\n")
        self.assertEqual(self.session.clipboard_bytes(), code.encode())
        self.assertEqual(self.session.keepers(), {}, "no keeper beside a clipboard manager")
        processes.stop_popen(manager)

    def test_code_stays_pasteable_until_another_program_takes_it(self):
        code = self.close_after_code()
        self.assertEqual(self.session.clipboard_bytes(), code.encode(), "pasted after the close")
        keepers = self.session.keepers()
        self.assertEqual(len(keepers), 1, "one keeper serves the code")
        self.assertNotIn(os.getsid(0), keepers.values(), "the keeper has a session of its own")
        self.assertEqual(self.session.clipboard_bytes(), code.encode(), "pasted a second time")

        self.session.set_clipboard("another program's text")
        harness.wait_until(lambda: not self.session.keepers(), what="the keeper to end")
        self.assertEqual(self.session.clipboard_bytes(), b"another program's text")

    def test_large_code_is_kept_whole(self):
        # Larger than the 16 MB one request to the X server can carry.
        code = self.close_after_code("http://img.example.test/" + "ab" * (9 << 20) + ".png")
        self.assertEqual(self.session.clipboard_bytes(), code.encode())
        self.session.set_clipboard("another program's text")
        harness.wait_until(lambda: not self.session.keepers(), what="the keeper to end")


if __name__ == "__main__":
    harness.main()
