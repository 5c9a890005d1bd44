"""What a screen reader gets through AT-SPI: every control, notice and state of the program
by name, in Arabic with the English meaning, and nothing that is not on the screen."""

import os
import shutil
import subprocess
import sys
import time

try:
    import gi  # noqa: F401  (pyatspi needs the system's GObject bindings)
    import pyatspi  # noqa: F401
    from gi.repository import GLib
except ImportError:
    # The bindings come with the system's Python; another interpreter first on PATH lacks them.
    system = "/usr/bin/python3"
    if os.path.realpath(sys.executable) != os.path.realpath(system) and os.access(system, os.X_OK):
        os.execv(system, [system] + sys.argv)
    sys.exit("FAIL: the AT-SPI cases need pyatspi (Debian packages python3-pyatspi, "
             "gir1.2-atspi-2.0, at-spi2-core; scripts/install-deps.sh installs them)")

import harness
from harness import ABOUT_SIZE, ABOUT_TITLE, ABOUTIMG, CODE_BUTTONS, MAIN_TITLE, NOTICE_SIZE
from harness import LINK_TARGET_URL, PHOTO_ADDRESS, SITE, XX

OK_NAME = "موافق — OK"
# AT-SPI 2.46 renamed the push button's role name to "button"; the role itself is the same.
ROLE_NAMES = {"button": "push button"}
SELIMG_WORDS = "يجب عليك اختيار الصورة أولا\nلاختيار الصورة اضغط بزر الماوس الايسر عليها"
LOADED, LOADING = "تم التحميل — Loaded", "جاري التحميل — Loading"
OUTPUT_NAME = "الكود — Output code"


def children(node):
    return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c is not None]


def walk(node):
    yield node
    for child in children(node):
        yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def role_name(node):
    name = node.getRoleName()
    return ROLE_NAMES.get(name, name)


def describe(node, depth=0):
    state = " showing" if showing(node) else ""
    lines = ["  " * depth + f"[{node.getRoleName()}] {node.name!r}{state}"]
    for child in children(node):
        lines.append(describe(child, depth + 1))
    return "\n".join(lines)


class ScreenReader(harness.SessionCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The accessibility bus runs before the program starts, as on a desktop with a screen
        # reader; the program and this reader both find it through the session bus.
        if shutil.which("dbus-send") is None:
            raise harness.HarnessError("missing tool: dbus-send (Debian package dbus)")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = cls.session.bus.address
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=cls.session.env,
                       check=True, capture_output=True, timeout=harness.TIMEOUT)

    def application(self, program):
        def found():
            for app in children(pyatspi.Registry.getDesktop(0)):
                if app.name == "Pinmark" and app.get_process_id() == program.pid:
                    return app
            return None

        return harness.wait_until(found, what="the program on the accessibility bus")

    def window(self, app, name, role=None):
        def found():
            for w in children(app):
                if w.name == name and showing(w) and (role is None or w.getRoleName() == role):
                    return w
            return None

        return harness.wait_until(found, what=f"a window named {name!r}",
                                  on_timeout=lambda: "; the tree:\n" + describe(app))

    def named(self, root, name, role):
        matches = [n for n in walk(root) if n.name == name and role_name(n) == role]
        self.assertEqual(len(matches), 1, f"{role} {name!r} in:\n{describe(root)}")
        return matches[0]

    def assertOnlyShownThingsShow(self, window):
        """Nothing shows inside a hidden node (the picture holders never show), and every
        control of the program's own that shows is named; the page's content is the page's."""
        todo = [window]
        while todo:
            node = todo.pop()
            if not showing(node):
                for below in walk(node):
                    self.assertFalse(showing(below), f"{below.getRoleName()} {below.name!r} "
                                                     f"shows inside a hidden {node.name!r}")
                continue
            if node.getRoleName() == "document web":
                continue
            if not node.childCount:
                self.assertTrue(node.name, f"an unnamed {node.getRoleName()} shows:\n"
                                           f"{describe(window)}")
            todo.extend(children(node))

    def test_everything_on_the_screen_is_read_and_nothing_else(self):
        program = self.session.start_program(extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        program.wait_for_main_window()
        app = self.application(program)
        main = self.window(app, "Pinmark 1.0")
        program.wait_for_page("gallery-loaded")

        # The notices: each reads its message and its OK button, which a screen reader can press.
        program.click(CODE_BUTTONS["swrd2"])  # nothing is selected yet
        program.click(ABOUTIMG)
        self.session.wait_for_window(ABOUT_TITLE, ABOUT_SIZE)
        selimg = self.window(app, SELIMG_WORDS)
        self.assertIn("select the image first", selimg.description)
        about = [w for w in children(app) if w.name.startswith("مثبت الصور - الإصدار 1.2")]
        self.assertEqual(len(about), 1, describe(app))
        self.assertIn("version 1.2", about[0].description)
        for notice in (selimg, about[0]):
            self.assertOnlyShownThingsShow(notice)
            ok = self.named(notice, OK_NAME, "push button")
            ok.queryAction().doAction(0)
        self.session.wait_for_no_window(ABOUT_TITLE, ABOUT_SIZE)
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)
        program.assert_running()

        # The main window and nothing else: no window of the web engine's own.
        harness.wait_until(lambda: [w.name for w in children(app)] == ["Pinmark 1.0"],
                           what="the main window to be the program's only window",
                           on_timeout=lambda: "; the tree:\n" + describe(app))
        self.assertOnlyShownThingsShow(main)
        document = [n for n in walk(main) if n.getRoleName() == "document web"]
        self.assertEqual([d.name for d in document], ["Gallery"], "the gallery document's name")
        self.assertTrue(showing(self.named(main, LOADED, "image")), "the badge reads as loaded")

        # The badge announces its changes: a page followed in place is loading, then loaded.
        announced = []

        def on_name_change(event):
            # Read at delivery: by then the name may have changed once more.
            if event.source and event.source.name in (LOADING, LOADED):
                announced.append(event.source.name)

        pyatspi.Registry.registerEventListener(on_name_change,
                                               "object:property-change:accessible-name")
        try:
            mark = len(self.server.requests())
            program.click_page("link7")
            program.wait_for_page("page2-loaded", mark)

            def heard():
                context = GLib.MainContext.default()
                while context.pending():
                    context.iteration(False)
                # One change to loading and one back to loaded, which is where it ends.
                return len(announced) >= 2 and announced[-1] == LOADED

            harness.wait_until(heard, what="the badge to announce loading, then loaded",
                               on_timeout=lambda: f"; announced: {announced}")
        finally:
            pyatspi.Registry.deregisterEventListener(on_name_change,
                                                     "object:property-change:accessible-name")
        program.click_page("back")
        program.wait_for_page("gallery-loaded", mark)

        program.select_in_page("photo", PHOTO_ADDRESS)
        text2 = self.named(main, "الكود — Output code", "text")
        self.assertEqual(text2.queryText().getText(0, -1), PHOTO_ADDRESS)

        self.assertExitsCleanly(program, lambda: program.click(XX))

    def test_a_failed_link_reads_its_address_and_reason(self):
        self.server.mode = "page:badlinks.htm"
        self.addCleanup(setattr, self.server, "mode", "normal")
        mark = self.server.mark()
        program = self.session.start_program(extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        self.addCleanup(program.kill)
        program.wait_for_main_window()
        app = self.application(program)
        main = self.window(app, "Pinmark 1.0")
        program.wait_for_page("badlinks-loaded", mark)
        program.click_page((200, 25))  # the link that redirects to itself

        def read():
            try:
                for document in (n for n in walk(main) if n.getRoleName() == "document web"):
                    if document.name == ERROR_PAGE_NAME:
                        words = " ".join(n.name for n in walk(document))
                        # The page's parts reach the tree a moment after the page itself.
                        return words if "loop.htm" in words else None
            except GLib.GError:
                pass  # the tree changed under the walk: the page is still being replaced
            return None

        words = harness.wait_until(read, what="the error page in the accessibility tree",
                                   on_timeout=lambda: "; the tree:\n" + describe(main))
        for expected in (f"{harness.SITE}/fmm/fe/loop.htm", "The site redirects too many times.",
                         "الموقع يعيد التوجيه مرات كثيرة جدًا", "The link could not be opened"):
            self.assertIn(expected, words)
        self.assertNotIn("Try again", words)  # the gallery's button is not this page's
        self.named(main, "رجوع — Back", "push button")
        self.named(main, "المعرض — Gallery", "push button")
        self.assertExitsCleanly(program, lambda: program.click(XX))

    def heard(self, events, what, matches):
        """Waits until an event recorded in events (the listener's list) matches."""
        context = GLib.MainContext.default()

        def found():
            while context.pending():
                context.iteration(False)
            return next((e for e in events if matches(e)), None)

        return harness.wait_until(found, what=what, on_timeout=lambda: f"; heard: {events}")

    def test_pictures_reached_by_keyboard_and_new_output_are_heard(self):
        program = self.session.start_program(extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        program.wait_for_main_window()
        self.window(self.application(program), "Pinmark 1.0")
        program.wait_for_page("gallery-loaded")
        focused, inserted = [], []

        def on_focus(event):
            # Read at delivery, while the object still has the focus.
            if event.detail1 and event.source:
                focused.append((event.source.getRole(), event.source.name))

        def on_insert(event):
            if event.source:
                inserted.append((event.source.name, event.any_data))

        listeners = [(on_focus, "object:state-changed:focused"),
                     (on_insert, "object:text-changed:insert")]
        for listener, kind in listeners:
            pyatspi.Registry.registerEventListener(listener, kind)
        try:
            # Named by the file when a picture has neither alt text nor title, else by the title.
            program.focus()
            program.press("Tab")
            self.heard(focused, "the first picture to be focused",
                       lambda e: e == (pyatspi.ROLE_IMAGE, "my photo.png"))
            program.press("Tab")
            self.heard(focused, "the second picture to be focused",
                       lambda e: e == (pyatspi.ROLE_IMAGE, SITE + "/ext/picture-4.png"))

            program.press("shift+Tab", "Return")
            self.heard(inserted, "the selection in the output field",
                       lambda e: e == (OUTPUT_NAME, PHOTO_ADDRESS))
            program.click(CODE_BUTTONS["swrfr22"])
            code = f"[url={LINK_TARGET_URL}][img]{PHOTO_ADDRESS}[/img][/url]"
            self.heard(inserted, "the code in the output field", lambda e: e == (OUTPUT_NAME, code))
        finally:
            for listener, kind in listeners:
                pyatspi.Registry.deregisterEventListener(listener, kind)
        self.assertExitsCleanly(program, lambda: program.click(XX))


ERROR_PAGE_NAME = "تعذر فتح الصفحة — The page could not be opened"


if __name__ == "__main__":
    harness.main()
