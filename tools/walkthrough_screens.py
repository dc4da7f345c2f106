"""What the screens of patchwell-sim.exe look like, read from screenshots.

Control positions come from the skin itself; the tests on an image (window
coordinates, 650 x 400) tell the screens apart by a few pixels each: shown
or hidden buttons, the progress bar's outline, the list header, the result
icon's colour, the lines of the message text.
"""
import pathlib
import subprocess
import xml.etree.ElementTree as ET

REPO = pathlib.Path(__file__).resolve().parent.parent
SKIN = REPO / "resources" / "skin" / "MainSkin.xml"


class WalkthroughError(Exception):
    """A screen, window or exit did not come as expected."""


# --- the skin's geometry -----------------------------------------------------


def skin_controls(path=SKIN):
    """Name -> (x, y, width, height) in window coordinates, from the skin."""
    controls = {}

    def walk(element, left, top):
        for child in element:
            x, y = left, top
            pos = child.get("pos")
            if pos:
                dx, dy = (int(v) for v in pos.split(",")[:2])
                x, y = left + dx, top + dy
                name = child.get("name")
                if name:
                    controls[name] = (x, y, int(child.get("width", 0)), int(child.get("height", 0)))
            walk(child, x, y)

    walk(ET.parse(path).getroot(), 0, 0)
    return controls


CONTROLS = skin_controls()


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


# --- pixels ------------------------------------------------------------------


def dark(p):
    return max(p) < 110


def grey_text(p):
    return max(p) < 200 and max(p) - min(p) < 40


def blue(p):
    return p[2] > 150 and p[2] - p[0] > 60 and p[2] - p[1] > 40


def near(colour, tolerance=12):
    return lambda p: all(abs(a - b) <= tolerance for a, b in zip(p, colour))


def green(p):
    return p[1] > 140 and p[1] - p[0] > 60 and p[1] - p[2] > 20


def red(p):
    return p[0] > 180 and p[0] - p[1] > 80 and p[0] - p[2] > 80


def magenta(p):
    return p[0] > 200 and p[2] > 200 and p[1] < 90


def tinted(p):
    return min(p) < 252


def selected_row(p):
    return abs(p[0] - 0xC1) < 8 and abs(p[1] - 0xE3) < 8 and p[2] > 245


class Image:
    """RGB pixels of a screenshot."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @staticmethod
    def from_ppm(raw):
        fields, at = [], 0
        while len(fields) < 4:
            while raw[at:at + 1].isspace():
                at += 1
            start = at
            while not raw[at:at + 1].isspace():
                at += 1
            fields.append(raw[start:at])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise WalkthroughError("screenshot is not an 8-bit PPM")
        width, height = int(fields[1]), int(fields[2])
        return Image(width, height, raw[at + 1:at + 1 + 3 * width * height])

    @staticmethod
    def load(png):
        raw = subprocess.run(["convert", str(png), "-depth", "8", "ppm:-"], check=True,
                             capture_output=True).stdout
        return Image.from_ppm(raw)

    def crop(self, rect):
        x, y, w, h = rect
        rows = [self.data[3 * ((y + j) * self.width + x):3 * ((y + j) * self.width + x + w)]
                for j in range(h)]
        return Image(w, h, b"".join(rows))

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.data[at:at + 3])

    def pixels(self, rect):
        x, y, w, h = rect
        for j in range(max(0, y), min(self.height, y + h)):
            row = 3 * j * self.width
            for i in range(max(0, x), min(self.width, x + w)):
                at = row + 3 * i
                yield self.data[at:at + 3]

    def count(self, rect, test):
        return sum(1 for p in self.pixels(rect) if test(p))

    def fraction(self, rect, test):
        _, _, w, h = rect
        return self.count(rect, test) / max(1, w * h)

    def differs(self, other, rect, tolerance=40):
        """Fraction of the pixels in rect that differ clearly between two images."""
        changed = sum(1 for a, b in zip(self.pixels(rect), other.pixels(rect))
                      if max(abs(a[0] - b[0]), abs(a[1] - b[1]), abs(a[2] - b[2])) > tolerance)
        _, _, w, h = rect
        return changed / max(1, w * h)

    def bands(self, rect, test):
        """Runs of rows (top, bottom) in rect that hold a pixel passing test."""
        x, y, w, h = rect
        runs, start = [], None
        for j in range(y, y + h):
            hit = any(test(p) for p in self.pixels((x, j, w, 1)))
            if hit and start is None:
                start = j
            elif not hit and start is not None:
                runs.append((start, j - 1))
                start = None
        if start is not None:
            runs.append((start, y + h - 1))
        return runs

    def span(self, rect, test):
        """(left, right) of the columns in rect that hold a pixel passing test."""
        x, y, w, h = rect
        columns = [i for i in range(x, x + w) if any(test(p) for p in self.pixels((i, y, 1, h)))]
        return (columns[0], columns[-1]) if columns else None


# --- what the screens look like (window coordinates) -------------------------


def button_shown(img, name):
    """A skin button shows its text; where it is hidden the background is plain."""
    return img.count(CONTROLS[name], dark) > 15


def pictures_shown(img):
    return img.fraction(CONTROLS["Control_PIC1"], blue) > 0.15


BAR_EDGE = near((0xCF, 0xD8, 0xE2))  # the outline along the bar's top


def bar_shown(img):
    """Read at the skin's size from a scaled window, the outline may land on
    the next row."""
    x, y, w, _ = CONTROLS["Progress_Action"]
    return any(img.fraction((x + 10, row, w - 20, 1), BAR_EDGE) > 0.9 for row in (y + 1, y + 2))


def bar_text(img):
    """The percentage in the bar's centre (the scan animation has no text)."""
    x, y, w, h = CONTROLS["Progress_Action"]
    return img.count((x + w // 2 - 40, y + 2, 80, h - 4), dark) > 10


def bar_fill(img):
    """Fraction of the bar filled with the progress colour."""
    x, y, w, h = CONTROLS["Progress_Action"]
    return img.fraction((x + 4, y + 5, w - 8, 1), blue)


def list_shown(img):
    """The header's titles ("Title", "Date", "Size")."""
    x, y, w, _ = CONTROLS["List_Holes"]
    return img.count((x + 30, y, w - 30, 25), dark) > 30


def bottom_shown(img):
    """Control_Bottom, the tinted background of the message area."""
    return img.fraction((535, 225, 20, 100), tinted) > 0.9


def icon_kind(img):
    rect = CONTROLS["Control_Icon"]
    if img.fraction(rect, green) > 0.3:
        return "success"
    if img.fraction(rect, red) > 0.3:
        return "failure"
    return None


def restart_options_shown(img):
    return img.count(CONTROLS["Option_RestartNow"], dark) > 15 and \
        img.count(CONTROLS["Option_RestartLater"], dark) > 15


def message_lines(img):
    """Text lines of Text_Msg, as (top, bottom) rows."""
    x, y, w, h = CONTROLS["Text_Msg"]
    return img.bands((x + 2, y, w - 4, h), grey_text)


def check_all_selected(img):
    return img.fraction(CONTROLS["Check_All"], blue) > 0.35


def is_welcome(img):
    return pictures_shown(img) and button_shown(img, "Btn_Scan") and not bar_shown(img)


def is_scanning(img):
    return bar_shown(img) and not bar_text(img) and not button_shown(img, "Btn_Scan") \
        and not pictures_shown(img) and not list_shown(img)


def is_list(img):
    return list_shown(img) and button_shown(img, "Btn_Scan") and not bar_shown(img)


def progress_phase(img):
    """'download' or 'install' on the progress screen, else None."""
    if not bar_shown(img) or not bar_text(img) or list_shown(img) or \
            button_shown(img, "Btn_Scan"):
        return None
    # Downloading: status, percent, bytes and title, a blank line between
    # each; installing: status and title. A long title wraps.
    lines = message_lines(img)
    if len(lines) >= 4 and all(b[0] - a[0] > 20 for a, b in zip(lines[:3], lines[1:4])):
        return "download"
    if len(lines) in (2, 3) and lines[1][0] - lines[0][0] > 20:
        return "install"
    return None


def is_success(img):
    return icon_kind(img) == "success" and restart_options_shown(img) and \
        not button_shown(img, "Btn_Scan") and not bar_shown(img) and not bottom_shown(img)


def is_failure(img):
    """The failure screen keeps its message area: what failed and why."""
    return icon_kind(img) == "failure" and button_shown(img, "Btn_Scan") and \
        not restart_options_shown(img) and not bar_shown(img) and bottom_shown(img) and \
        len(message_lines(img)) >= 2


class Rows:
    """Geometry of the list rows, measured from the highlighted row 0."""

    def __init__(self, img):
        x, y, w, h = CONTROLS["List_Holes"]
        band = (x + 1, y + 26, w - 20, h - 26)
        highlighted = [r for r in img.bands(band, selected_row)
                       if img.fraction((x + 1, r[0], w - 20, 1), selected_row) > 0.3]
        if not highlighted:
            raise WalkthroughError("no highlighted row in the list")
        top, bottom = highlighted[0]
        self.left, self.top, self.height = x + 1, top, bottom - top + 1

    def row(self, i):
        return (self.left, self.top + i * self.height, CONTROLS["List_Holes"][2] - 2, self.height)

    def check_cell(self, i):
        """Inside of the check image of row i (the image is 13 pixels square)."""
        _, top, _, h = self.row(i)
        return (self.left + 6, top + h // 2 - 4, 10, 8)

    def check_point(self, i):
        _, top, _, h = self.row(i)
        return self.left + 10, top + h // 2

    def title_point(self, i):
        _, top, _, h = self.row(i)
        return self.left + 120, top + h // 2

    def checked(self, img, i):
        share = img.fraction(self.check_cell(i), blue)
        if share > 0.35:
            return True
        if share < 0.1:
            return False
        raise WalkthroughError(f"row {i}: check cell neither checked nor clear ({share:.2f})")

    def title_span(self, img, i):
        """(left, right) of the ink in row i's title column."""
        _, top, _, h = self.row(i)
        return img.span((self.left + 26, top + 2, 350, h - 4), dark)


def white(p):
    return p[0] == 255 and p[1] == 255 and p[2] == 255


def box_buttons(img):
    """Centres of a message box's push buttons, left to right (image
    coordinates). Their faces are white on the grey dialog."""
    best, row = [], 0
    for y in range(img.height // 2, img.height):
        runs, start = [], None
        for x in range(img.width + 1):
            inside = x < img.width and white(img.pixel(x, y))
            if inside and start is None:
                start = x
            elif not inside and start is not None:
                if x - start >= 30:
                    runs.append((start, x - 1))
                start = None
        if len(runs) > len(best):
            best, row = runs, y
    buttons = []
    for left, right in best:
        def face(y):
            return img.fraction((left, y, right - left + 1, 1), white) > 0.3
        top, bottom = row, row
        while top > 0 and face(top - 1):
            top -= 1
        while bottom < img.height - 1 and face(bottom + 1):
            bottom += 1
        buttons.append(((left + right) // 2, (top + bottom) // 2))
    return buttons
