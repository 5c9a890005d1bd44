"""Where the windows' controls are, read from the program's own layouts (assets/layouts/*.ui).

A control's place is its rectangle in its window's coordinates: the layouts nest controls in
picture boxes, whose offsets are added up here.
"""

import functools
import re
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass
from typing import NamedTuple

from . import SOURCE_ROOT, DeskError

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


@dataclass(frozen=True)
class Layout:
    name: str
    title: str
    size: tuple
    controls: dict  # name: Rect in window coordinates, hidden controls included

    def __getitem__(self, name):
        rect = self.controls[name]
        if not rect.width or not rect.height:
            # A control placed by a layout manager has no geometry in the file: clicking at
            # 0,0 would hit another control and fail far from here.
            raise DeskError(f"{name} has no fixed place in the layout {self.name}")
        return rect

    def centre(self, name):
        return self[name].centre()

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
    controls = {}

    def walk(widget, ox, oy):
        for child in widget.findall("widget"):
            g = _geometry(child)
            here = Rect(ox + g.x, oy + g.y, g.width, g.height)
            controls[child.get("name")] = here
            walk(child, here.x, here.y)

    walk(root, 0, 0)
    return Layout(root.get("name"), title.text if title is not None else "",
                  (window.width, window.height), controls)


def frmweb():
    return load("frmweb")


# The main window's code buttons, left to right: bare, centred HTML, HTML, centred BBCode, BBCode.
CODE_BUTTONS = ("swrd2", "swrhc22", "swrh22", "swrfrc22", "swrfr22")
NOTICES = ("about", "notcon", "selimg", "wronglink")
