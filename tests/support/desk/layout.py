"""Where the windows' controls are, read from the program's own layouts (assets/layouts/*.ui).

A control's place is its rectangle in its window's coordinates: the layouts nest controls in
picture boxes, whose offsets are added up here.
"""

import functools
import re
import xml.etree.ElementTree as ElementTree
from typing import NamedTuple

from . import SOURCE_ROOT

LAYOUTS = SOURCE_ROOT / "assets" / "layouts"


class Rect(NamedTuple):
    x: int
    y: int
    width: int
    height: int

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def contains(self, x, y):
        return self.x <= x < self.x + self.width and self.y <= y < self.y + self.height


class Layout(NamedTuple):
    name: str
    title: str
    size: tuple
    controls: dict  # name: Rect in window coordinates, hidden controls included
    hidden: frozenset

    def __getitem__(self, name):
        return self.controls[name]

    def centre(self, name):
        return self.controls[name].centre()

    def title_pattern(self):
        """A regular expression matching exactly the window's title."""
        # Only the metacharacters: the pattern also goes to xdotool's POSIX expressions.
        return "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", self.title) + "$"


def _geometry(widget):
    rect = widget.find("property[@name='geometry']/rect")
    if rect is None:
        return Rect(0, 0, 0, 0)
    return Rect(*(int(rect.find(k).text) for k in ("x", "y", "width", "height")))


@functools.cache
def load(name):
    """The layout assets/layouts/NAME.ui: "frmweb", "about", "notcon", "selimg", "wronglink"."""
    root = ElementTree.parse(LAYOUTS / f"{name}.ui").getroot().find("widget")
    title = root.find("property[@name='windowTitle']/string")
    window = _geometry(root)
    controls, hidden = {}, set()

    def walk(widget, ox, oy):
        for child in widget.findall("widget"):
            g = _geometry(child)
            here = Rect(ox + g.x, oy + g.y, g.width, g.height)
            controls[child.get("name")] = here
            shown = child.find("property[@name='visible']/bool")
            if shown is not None and shown.text == "false":
                hidden.add(child.get("name"))
            walk(child, here.x, here.y)

    walk(root, 0, 0)
    return Layout(root.get("name"), title.text if title is not None else "",
                  (window.width, window.height), controls, frozenset(hidden))


def frmweb():
    return load("frmweb")


# The main window's code buttons, in the order the layout's glossary gives them.
CODE_BUTTONS = ("swrd2", "swrhc22", "swrh22", "swrfrc22", "swrfr22")
NOTICES = ("about", "notcon", "selimg", "wronglink")
