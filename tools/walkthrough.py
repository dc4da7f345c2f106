#!/usr/bin/env python3
"""Drives patchwell-sim.exe under Wine on an X display with real input.

The program runs under Wine; its window is found with xdotool and its
controls are clicked at the positions the skin gives them. Every wait polls
the screen or the window list with a time limit. Screenshots are taken with
ImageMagick's import and read back as raw RGB for pixel checks.

As a library it serves the end-to-end test (tests/e2e). As a command it walks
through the whole workflow on the current display (DISPLAY must be set) and
leaves a screenshot of every screen, with the recorded system actions, in a
folder:

    walkthrough.py --build BUILD_TREE --out FOLDER
"""
import argparse
import http.server
import os
import pathlib
import shutil
import subprocess
import sys
import threading
import time

import walkthrough_screens as screens
from walkthrough_screens import CONTROLS, Image, WalkthroughError, centre

# Captions of the program's message boxes (a box without caption reads "Error").
MAIN_CAPTION = "Patchwell"
CLOSE_CAPTION = "Tip"
NOTHING_CHECKED_CAPTION = "Error"
VERSION_CAPTION = "New version has been released"

RESTART_LINE = "restart flags 0x12 reason 0x80020003"

# Buttons of a message box, from the left.
YES = OK = 0
NO = 1


def wait_for(what, probe, timeout, interval=0.1):
    """Polls probe() until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WalkthroughError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def windows_path(path):
    """The Wine path of a local file (drive Z: is the Unix root)."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")



# --- X display ---------------------------------------------------------------


class Xvfb:
    """A display of our own, so no other program's window sits under a click."""

    def __init__(self, first=200, last=399):
        self.process = None
        for number in range(first, last + 1):
            if os.path.exists(f"/tmp/.X{number}-lock") or \
                    os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            process = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", "1600x1200x24", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            socket = f"/tmp/.X11-unix/X{number}"
            deadline = time.monotonic() + 10
            while process.poll() is None and not os.path.exists(socket) and \
                    time.monotonic() < deadline:
                time.sleep(0.05)
            if process.poll() is None and os.path.exists(socket) and self._owns(number, process):
                self.process, self.display = process, f":{number}"
                return
            process.kill()
            process.wait()
        raise WalkthroughError("no free X display for Xvfb")

    @staticmethod
    def _owns(number, process):
        try:
            return int(pathlib.Path(f"/tmp/.X{number}-lock").read_text().strip()) == process.pid
        except (OSError, ValueError):
            return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Screen:
    """xdotool and import on one display."""

    PARK = (1599, 1199)  # where the pointer rests, away from every window

    def __init__(self, display):
        self.display = display
        self.env = dict(os.environ, DISPLAY=display)

    def _run(self, *args, check=True):
        result = subprocess.run(list(args), env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise WalkthroughError(f"{' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def windows(self, caption):
        """Ids of the visible top-level windows titled exactly `caption`."""
        out = self._run("xdotool", "search", "--onlyvisible", "--name", f"^{caption}$",
                        check=False)
        return [int(w) for w in out.split()]

    def geometry(self, window):
        values = dict(line.split("=", 1) for line in
                      self._run("xdotool", "getwindowgeometry", "--shell", str(window)).split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def click(self, x, y):
        self._run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")
        self._run("xdotool", "mousemove", "--sync", *map(str, self.PARK))

    def key(self, keys):
        """Keys, one after the other (a space between them), to whatever window
        has the keyboard focus (the last one clicked or focused)."""
        self._run("xdotool", "key", "--clearmodifiers", *keys.split())

    def focus(self, window):
        """Gives the window the keyboard, as a click on it would."""
        self._run("xdotool", "windowfocus", "--sync", str(window), check=False)

    def raise_window(self, window):
        self._run("xdotool", "windowraise", str(window), check=False)

    def grab(self, rect, size=None):
        """The pixels of rect; with size (w, h), resampled to that size."""
        x, y, w, h = rect
        raw = subprocess.run(["import", "-silent", "-window", "root", "-crop",
                              f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "ppm:-"],
                             env=self.env, check=True, capture_output=True).stdout
        if size is not None and size != (w, h):
            # Sampled, not blended: one-pixel lines keep their colour for the checks.
            raw = subprocess.run(["convert", "ppm:-", "-sample", f"{size[0]}x{size[1]}!",
                                  "-depth", "8", "ppm:-"], input=raw, check=True,
                                 capture_output=True).stdout
        return Image.from_ppm(raw)

    def save(self, rect, path):
        x, y, w, h = rect
        subprocess.run(["import", "-silent", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                        "+repage", str(path)], env=self.env, check=True, capture_output=True)
        return Image.load(path)


# --- the program -------------------------------------------------------------


def wineserver(prefix, option):
    """The prefix's server itself (not a Windows program run by wine)."""
    env = dict(os.environ, WINEPREFIX=str(prefix))
    subprocess.run(["wineserver", option], env=env, capture_output=True, timeout=60)


def set_display_dpi(wine_run, prefix, display, dpi):
    """The prefix's display DPI (Wine reads LogPixels when a program starts)."""
    env = dict(os.environ, DISPLAY=display, PATCHWELL_WINEPREFIX=str(prefix))
    subprocess.run([str(wine_run), "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=env, capture_output=True,
                   timeout=60, check=True)
    # The desktop process keeps the DPI it started with: the prefix starts
    # again (the server writes the registry out as it ends).
    wineserver(prefix, "-k")
    wineserver(prefix, "-w")


def prepare_prefix(wine_run, prefix, display):
    """A Wine prefix of our own, set up as every prefix of the project is."""
    env = dict(os.environ, DISPLAY=display)
    script = pathlib.Path(__file__).resolve().parent.parent / "scripts" / "wine-prefix.sh"
    subprocess.run([str(script), str(wine_run), str(prefix)], env=env, capture_output=True,
                   timeout=240)


def stop_prefix(prefix):
    """Ends what still runs in our own prefix (every process there was started by us)."""
    wineserver(prefix, "-k")


class MessageBox:
    def __init__(self, window, rect):
        self.window, self.rect = window, rect


class SimProgram:
    """One run of the simulated program, with its screenshots and actions log."""

    def __init__(self, screen, wine_run, exe, folder, catalogue=None, service=None,
                 prefix=None, shots=None, scale=1.0):
        self.screen, self.wine_run, self.exe = screen, str(wine_run), str(exe)
        # The display's scale: the window is 650 x 400 times it, and points
        # given in the skin's coordinates land at their scaled place.
        self.scale = scale
        self.folder = pathlib.Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.log_path = self.folder / "actions.log"
        self.env = dict(screen.env, PATCHWELL_SIM_ACTIONS_LOG=windows_path(self.log_path),
                        PATCHWELL_SIM_LOG_FOLDER=windows_path(self.folder / "log"))
        if catalogue:
            self.env["PATCHWELL_SIM_CATALOGUE"] = windows_path(catalogue)
        if service:
            self.env["PATCHWELL_SIM_SERVICE"] = service
        if prefix:
            self.env["PATCHWELL_WINEPREFIX"] = str(prefix)
        self.shots = shots if shots is not None else [0]  # shared numbering of screenshots
        self.process = None
        self.origin = None

    def start(self):
        self.output = open(self.folder / "wine-output.txt", "ab")
        self.process = subprocess.Popen([self.wine_run, self.exe], env=self.env,
                                        stdout=self.output, stderr=subprocess.STDOUT)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_window(self, timeout=30):
        def shown():
            if not self.running():
                raise WalkthroughError(
                    f"{self.exe} ended with code {self.process.returncode} before its window")
            found = self.screen.windows(MAIN_CAPTION)
            return found[0] if len(found) == 1 else None
        self.window = wait_for("the main window", shown, timeout)
        # The window is created visible and only then sized and centred: its
        # place counts once two readings a moment apart agree.
        settled = [self.screen.geometry(self.window)]

        def placed():
            time.sleep(0.15)
            settled.append(self.screen.geometry(self.window))
            return settled[-1] == settled[-2]
        wait_for("the main window to settle", placed, 10, 0)
        x, y, w, h = settled[-1]
        if (w, h) != self.scaled(650, 400):
            raise WalkthroughError(f"main window is {w} x {h}, not {self.scaled(650, 400)}")
        self.origin = (x, y)
        return self

    def scaled(self, *values):
        """Skin coordinates in the window's pixels, rounded half away from zero."""
        return tuple(int(v * self.scale + (0.5 if v >= 0 else -0.5)) for v in values)

    def rect(self):
        return (*self.origin, *self.scaled(650, 400))

    def grab(self):
        """The window, in the skin's coordinates whatever the scale."""
        return self.screen.grab(self.rect(), (650, 400))

    def click(self, x, y):
        """Clicks at a point in skin coordinates."""
        dx, dy = self.scaled(x, y)
        self.screen.click(self.origin[0] + dx, self.origin[1] + dy)

    def click_control(self, name):
        self.click(*centre(CONTROLS[name]))

    def wait_screen(self, what, test, timeout=20):
        """Polls the window until test(image) holds; returns that image."""
        def probe():
            if not self.running():
                raise WalkthroughError(f"program ended (code {self.process.returncode}) "
                                       f"while waiting for {what}")
            img = self.grab()
            return img if test(img) else None
        try:
            return wait_for(what, probe, timeout)
        except WalkthroughError as error:
            if not self.running():
                raise
            path = self.folder / f"timeout-{what.replace(' ', '-')}.png"
            self.screen.save(self.rect(), path)
            raise WalkthroughError(f"{error}; the window then: {path}") from None

    def shot(self, label, box=None):
        """Saves a screenshot of the window (and of a message box over or beside it)."""
        self.shots[0] += 1
        path = self.folder / f"{self.shots[0]:02d}-{label}.png"
        x, y, w, h = self.rect()
        if box is None:
            self.screen.save((x, y, w, h), path)
            return self.grab()
        self.screen.raise_window(box.window)
        bx, by, bw, bh = box.rect
        left, top = min(x, bx), min(y, by)
        right, bottom = max(x + w, bx + bw), max(y + h, by + bh)
        whole = self.screen.save((left, top, right - left, bottom - top), path)
        return whole.crop((x - left, y - top, w, h))

    def wait_box(self, caption, timeout=20):
        found = wait_for(f'the message box "{caption}"',
                         lambda: self.screen.windows(caption), timeout)
        return MessageBox(found[0], self.screen.geometry(found[0]))

    def answer(self, box, button):
        """Clicks a message box's button (0 = Yes or OK, 1 = No); it must close.
        A click, unlike a key, goes to the box whatever window is active."""
        def closed():
            return box.window not in self.screen.windows(".*")
        for _ in range(3):
            self.screen.raise_window(box.window)
            buttons = screens.box_buttons(self.screen.grab(box.rect))
            if len(buttons) <= button:
                raise WalkthroughError(f"the message box shows {len(buttons)} buttons")
            x, y = buttons[button]
            self.screen.click(box.rect[0] + x, box.rect[1] + y)
            try:
                return wait_for("the message box to close", closed, 3)
            except WalkthroughError:
                if closed():
                    return True
        raise WalkthroughError("the message box did not close on a click of its button")

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise WalkthroughError(f"program still running {timeout:g} s after it should end")

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        if getattr(self, "output", None):
            self.output.close()

    def log(self):
        try:
            return self.log_path.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []

    def run_log(self):
        """The program's own log, without the time at the start of each line."""
        try:
            text = (self.folder / "log" / "patchwell.log").read_text(encoding="utf-8")
        except FileNotFoundError:
            return []
        return [line.split(" ", 2)[2] for line in text.splitlines() if line.count(" ") >= 2]

    def wait_log(self, line, timeout=10):
        return wait_for(f'the log line "{line}"', lambda: line in self.log(), timeout)


class VersionService:
    """The maker's web service on 127.0.0.1: every request gets `body` (set it
    before the program asks) with its Content-Length."""

    def __init__(self, body=""):
        self.body, self.requests = body, []
        service = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                data = service.body.encode("latin-1")
                service.requests.append((self.path, self.headers.get("User-Agent")))
                self.send_response(200)
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.address = f"http://127.0.0.1:{self.server.server_port}"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


# --- the walk of scripts/run.sh ----------------------------------------------

FAILING_CATALOGUE = """\
search_ms = 2500
pace_ms = 150
steps_per_update = 4
[update]
title = Cumulative Update for Windows 10 Version 1809 for x64-based Systems (KB4534273)
kb = 4534273
auto_select = true
description = The installation of this update fails, so the result screen offers to retry.
id = 9a1e3f2c-5b6d-4e7f-8a9b-0c1d2e3f4a5b
size = 209715200
date = 2020-01-14
install = 4 0x80070643
"""


def say(text):
    print(f"walkthrough: {text}", flush=True)


def walk_success(screen, wine_run, exe, folder, shots):
    """The default catalogue and a new version on offer: the prompt, scan,
    list, checks, an empty Fix, Fix, progress, Finish."""
    service = VersionService()
    page = service.body = f"{service.address}/download/patchwell-setup.exe"
    app = SimProgram(screen, wine_run, exe, folder, service=service.address, shots=shots).start()
    try:
        app.wait_window()
        box = app.wait_box(VERSION_CAPTION)
        app.shot("message-new-version", box)
        app.answer(box, YES)
        app.wait_log(f"open {page} via desktop shell")
        say("new-version prompt answered Yes: the page's opening recorded")
        app.wait_screen("the welcome screen", screens.is_welcome)
        app.shot("welcome")
        say("welcome screen")
        app.click_control("Btn_Scan")
        app.wait_screen("the scanning screen", screens.is_scanning, 10)
        app.shot("scanning")
        say("scanning")
        img = app.wait_screen("the list", screens.is_list, 30)
        app.shot("list")
        say("list of updates")
        rows = screens.Rows(img)
        app.click(*rows.title_point(1))
        app.wait_screen("row 1 selected", lambda i: screens.Rows(i).top == rows.top + rows.height)
        app.click(*rows.check_point(1))
        app.wait_screen("row 1 checked", lambda i: rows.checked(i, 1))
        app.shot("list-row-1-checked")
        app.click_control("Check_All")
        app.wait_screen("every row checked",
                        lambda i: screens.check_all_selected(i) and rows.checked(i, 2))
        app.shot("list-all-checked")
        app.click_control("Check_All")
        app.wait_screen("every row cleared",
                        lambda i: not screens.check_all_selected(i) and not rows.checked(i, 0))
        app.shot("list-all-cleared")
        say("list after toggling checks")
        app.click_control("Btn_Scan")
        box = app.wait_box(NOTHING_CHECKED_CAPTION)
        app.shot("message-nothing-checked", box)
        app.answer(box, OK)
        say('message "Please select at least one item!"')
        app.click(*rows.check_point(0))
        app.click(*rows.check_point(1))
        app.wait_screen("rows 0 and 1 checked",
                        lambda i: rows.checked(i, 0) and rows.checked(i, 1))
        app.click_control("Btn_Scan")
        app.wait_screen("download progress", lambda i: screens.progress_phase(i) == "download")
        app.shot("progress-download")
        app.wait_screen("install progress", lambda i: screens.progress_phase(i) == "install", 30)
        app.shot("progress-install")
        say("download and install progress")
        app.wait_screen("the success screen", screens.is_success, 30)
        app.shot("success")
        say("success screen")
        app.click_control("Btn_Close")
        code = app.wait_exit()
        app.wait_log(RESTART_LINE)
        say(f"Finish: restart recorded, not performed; exit code {code}")
    finally:
        app.kill()
        service.stop()


def walk_failure(screen, wine_run, exe, folder, shots):
    """A failing installation: failure screen, Retry, the close question, the list again."""
    catalogue = pathlib.Path(folder) / "failing-catalogue.txt"
    catalogue.write_text(FAILING_CATALOGUE)
    app = SimProgram(screen, wine_run, exe, folder, catalogue=catalogue, shots=shots).start()
    try:
        app.wait_window()
        app.wait_screen("the welcome screen", screens.is_welcome)
        app.click_control("Btn_Scan")
        app.wait_screen("the list", screens.is_list, 30)
        app.click_control("Btn_Scan")
        app.wait_screen("the failure screen", screens.is_failure, 30)
        app.shot("failure")
        say("failure screen")
        app.click_control("Btn_Scan")
        app.wait_screen("the scanning screen after Retry", screens.is_scanning, 10)
        app.shot("retry-scanning")
        app.click_control("Btn_Close")
        box = app.wait_box(CLOSE_CAPTION)
        app.shot("message-close-while-scanning", box)
        app.answer(box, NO)
        say('Retry, and "Fix tool is running, are you sure to close?" answered No')
        app.wait_screen("the list after Retry", screens.is_list, 30)
        app.shot("retry-list")
        app.click_control("Btn_Close")
        app.wait_exit()
        say("list again after Retry; closed")
    finally:
        app.kill()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="build tree holding wine-run.sh")
    parser.add_argument("--out", required=True, help="folder for screenshots and logs")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("walkthrough: DISPLAY is not set")
    build = pathlib.Path(args.build).resolve()
    wine_run, exe = build / "wine-run.sh", build / "app" / "patchwell-sim.exe"
    out = pathlib.Path(args.out).resolve()
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    screen, shots = Screen(os.environ["DISPLAY"]), [0]
    try:
        walk_success(screen, wine_run, exe, out, shots)
        walk_failure(screen, wine_run, exe, out, shots)
    except WalkthroughError as error:
        sys.exit(f"walkthrough failed: {error} (screenshots so far in {out})")
    say(f"every screen is in {out}")


if __name__ == "__main__":
    main()
