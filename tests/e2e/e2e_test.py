#!/usr/bin/env python3
"""End to end: patchwell-sim.exe under Wine, on an Xvfb display and in a Wine
prefix of its own (test programs running in parallel have windows of their
own), driven with real clicks and keys. Each scenario keeps a screenshot of
every screen it reaches, and the recorded system actions, in
ARTEFACTS/<scenario>/.

    e2e_test.py --build BUILD_TREE --prefix WINE_PREFIX --artefacts FOLDER
"""
import argparse
import pathlib
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
import walkthrough as wt  # noqa: E402
import walkthrough_screens as screens  # noqa: E402

C = screens.CONTROLS
WINDOW = (0, 0, 650, 400)
CLOSE_QUESTION = 'message "Tip" "Fix tool is running, are you sure to close?" answer'
NEW_VERSION = ('message "New version has been released" '
               '"New version of Patchwell is available. It\'s free, download now?" answer')

# Rows are shown checked first, in reverse order of the agent's report: the
# titles' lengths tell the rows apart (short, medium, long).
MAIN_CATALOGUE = """\
search_ms = 2500
pace_ms = 200
steps_per_update = 4
[update]
title = Security Update (KB5000001)
kb = 5000001
auto_select = true
description = First.
id = 11111111-0000-0000-0000-000000000001
size = 1048576
date = 2020-01-14
[update]
title = Servicing Stack Update for Windows 10 Version 1809 (KB5000002)
kb = 5000002
description = A longer description of the second update, long enough to wrap onto more lines of the message area below the list than the others.
id = 11111111-0000-0000-0000-000000000002
size = 2048
date = 2020-02-11
[update]
title = Update (KB5000003)
kb = 5000003
auto_select = true
description = Third.
id = 11111111-0000-0000-0000-000000000003
size = 0
date = 2020-03-10
"""

# Two updates fail, for two reasons; the one in the middle is not the last to
# install.
FAILING_CATALOGUE = """\
search_ms = 2000
pace_ms = 100
steps_per_update = 3
[update]
title = Update A (KB6000001)
auto_select = true
id = a
size = 5242880
date = 2021-04-13
[update]
title = Update B (KB6000002)
auto_select = true
description = This one fails to install.
id = b
size = 7340032
date = 2021-05-11
install = 4 0x80070643
[update]
title = Update C (KB6000003)
auto_select = true
id = c
size = 3145728
date = 2021-06-08
install = 4 0x80070070
"""

# A title full of markup characters, checked so that it comes first, and
# one far too long for its column.
MARKUP_CATALOGUE = """\
search_ms = 300
[update]
title = Fix <i C:\\x.png> {b}x <<every>> {{bracket}} <b>kept</b>
auto_select = true
description = A title with markup in it.
id = m
[update]
title = 2024-06 Cumulative Update for Windows 10 Version 22H2 for x64-based Systems with a name far too long for its column (KB5039211)
description = A long title.
id = long
date = 2024-06-11
"""


# Slow enough to act on each phase of a job.
SLOW_JOB_CATALOGUE = """\
search_ms = 300
pace_ms = 400
steps_per_update = 6
[update]
title = Security Update (KB8000001)
auto_select = true
id = s
size = 1048576
date = 2022-01-11
"""

SHUTDOWN_BLOCKED = "shutdown blocked: Patchwell is installing updates."
SHUTDOWN_ALLOWED = "shutdown allowed"


def split_log(lines):
    """The program's own lines, and the agent's job calls (written from its
    thread, so their order against the program's is not fixed)."""
    agent = [line for line in lines if line.startswith("agent ")]
    return [line for line in lines if not line.startswith("agent ")], agent


def focus_ring(img, rect):
    """Share of the top edge of a focus ring (2 pixels in) in black or white."""
    x, y, w, h = rect
    edge = [img.pixel(px, y + 2) for px in range(x + 3, x + w - 3)]
    return sum(1 for p in edge if sum(p) < 90 or sum(p) > 740) / max(1, len(edge))


def white_dots(img, rect):
    """Pure white pixels in the top band of a rectangle: a dotted ring's."""
    x, y, w, _ = rect
    return img.count((x, y, w, 4), lambda p: sum(p) > 750)


def catalogue(search_ms):
    return f"search_ms = {search_ms}\n[update]\ntitle = Only update (KB7000001)\nid = o\n"


class EndToEnd(unittest.TestCase):
    build = prefix = artefacts = None

    @classmethod
    def setUpClass(cls):
        cls.wine_run = cls.build / "wine-run.sh"
        cls.exe = cls.build / "app" / "patchwell-sim.exe"
        cls.no_markup_exe = cls.build / "tests" / "e2e" / "patchwell-sim-no-markup.exe"
        shutil.rmtree(cls.artefacts, ignore_errors=True)
        cls.xvfb = wt.Xvfb()
        cls.addClassCleanup(cls.xvfb.stop)
        cls.screen = wt.Screen(cls.xvfb.display)
        started = time.monotonic()
        cls.addClassCleanup(wt.stop_prefix, cls.prefix)
        wt.prepare_prefix(cls.wine_run, cls.prefix, cls.xvfb.display)
        print(f"\ne2e: display {cls.xvfb.display}, prefix ready in "
              f"{time.monotonic() - started:.1f} s", flush=True)

    def setUp(self):
        self.programs, self.services = [], []
        self.started = time.monotonic()
        self.folder = self.artefacts / self._testMethodName.removeprefix("test_")

    def tearDown(self):
        for program in self.programs:
            program.kill()
        for service in self.services:
            service.stop()
        print(f" ({time.monotonic() - self.started:.1f} s) ", end="", flush=True)

    # --- helpers ---

    def start(self, catalogue_text=None, service=None, exe=None, folder=None, shots=None,
              scale=1.0):
        folder = folder or self.folder
        folder.mkdir(parents=True, exist_ok=True)
        path = None
        if catalogue_text is not None:
            path = folder / "catalogue.txt"
            path.write_text(catalogue_text)
        program = wt.SimProgram(self.screen, self.wine_run, exe or self.exe, folder,
                                catalogue=path, service=service, prefix=self.prefix,
                                shots=shots, scale=scale)
        self.programs.append(program)
        return program.start()

    def service(self, body=""):
        service = wt.VersionService(body)
        self.services.append(service)
        return service

    def scan_to_list(self, app):
        app.wait_window().wait_screen("the welcome screen", screens.is_welcome)
        app.click_control("Btn_Scan")
        return app.wait_screen("the list", screens.is_list, 30)

    def close_at_once(self, app):
        """Btn_Close on a screen that closes without asking."""
        app.click_control("Btn_Close")
        self.assertEqual(1, app.wait_exit())

    def assertChecks(self, rows, img, expected):
        self.assertEqual(expected, [rows.checked(img, i) for i in range(len(expected))])

    def assertNoWindowWhile(self, program, others=(), timeout=30):
        """Polls until the program ends; no window but the others' may show."""
        def ended():
            self.assertEqual(list(others), self.screen.windows(wt.MAIN_CAPTION),
                             "a window showed")
            return not program.running()
        wt.wait_for("the program to end", ended, timeout, 0.05)
        return program.process.returncode

    def assertRunLog(self, app, expected):
        """Each expected line starts a line of the program's log, in order."""
        lines = app.run_log()
        at = 0
        for start in expected:
            while at < len(lines) and not lines[at].startswith(start):
                at += 1
            self.assertLess(at, len(lines), f'"{start}" not in order in the log:\n' +
                            "\n".join(lines))
            at += 1

    def assertNoPromptFor(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertEqual([], self.screen.windows(wt.VERSION_CAPTION), "a prompt showed")
            time.sleep(0.1)

    # --- scenarios ---

    def test_scan_check_fix_progress_success_and_finish_restarts(self):
        app = self.start(MAIN_CATALOGUE).wait_window()
        welcome = app.wait_screen("the welcome screen", screens.is_welcome)
        app.shot("welcome")
        self.assertGreaterEqual(len(screens.message_lines(welcome)), 2, "the welcome text")

        app.click_control("Btn_Scan")
        first = app.wait_screen("the scanning screen", screens.is_scanning, 10)
        bar = C["Progress_Action"]
        app.wait_screen("the scan animation to move",
                        lambda i: screens.is_scanning(i) and i.differs(first, bar) > 0.01, 5)
        app.shot("scanning")

        img = app.wait_screen("the list", screens.is_list, 30)
        app.shot("list")
        rows = screens.Rows(img)
        self.assertChecks(rows, img, [True, True, False])
        widths = [r - l for l, r in (rows.title_span(img, i) for i in range(3))]
        self.assertTrue(widths[0] + 40 < widths[1] < widths[2] - 40,
                        f"rows not in the order 3, 1, 2 (title widths {widths})")
        self.assertEqual(3, len(screens.message_lines(img)), "row 0's title, date and description")
        self.assertGreater(img.differs(welcome, C["Btn_Scan"]), 0.03, "Btn_Scan still reads Scan")
        self.assertFalse(screens.check_all_selected(img))

        app.click(*rows.title_point(2))
        img = app.wait_screen("row 2 selected", lambda i: screens.Rows(i).top == rows.row(2)[1])
        app.shot("list-row-2-selected")
        self.assertChecks(rows, img, [True, True, False])
        self.assertGreater(len(screens.message_lines(img)), 3, "row 2's longer description")

        app.click(*rows.check_point(2))
        img = app.wait_screen("row 2 checked", lambda i: rows.checked(i, 2))
        app.shot("list-row-2-checked")
        self.assertTrue(screens.check_all_selected(img), "every row checked selects Check_All")
        app.click(*rows.check_point(2))
        img = app.wait_screen("row 2 cleared", lambda i: not rows.checked(i, 2))
        self.assertFalse(screens.check_all_selected(img))
        self.assertChecks(rows, img, [True, True, False])

        app.click_control("Check_All")
        img = app.wait_screen("every row checked", lambda i: rows.checked(i, 2))
        app.shot("list-all-checked")
        self.assertChecks(rows, img, [True, True, True])
        app.click_control("Check_All")
        cleared = app.wait_screen("every row cleared", lambda i: not rows.checked(i, 0))
        app.shot("list-all-cleared")
        self.assertChecks(rows, cleared, [False, False, False])

        app.click_control("Btn_Scan")
        box = app.wait_box(wt.NOTHING_CHECKED_CAPTION)
        app.shot("message-nothing-checked", box)
        app.answer(box, wt.OK)
        app.wait_log('message "" "Please select at least one item!" answer 1')
        app.wait_screen("the list unchanged", lambda i: i.differs(cleared, WINDOW) < 0.001, 5)

        app.click_control("Check_All")
        app.wait_screen("every row checked", lambda i: rows.checked(i, 0) and rows.checked(i, 2))
        app.click_control("Btn_Scan")
        img = app.wait_screen("download progress", lambda i: screens.progress_phase(i) == "download")
        app.shot("progress-download")
        self.assertTrue(screens.button_shown(img, "Btn_Close"))
        img = app.wait_screen("install progress", lambda i: screens.progress_phase(i) == "install", 30)
        app.shot("progress-install")
        self.assertLess(screens.bar_fill(img), 0.99)

        img = app.wait_screen("the success screen", screens.is_success, 30)
        app.shot("success")
        self.assertGreater(img.differs(welcome, C["Btn_Close"]), 0.03, "Btn_Close reads Finish")

        app.click_control("Btn_Close")
        self.assertEqual(1, app.wait_exit())
        self.assertEqual((['message "" "Please select at least one item!" answer 1',
                           SHUTDOWN_BLOCKED, SHUTDOWN_ALLOWED, wt.RESTART_LINE],
                          ["agent CleanUp download", "agent CleanUp installation"]),
                         split_log(app.log()))
        self.assertRunLog(app, [
            "start: Patchwell 1.0.1 on Windows ",
            "update agent 7.6.7601.24436",
            "agent refresh: the catalogue http://127.0.0.1:1/redist/wuredist.cab could not be "
            "downloaded",
            "scan: 3 updates missing, 3 listed",
            "install: 3 updates chosen",
            'download "Security Update (KB5000001)": succeeded, 0x00000000',
            'install "Update (KB5000003)": succeeded, 0x00000000',
            "result: success",
            "restart: now",
            "exit: 1"])

    def test_the_whole_workflow_with_the_keyboard_alone(self):
        app = self.start(MAIN_CATALOGUE).wait_window()
        welcome = app.wait_screen("the welcome screen", screens.is_welcome)
        self.assertLess(focus_ring(welcome, C["Btn_Scan"]), 0.5, "a ring before any key")
        self.screen.focus(app.window)
        # Reading order: minimise, close, then the bottom line from the left.
        for _ in range(3):
            self.screen.key("Tab")
        img = app.wait_screen("the focus on Scan", lambda i: focus_ring(i, C["Btn_Scan"]) > 0.8)
        app.shot("keyboard-welcome-focus-scan")
        self.assertLess(focus_ring(img, C["Btn_Close"]), 0.5)

        self.screen.key("space")
        app.wait_screen("the scanning screen", screens.is_scanning, 10)
        img = app.wait_screen("the list", screens.is_list, 30)
        rows = screens.Rows(img)
        img = app.wait_screen("the focus on row 0", lambda i: white_dots(i, rows.row(0)) > 60)
        app.shot("keyboard-list-focus-row-0")
        self.assertChecks(rows, img, [True, True, False])

        self.screen.key("Down Down space")
        img = app.wait_screen("row 2 checked", lambda i: rows.checked(i, 2))
        app.shot("keyboard-list-row-2-checked")
        self.assertGreater(white_dots(img, rows.row(2)), 60, "the ring follows the selection")
        self.assertTrue(screens.check_all_selected(img), "every row checked selects Check_All")

        # Back to Check_All, which clears every row with Space and checks them again.
        self.screen.key("shift+Tab")
        img = app.wait_screen("the focus on Check_All",
                              lambda i: focus_ring(i, C["Check_All"]) > 0.3)
        app.shot("keyboard-list-focus-check-all")
        self.screen.key("space")
        app.wait_screen("every row cleared", lambda i: not rows.checked(i, 0))
        self.screen.key("space")
        app.wait_screen("every row checked", lambda i: rows.checked(i, 1) and rows.checked(i, 2))

        self.screen.key("Tab Tab")
        img = app.wait_screen("the focus on Fix", lambda i: focus_ring(i, C["Btn_Scan"]) > 0.8)
        app.shot("keyboard-list-focus-fix")
        self.screen.key("Return")
        app.wait_screen("download progress", lambda i: screens.progress_phase(i) == "download")
        app.shot("keyboard-progress")
        img = app.wait_screen("the success screen", screens.is_success, 30)

        # The restart choice: Tab reaches the group at its selected option,
        # the arrows move over to "Later", then on to Finish.
        self.screen.key("Tab Tab Tab")
        now, later = C["Option_RestartNow"], C["Option_RestartLater"]
        app.wait_screen("the focus on Restart PC Now", lambda i: focus_ring(i, now) > 0.3)
        self.screen.key("Left")
        img = app.wait_screen("the focus on Restart PC Later",
                              lambda i: focus_ring(i, later) > 0.3)
        app.shot("keyboard-success-focus-restart-later")
        self.screen.key("Right")
        app.wait_screen("the focus back on Restart PC Now", lambda i: focus_ring(i, now) > 0.3)
        self.screen.key("Left")
        app.wait_screen("the focus back on Restart PC Later", lambda i: focus_ring(i, later) > 0.3)
        self.screen.key("Tab Tab")
        img = app.wait_screen("the focus on Finish", lambda i: focus_ring(i, C["Btn_Close"]) > 0.8)
        app.shot("keyboard-success-focus-finish")
        self.screen.key("space")
        self.assertEqual(1, app.wait_exit())
        self.assertEqual(([SHUTDOWN_BLOCKED, SHUTDOWN_ALLOWED],
                          ["agent CleanUp download", "agent CleanUp installation"]),
                         split_log(app.log()))
        self.assertRunLog(app, ["install: 3 updates chosen", "result: success",
                                "restart: later", "exit: 1"])

    def test_escape_closes_by_the_close_rule(self):
        app = self.start(catalogue(3000)).wait_window()
        app.wait_screen("the welcome screen", screens.is_welcome)
        self.screen.focus(app.window)
        self.screen.key("Tab Tab Tab space")
        app.wait_screen("the scanning screen", screens.is_scanning, 10)
        self.screen.key("Escape")
        box = app.wait_box(wt.CLOSE_CAPTION)
        app.shot("message-escape-while-scanning", box)
        app.answer(box, wt.NO)
        app.wait_log(f"{CLOSE_QUESTION} 7")
        app.wait_screen("the list after No", screens.is_list, 30)
        self.screen.focus(app.window)
        self.screen.key("Escape")
        self.assertEqual(1, app.wait_exit())
        self.assertEqual([f"{CLOSE_QUESTION} 7"], app.log())

    def test_failed_installation_offers_retry_and_scans_again(self):
        app = self.start(FAILING_CATALOGUE)
        listed = self.scan_to_list(app)
        app.click_control("Btn_Scan")
        img = app.wait_screen("the failure screen", screens.is_failure, 30)
        app.shot("failure")
        # Each failed update: its title, and how and why it failed; then the log.
        self.assertEqual(5, len(screens.message_lines(img)), "two updates of two lines and the log")
        self.assertRunLog(app, [
            'install "Update B (KB6000002)": failed, 0x80070643 (The update\'s installer '
            'reported an error.)',
            'install "Update C (KB6000003)": failed, 0x80070070 (There is not enough free '
            'disk space.)',
            "result: failure"])
        self.assertGreater(img.differs(listed, C["Btn_Scan"]), 0.03, "Btn_Scan reads Retry")
        self.assertGreater(img.count(C["Text_Result1"], lambda p: p[0] > 150 and p[2] < 60), 50,
                           "the failure headline in its colour")

        app.click_control("Btn_Scan")
        app.wait_screen("the scanning screen after Retry", screens.is_scanning, 10)
        app.shot("retry-scanning")
        img = app.wait_screen("the list after Retry", screens.is_list, 30)
        app.shot("retry-list")
        # Only the updates that failed are still missing.
        rows = screens.Rows(img)
        self.assertTrue(rows.checked(img, 0))
        self.assertIsNotNone(rows.title_span(img, 1))
        self.assertIsNone(rows.title_span(img, 2))
        self.close_at_once(app)
        self.assertEqual(([SHUTDOWN_BLOCKED, SHUTDOWN_ALLOWED],
                          ["agent CleanUp download", "agent CleanUp installation"]),
                         split_log(app.log()))

    def test_closing_during_scan_asks_and_no_keeps_scanning(self):
        app = self.start(catalogue(4000)).wait_window()
        app.wait_screen("the welcome screen", screens.is_welcome)
        app.click_control("Btn_Scan")
        app.wait_screen("the scanning screen", screens.is_scanning, 10)
        app.click_control("BtnClose")
        box = app.wait_box(wt.CLOSE_CAPTION)
        app.shot("message-close-while-scanning", box)
        app.answer(box, wt.NO)
        app.wait_log(f"{CLOSE_QUESTION} 7")
        app.wait_screen("the list after No", screens.is_list, 30)
        app.shot("list-after-no")
        self.close_at_once(app)

    def test_closing_during_scan_with_yes_ends_while_the_scan_still_runs(self):
        app = self.start(catalogue(60000)).wait_window()
        app.wait_screen("the welcome screen", screens.is_welcome)
        app.click_control("Btn_Scan")
        app.wait_screen("the scanning screen", screens.is_scanning, 10)
        app.click_control("Btn_Close")
        box = app.wait_box(wt.CLOSE_CAPTION)
        asked = time.monotonic()
        app.answer(box, wt.YES)
        # The search still has about a minute to go; a crash would end with
        # another code.
        self.assertEqual(1, app.wait_exit(20))
        self.assertLess(time.monotonic() - asked, 30)
        self.assertEqual([f"{CLOSE_QUESTION} 6"], app.log())

    def test_closing_during_the_jobs_asks_by_every_route_and_yes_aborts(self):
        app = self.start(SLOW_JOB_CATALOGUE)
        self.scan_to_list(app)
        app.click_control("Btn_Scan")
        app.wait_screen("download progress", lambda i: screens.progress_phase(i) == "download")
        self.screen.key("alt+F4")
        box = app.wait_box(wt.CLOSE_CAPTION)
        app.shot("message-alt-f4-while-downloading", box)
        app.answer(box, wt.NO)
        app.wait_log(f"{CLOSE_QUESTION} 7")
        app.wait_screen("install progress", lambda i: screens.progress_phase(i) == "install", 30)
        app.shot("install-after-no")

        app.click_control("BtnClose")
        box = app.wait_box(wt.CLOSE_CAPTION)
        asked = time.monotonic()
        app.answer(box, wt.YES)
        self.assertEqual(1, app.wait_exit(20))
        self.assertLess(time.monotonic() - asked, 15)
        self.assertEqual(([SHUTDOWN_BLOCKED, f"{CLOSE_QUESTION} 7", f"{CLOSE_QUESTION} 6",
                           SHUTDOWN_ALLOWED],
                          ["agent CleanUp download", "agent RequestAbort installation",
                           "agent CleanUp installation"]),
                         split_log(app.log()))

    def test_second_copy_exits_at_once_without_window(self):
        shots = [0]
        first = self.start(catalogue(300), folder=self.folder / "first", shots=shots)
        first.wait_window().wait_screen("the welcome screen", screens.is_welcome)
        second = self.start(catalogue(300), folder=self.folder / "second", shots=shots)
        self.assertEqual(0, self.assertNoWindowWhile(second, [first.window]))
        self.assertEqual([first.window], self.screen.windows(wt.MAIN_CAPTION))
        first.shot("first-copy-still-alone")
        self.close_at_once(first)

    def test_title_markup_shows_literally(self):
        x_png = self.prefix / "drive_c" / "x.png"
        subprocess.run(["convert", "-size", "40x20", "xc:#FF00FF", str(x_png)], check=True)
        self.addCleanup(x_png.unlink)
        app = self.start(MARKUP_CATALOGUE)
        img = self.scan_to_list(app)
        app.shot("list-with-markup-title")
        self.assertEqual(0, img.count(WINDOW, screens.magenta), "the image of the title was drawn")
        rows = screens.Rows(img)
        left, right = rows.title_span(img, 0)
        # Read literally the title is about 280 pixels wide; read as markup
        # only "Fix", an image and a bold "x" would remain.
        self.assertGreater(right - left, 250)
        # The long title ends in "..." inside its column, short of the date.
        left, right = rows.title_span(img, 1)
        self.assertLess(right, C["List_Holes"][0] + 26 + 355)
        self.assertGreater(right - left, 300)
        self.close_at_once(app)

    def test_version_offer_prompts_and_yes_opens_the_page_and_the_logo_the_home_page(self):
        service = self.service()
        page = service.body = f"{service.address}/download/patchwell-setup.exe"
        app = self.start(catalogue(300), service=service.address).wait_window()
        box = app.wait_box(wt.VERSION_CAPTION)
        app.shot("message-new-version", box)
        self.assertEqual([("/software/freetools.php?pro_id=44&pversion=1.0.1", "UA/Corvexa")],
                         service.requests)
        app.answer(box, wt.YES)
        # Both are opened by the desktop shell's process, which Wine's desktop provides.
        app.wait_log(f"open {page} via desktop shell")
        app.wait_screen("the welcome screen", screens.is_welcome)
        app.click_control("Btn_Website")
        app.wait_log("open http://127.0.0.1:1/ via desktop shell")
        self.close_at_once(app)
        self.assertEqual([f"{NEW_VERSION} 6", f"open {page} via desktop shell",
                          "open http://127.0.0.1:1/ via desktop shell"],
                         app.log())

    def test_version_bodies_that_are_no_web_address_give_no_prompt(self):
        for name, body in (("file", "file:///c:/x.exe"), ("cmd", r"C:\Windows\System32\cmd.exe")):
            with self.subTest(body=body):
                service = self.service(body)
                app = self.start(catalogue(300), service=service.address,
                                 folder=self.folder / name).wait_window()
                wt.wait_for("the version request", lambda: service.requests, 20)
                app.wait_screen("the welcome screen", screens.is_welcome)
                self.assertNoPromptFor(2)
                app.shot("welcome-without-prompt")
                self.close_at_once(app)
                self.assertEqual([], app.log())

    def test_every_screen_at_every_display_scale(self):
        """The prefix's display DPI sets the scale. Each screen's screenshot
        is kept at the window's own size; the checks read it at the skin's."""
        self.addCleanup(wt.set_display_dpi, self.wine_run, self.prefix, self.xvfb.display, 96)
        for dpi in (96, 120, 144, 192):
            with self.subTest(dpi=dpi):
                wt.set_display_dpi(self.wine_run, self.prefix, self.xvfb.display, dpi)
                percent = dpi * 100 // 96
                folder = self.folder / f"{percent}-percent"
                self.walk_success_at(dpi / 96, folder)
                if dpi >= 144:
                    self.walk_failure_at(dpi / 96, folder / "failure")

    def walk_success_at(self, scale, folder):
        app = self.start(MAIN_CATALOGUE, folder=folder, scale=scale).wait_window()
        welcome = app.wait_screen("the welcome screen", screens.is_welcome)
        app.shot("welcome")
        self.assertGreaterEqual(len(screens.message_lines(welcome)), 2, "the welcome text")
        app.click_control("Btn_Scan")
        # Checks that a pixel's shift from the scaling does not upset.
        app.wait_screen("the scanning screen", lambda i: not screens.pictures_shown(i) and not
                        screens.button_shown(i, "Btn_Scan") and not screens.list_shown(i), 10)
        app.shot("scanning")
        img = app.wait_screen("the list", screens.is_list, 30)
        app.shot("list")
        rows = screens.Rows(img)
        self.assertChecks(rows, img, [True, True, False])
        # The check column and the rows answer at their scaled places.
        app.click(*rows.check_point(2))
        img = app.wait_screen("row 2 checked", lambda i: rows.checked(i, 2))
        app.shot("list-row-2-checked")
        self.assertTrue(screens.check_all_selected(img))
        app.click(*rows.title_point(1))
        # Read at the skin's size, a scaled row's edge may land a pixel off.
        app.wait_screen("row 1 selected",
                        lambda i: abs(screens.Rows(i).top - rows.row(1)[1]) <= 1)
        app.shot("list-row-1-selected")
        app.click_control("Btn_Scan")
        app.wait_screen("progress", lambda i: screens.bar_text(i) and not screens.list_shown(i) and
                        not screens.button_shown(i, "Btn_Scan"))
        app.shot("progress")
        app.wait_screen("the success screen", screens.is_success, 30)
        app.shot("success")
        app.click_control("Option_RestartLater")
        app.click_control("Btn_Close")
        self.assertEqual(1, app.wait_exit())
        self.assertNotIn(wt.RESTART_LINE, app.log())

    def walk_failure_at(self, scale, folder):
        app = self.start(FAILING_CATALOGUE, folder=folder, scale=scale)
        self.scan_to_list(app)
        app.click_control("Btn_Scan")
        app.wait_screen("the failure screen", screens.is_failure, 30)
        app.shot("failure")
        self.close_at_once(app)

    def test_skin_archive_without_markup_ends_with_code_1_and_no_window(self):
        app = self.start(catalogue(300), exe=self.no_markup_exe)
        self.assertEqual(1, self.assertNoWindowWhile(app))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, type=pathlib.Path)
    parser.add_argument("--prefix", required=True, type=pathlib.Path)
    parser.add_argument("--artefacts", required=True, type=pathlib.Path)
    args, rest = parser.parse_known_args()
    EndToEnd.build = args.build.resolve()
    EndToEnd.prefix = args.prefix.resolve()
    EndToEnd.artefacts = args.artefacts.resolve()
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
