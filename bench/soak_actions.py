"""What the soak does to the program: random presses, drags, keys and clipboard changes on its
windows, and faults from outside (the renderer killed, the gallery server taken down).

Every action is counted in the soak's book; no press or release ever lands on the main window's
close button, which only the end of the soak presses."""

import os
import signal
import time

import harness as H
from desk import layout

MAIN = layout.frmweb()
XX = MAIN["xx"]
# Never pressed nor released over, with a margin for rounding.
XX_GUARD = layout.Rect(XX.x - 4, XX.y - 4, XX.width + 8, XX.height + 8)
CONTROL_BUTTONS = [*layout.CODE_BUTTONS, "swrur", "min", "aboutimg", "mwqa"]
# A notice's OK button by the notice's size: the short notices share one layout of it.
NOTICE_OK = {layout.load(n).size: layout.load(n)["Picture1"] for n in layout.NOTICES}


class Hands:
    """Random input on the program's windows, from a seeded generator."""

    def __init__(self, rng, env, clipboard, book, pasted_address, silent_owner):
        self.rng = rng
        self.env = env  # for xdotool and xclip: no sanitizer options
        self.clipboard = clipboard
        self.book = book
        self.pasted_address = pasted_address
        self.silent_owner = silent_owner  # a clipboard owner that never answers
        self.main = None  # the main window's id
        self.windows = []  # [(id, pid, name, x, y, w, h)] of the program's visible windows

    def xdo(self, *args):
        return H.xdotool(self.env, *args)

    def see(self, main, windows):
        """The windows as they are now, before the next action."""
        self.main, self.windows = main, windows

    def main_geometry(self):
        for wid, _, _, x, y, w, h in self.windows:
            if wid == self.main:
                return x, y, w, h
        return None

    def safe_for_main(self, abs_x, abs_y):
        """False where a press or release would land on the main window's close button."""
        geo = self.main_geometry()
        if not geo:
            return True
        return not XX_GUARD.contains(abs_x - geo[0], abs_y - geo[1])

    def random_point_in(self, rect):
        x, y, w, h = rect
        return self.rng.randrange(x, x + w), self.rng.randrange(y, y + h)

    def random_main_point(self):
        while True:
            x, y = self.rng.randrange(0, MAIN.size[0]), self.rng.randrange(0, MAIN.size[1])
            if not XX_GUARD.contains(x, y):
                return x, y

    def keep_main_on_screen(self, screen):
        geo = self.main_geometry()
        if geo and (geo[0] < 0 or geo[1] < 0 or geo[0] + geo[2] > screen[0]
                    or geo[1] + geo[3] > screen[1]):
            self.xdo("windowmove", self.main, (screen[0] - MAIN.size[0]) // 2,
                     (screen[1] - MAIN.size[1]) // 2)
            self.book.count("window put back on screen")

    def click_in(self, win, rect, *extra):
        self.xdo("mousemove", "--window", win, *self.random_point_in(rect), "click", *extra)

    def act_on_main(self):
        win = self.main
        kind = self.rng.choices(
            ["button", "page", "page-right", "page-right-storm", "drag", "keys", "clipboard",
             "field", "anywhere"],
            weights=[30, 18, 2, 1, 12, 8, 12, 4, 6])[0]
        if kind == "button":
            name = self.rng.choice(CONTROL_BUTTONS)
            kind = f"button {name}"
        self.book.count(f"main: {kind}")
        if kind.startswith("button"):
            self.click_in(win, MAIN[name], 1)
        elif kind == "page":
            self.click_in(win, MAIN["WebBrowser1"], 1)
        elif kind == "page-right":
            self.click_in(win, MAIN["WebBrowser1"], 3)
        elif kind == "page-right-storm":
            # Faster than anyone clicks: the publisher box must still open once.
            self.click_in(win, MAIN["WebBrowser1"], "--repeat", self.rng.randrange(10, 60),
                          "--delay", self.rng.randrange(5, 30), 3)
        elif kind == "drag":
            self.drag(win, self.random_main_point())
        elif kind == "keys":
            # From the output field at most three steps on: the tab chain never reaches the
            # close button that way.
            self.click_in(win, MAIN["Text2"], 1)
            keys = ["Tab"] * self.rng.randrange(0, 4) + [self.rng.choice(["space", "Return"])]
            self.xdo("key", "--delay", 30, *keys)
        elif kind == "clipboard":
            self.change_clipboard()
            if self.rng.random() < 0.7:
                self.click_in(win, MAIN["swrur"], 1)
        elif kind == "field":
            self.click_in(win, MAIN["Text2"], "--repeat", self.rng.choice([1, 2]), 1)
        else:
            self.xdo("mousemove", "--window", win, *self.random_main_point(), "click", 1)

    def drag(self, win, start):
        """Press, wander, release; the release never over the main window's close button."""
        button = self.rng.choice([1, 1, 1, 3])
        self.xdo("mousemove", "--window", win, *start, "mousedown", button)
        for _ in range(self.rng.randrange(1, 5)):
            dx, dy = self.rng.randrange(-120, 121), self.rng.randrange(-120, 121)
            self.xdo("mousemove_relative", "--", dx, dy)
            time.sleep(self.rng.uniform(0.005, 0.05))
        # The window may have followed the pointer: judge the release where it is now.
        loc = dict(kv.split(":") for kv in self.xdo("getmouselocation").split() if ":" in kv)
        px, py = int(loc.get("x", 0)), int(loc.get("y", 0))
        geo_now = self.xdo("getwindowgeometry", "--shell", self.main)
        vals = dict(line.split("=", 1) for line in geo_now.splitlines() if "=" in line)
        if "X" in vals:
            mx, my = int(vals["X"]), int(vals["Y"])
            if XX_GUARD.contains(px - mx, py - my):
                self.xdo("mousemove_relative", "--", 80, 80)
        self.xdo("mouseup", button)

    def change_clipboard(self):
        choice = self.rng.choice(["accepted", "spaces", "capitals", "empty", "junk", "long",
                                  "query", "silent owner"])
        if choice == "silent owner":
            # Until the next change, or a code button, takes the clipboard from it.
            self.clipboard.silence(self.silent_owner)
            self.book.count(f"clipboard: {choice}")
            return
        text = {
            "accepted": self.pasted_address,
            "spaces": "https://example.test/a b\nc.png",
            "capitals": "HTTP://example.test/a.JPG",
            "empty": "",
            "junk": "".join(self.rng.choice("abc%20/:.\u0627\u0644") for _ in range(40)),
            "long": "ftp://example.test/" + "x" * 65536 + ".jpeg",
            "query": "http://example.test/a.gif?size=2",
        }[choice]
        self.clipboard.set(text)
        self.book.count(f"clipboard: {choice}")
        time.sleep(0.05)

    def act_on_other(self, wid, kind):
        """Input on a window other than the main one; returns the action taken."""
        geo = next(w for w in self.windows if w[0] == wid)
        _, _, _, wx, wy, ww, wh = geo
        ok = NOTICE_OK.get((ww, wh))
        action = self.rng.choices(["ok", "ok-slip", "elsewhere", "drag", "keys"],
                                  weights=[4 if ok else 0, 2 if ok else 0, 3, 1, 3])[0]
        self.book.count(f"{kind}: {action}")
        if action in ("ok", "ok-slip"):
            point = self.random_point_in(ok)
        else:
            point = self.rng.randrange(0, ww), self.rng.randrange(0, wh)
        if not self.safe_for_main(wx + point[0], wy + point[1]):
            self.book.count("skipped: over the close button")
            return action
        if action == "ok":
            self.xdo("mousemove", "--window", wid, *point, "click", 1)
        elif action == "ok-slip":
            # Pressed on OK, released off it: no click.
            self.xdo("mousemove", "--window", wid, *point, "mousedown", 1)
            self.xdo("mousemove", "--window", wid, point[0], wh + 30)
            if not self.safe_for_main(wx + point[0], wy + wh + 30):
                self.xdo("mousemove", "--window", wid, point[0], point[1])
            self.xdo("mouseup", 1)
        elif action == "elsewhere":
            self.xdo("mousemove", "--window", wid, *point, "click", 1)
        elif action == "drag":
            self.drag(wid, point)
        else:
            self.xdo("key", "--delay", 30,
                     *[self.rng.choice(["Tab", "space", "Return"])
                       for _ in range(self.rng.randrange(1, 3))])
        return action

    def press_ok(self, wid, size):
        ok = NOTICE_OK[size]
        self.xdo("mousemove", "--window", wid, *ok.centre(), "click", 1)

    def press_close(self, main):
        self.xdo("mousemove", "--window", main, *MAIN.centre("xx"), "click", 1)


class Faults:
    """Every 15 to 30 s: the page's renderer is killed, or the gallery server goes away for
    3 to 12 s."""

    def __init__(self, rng, book, gallery_dir, port):
        self.rng = rng
        self.book = book
        self.gallery_dir = gallery_dir
        self.port = port
        self.gallery = H.start_gallery(gallery_dir, port)
        self.next_fault = time.time() + rng.uniform(15, 30)
        self.back_at = None

    def step(self, main_pid):
        now = time.time()
        if self.back_at is not None and now >= self.back_at:
            self.gallery = H.start_gallery(self.gallery_dir, self.port)
            self.back_at = None
            H.log("gallery server back")
        if now < self.next_fault or self.back_at is not None:
            return
        self.next_fault = now + self.rng.uniform(15, 30)
        if self.rng.random() < 0.5:
            renderers = H.renderer_descendants(main_pid)
            self.book.count("fault: renderer killed")
            H.log(f"killing the renderer {renderers}")
            for pid in renderers:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        else:
            self.book.count("fault: gallery server down")
            H.stop_tree(self.gallery)
            self.back_at = now + self.rng.uniform(3, 12)
            H.log("gallery server down")
