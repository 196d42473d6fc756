#!/usr/bin/env python3
"""Takes the path a new user takes through Velmora, with real input.

The program starts as `make run` starts it (in a copy of data/, no
arguments) with a settings folder of its own, on a display of its own with a
window manager, and is driven through xdotool: choose a heat generator and a
system, compute, close the hint, move the crosshair, save, open the file
again, look at the preview, export the PDF, compute with nothing chosen and
quit without saving. Every wait polls for something visible (a window, a
file) and has a limit; a failure names its step. A screenshot of each step
goes to the artefact folder.

Usage: new_user_test.py PROGRAM SOURCE_DIR ARTEFACT_DIR
"""

import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Limits for single waits; the whole run has its own below the test's timeout.
SHORT = 15.0
LONG = 60.0
WHOLE_RUN = 240.0

MAIN_NEW = r"^unbenannt - Velmora$"
MESSAGE = r"^Velmora$"
USER_DATA = r"^Anwenderdaten$"
CATALOGUE_NOTICE = r"^Info W\u00e4rmeerzeugerdatenbank$"
HINT = r"^Hinweis$"
PREVIEW = r"^Vorschau"

# The choice the steps make with the keyboard: the first entries of each list.
FUEL = "Heizöl EL"
MANUFACTURER = "Kesselwerk Almendorf GmbH"
TYPE = "Oleomat 17"
SYSTEM = "dreischalig m. NW (Keramik)"

# Arrow presses in the diagram and where they lead from the start point
# (10 m and the heat generator's outlet).
RIGHT_PRESSES = 15
UP_PRESSES = 20
CHOSEN_LABEL = "H=11.5 Dh=15.0"
CHOSEN_CAPTION = "0,15 m (rund)"

# "Mach Et" below the options, in the main window's coordinates.
MACH_ET = (157, 401)

WORDS_NOT_GERMAN = re.compile(r"\b(Save|Open|Cancel|Close|Yes|No|Page)\b")


class StepFailed(Exception):
    pass


def _die_with_parent():
    # Whatever happens to this script, nothing it started outlives it.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    os.setsid()


class Session:
    def __init__(self, program, source, artefacts):
        self.program = os.path.abspath(program)
        self.source = os.path.abspath(source)
        self.artefacts = os.path.abspath(artefacts)
        self.root = tempfile.mkdtemp(prefix="velmora-new-user-")
        self.data = os.path.join(self.root, "data")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        self.files = os.path.join(self.root, "work")
        self.processes = {}
        self.display = None
        self.step_no = 0
        self.step = "setup"
        self.deadline = time.monotonic() + WHOLE_RUN
        self.log = open(os.path.join(self.root, "velmora.log"), "w+b")
        shutil.copytree(os.path.join(self.source, "data"), self.data)
        for d in (self.home, self.config, self.files):
            os.makedirs(d)
        os.makedirs(self.artefacts, exist_ok=True)
        # Pictures of an earlier run would mix with this one's.
        for name in os.listdir(self.artefacts):
            if name.startswith("velmora_new_user"):
                os.remove(os.path.join(self.artefacts, name))

    # ---- processes -------------------------------------------------------

    def env(self, **extra):
        env = dict(os.environ)
        for name in list(env):
            if name.startswith("LC_") or name in ("LANGUAGE", "VELMORA_TEST_CLOSE_MS", "XAUTHORITY",
                                                   "DBUS_SESSION_BUS_ADDRESS"):
                del env[name]
        # A user whose machine does not speak German: the program must anyway.
        env["LANG"] = "C.UTF-8"
        env.update(DISPLAY=self.display or "", HOME=self.home, XDG_CONFIG_HOME=self.config,
                   XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"), NO_AT_BRIDGE="1",
                   GSETTINGS_BACKEND="memory")
        env.update(extra)
        return env

    def spawn(self, name, args, **kw):
        kw.setdefault("stdout", self.log)
        kw.setdefault("stderr", self.log)
        self.processes[name] = subprocess.Popen(args, env=self.env(), preexec_fn=_die_with_parent,
                                                stdin=subprocess.DEVNULL, **kw)
        return self.processes[name]

    def start_display(self):
        read_end, write_end = os.pipe()
        self.spawn("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
        os.close(write_end)
        text = b""
        limit = time.monotonic() + SHORT
        while not text.endswith(b"\n"):
            if time.monotonic() > limit or self.processes["Xvfb"].poll() is not None:
                raise StepFailed("Xvfb gave no display number")
            ready, _, _ = select.select([read_end], [], [], 0.2)
            if ready:
                chunk = os.read(read_end, 64)
                if not chunk:
                    raise StepFailed("Xvfb closed its display pipe")
                text += chunk
        os.close(read_end)
        self.display = ":" + text.decode().strip()

    def start_window_manager(self):
        self.spawn("openbox", ["openbox", "--sm-disable"])
        self.wait(lambda: "window id" in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]),
                  SHORT, "the window manager to come up", watch="openbox")

    def start_program(self):
        # As scripts/run: in the data folder, without arguments.
        self.spawn("velmora", [self.program], cwd=self.data)

    def stop_all(self):
        for name in reversed(list(self.processes)):
            p = self.processes[name]
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(p.pid, signal.SIGKILL)
                    p.wait()

    def program_output(self):
        self.log.flush()
        self.log.seek(0)
        text = self.log.read().decode("utf-8", "replace")
        return text[-3000:]

    # ---- the display -----------------------------------------------------

    def run(self, args, check=False):
        r = subprocess.run(args, env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           timeout=SHORT)
        if check and r.returncode != 0:
            raise StepFailed("%s failed (%d)" % (" ".join(args), r.returncode))
        return r.stdout.decode("utf-8", "replace")

    def xdotool(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args], check=True)

    def windows(self, pattern):
        """The windows the window manager shows whose title matches pattern:
        a list of (id, title)."""
        listed = self.run(["xprop", "-root", "_NET_CLIENT_LIST"])
        found = []
        for wid in re.findall(r"0x[0-9a-fA-F]+", listed.partition("#")[2]):
            title = self.run(["xdotool", "getwindowname", str(int(wid, 16))]).rstrip("\n")
            if re.search(pattern, title):
                found.append((str(int(wid, 16)), title))
        return found

    def check_alive(self, watch, what):
        p = self.processes.get(watch)
        if p is not None and p.poll() is not None:
            raise StepFailed("%s ended (exit status %s) while waiting for: %s" % (watch, p.returncode, what))

    def wait(self, condition, timeout, what, watch="velmora"):
        started = time.monotonic()
        limit = min(started + timeout, self.deadline)
        while True:
            result = condition()
            if result:
                return result
            self.check_alive(watch, what)
            if time.monotonic() > limit:
                raise StepFailed("waited %.0f s in vain for: %s" % (time.monotonic() - started, what))
            time.sleep(0.1)

    def wait_window(self, pattern, what, timeout=SHORT):
        found = self.wait(lambda: self.windows(pattern), timeout, what)
        return found[0][0]

    def wait_gone(self, pattern, what, timeout=SHORT):
        self.wait(lambda: not self.windows(pattern), timeout, what)

    def new_window(self, known, what, timeout=SHORT):
        """A window shown that is not among known: (id, title)."""
        def fresh():
            return [w for w in self.windows("") if w[0] not in known]
        return self.wait(fresh, timeout, what)[0]

    def shown(self):
        """The ids of every window the window manager shows."""
        return {w[0] for w in self.windows("")}

    def focus(self, wid):
        """Brings wid to the front and waits until it has the keyboard."""
        self.xdotool("windowactivate", wid)
        self.wait(lambda: self.run(["xdotool", "getactivewindow"]).strip() == wid, SHORT,
                  "keyboard focus on window %s" % wid)

    def keys(self, *names):
        # A short pause between presses lets each handler run before the next.
        self.xdotool("key", "--clearmodifiers", "--delay", "120", *names)

    def type_text(self, text):
        self.xdotool("type", "--clearmodifiers", "--delay", "40", text)

    def click(self, wid, x, y):
        self.xdotool("mousemove", "--window", wid, x, y)
        self.xdotool("click", "1")

    def confirm(self, wid, key, what, timeout=SHORT):
        """Presses key in dialog wid until the dialog goes: a file dialog may
        still be completing the typed name when the first press arrives."""
        started = time.monotonic()
        while True:
            if self.run(["xdotool", "getactivewindow"]).strip() == wid:
                self.keys(key)
            settle = time.monotonic() + 2.0
            while time.monotonic() < settle:
                if wid not in self.shown():
                    return
                self.check_alive("velmora", what)
                time.sleep(0.1)
            if time.monotonic() - started > timeout or time.monotonic() > self.deadline:
                raise StepFailed("waited %.0f s in vain for: %s" % (time.monotonic() - started, what))

    def answer_file_dialog(self, known, path, command, replace_name=False):
        """Waits for the file dialog that command opened, checks its title and
        types path into it."""
        wid, title = self.new_window(known, "file dialog after %s" % command)
        self.screenshot("file_dialog")
        if not title or WORDS_NOT_GERMAN.search(title):
            raise StepFailed("the file dialog of %s has no German title: %r" % (command, title))
        self.focus(wid)
        # A save dialog's name field has the focus, with a name to replace; an
        # open dialog's name field opens at the first "/".
        if replace_name:
            self.keys("ctrl+a")
        self.type_text(path)
        self.confirm(wid, "Return", "close of the file dialog %r after the typed name" % title)

    def screenshot(self, name):
        path = os.path.join(self.artefacts, "velmora_new_user_%02d_%s.png" % (self.step_no, name))
        self.run(["import", "-window", "root", path])

    # ---- steps -----------------------------------------------------------

    def do(self, name, action):
        self.step_no += 1
        self.step = name
        print("Schritt %d: %s" % (self.step_no, name), flush=True)
        try:
            action()
        except (StepFailed, subprocess.TimeoutExpired):
            self.screenshot(name + "_failed")
            raise
        self.screenshot(name)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    s = Session(*sys.argv[1:])
    saved = os.path.join(s.files, "neubau.kfx")
    pdf = os.path.join(s.files, "neubau.pdf")
    state = {}
    # What the new user types into the library's dialogs. The site's
    # postcode is in the sample place table: its town and its height (Dresden,
    # 113 m) come from there and the height becomes the site's.
    recipient = {"name": "Familie Brenner", "street": "Lindenweg 7", "postcode": "66606"}
    recipient_town = "St. Wendel"
    site = {"name": "Neubau Brenner", "street": "Am Kirchberg 12", "postcode": "01067"}
    site_town = "Dresden"
    site_height = "113 m"
    remark = "Reinigungstuer im Keller vorsehen"

    def close_by_mnemonic(wid, key, what):
        # A quick press: Alt is up again before the button reacts.
        s.focus(wid)
        s.keys(key)
        s.wait(lambda: wid not in s.shown(), SHORT, what)

    def type_fast(text):
        s.xdotool("type", "--clearmodifiers", "--delay", "15", text)

    def start():
        missing = [t for t in ("Xvfb", "openbox", "xdotool", "xprop", "import", "pdftotext") if not shutil.which(t)]
        if missing:
            raise StepFailed("missing %s (scripts/install-deps installs them)" % ", ".join(missing))
        s.start_display()
        s.start_window_manager()
        s.start_program()
        # A first start asks for the user's firm data, through the library.
        found = s.wait(lambda: s.windows(USER_DATA) or s.windows(MAIN_NEW), LONG,
                       "user data dialog or main window \"unbenannt - Velmora\"")
        if re.search(USER_DATA, found[0][1]):
            s.focus(found[0][0])
            s.type_text("Kaminbau Ost")
            # Enter goes from field to field and, on "Weiter", closes the dialog:
            # eight presses lead from the first of the eight fields to "Weiter".
            s.keys(*["Return"] * 8)
            s.confirm(found[0][0], "Return", "close of the user data dialog by Enter", LONG)
        state["main"] = s.wait_window(MAIN_NEW, "main window \"unbenannt - Velmora\"", LONG)
        # The library's start dialog: a new calculation is what this user wants.
        # It shows once the main window is up; a window of that title that
        # goes meanwhile (the start picture) is left alone.
        s.wait(lambda: s.windows(MESSAGE), SHORT, "start dialog \"Velmora\"")
        for wid, title in s.windows(MESSAGE):
            try:
                s.focus(wid)
                s.keys("Escape")
            except StepFailed:
                pass
        # The start picture goes at a click, as it does for a user in a hurry.
        # Its lower right corner lies over the form's empty diagram area, so
        # that a click just after it went by itself does nothing.
        splash = s.windows(MESSAGE)
        if splash:
            s.click(splash[0][0], 540, 250)
            s.wait_gone(MESSAGE, "start picture to go away after a click")

    def project_data():
        # The new user starts a calculation with its project: Ctrl+N asks for
        # the project data. The labels' mnemonics lead from field to field.
        new_calculation(fill=True)

    def fill_project(project):
        s.focus(project)
        for mnemonic, text in (("alt+1", recipient["name"]), ("alt+s", recipient["street"]),
                               ("alt+p", recipient["postcode"]), ("alt+a", site["name"]),
                               ("alt+t", site["street"]), ("alt+o", site["postcode"])):
            s.keys(mnemonic)
            type_fast(text)
        # Leaving the site's postcode fills its town from the place table.
        s.keys("alt+1")
        s.screenshot("project_data_filled")
        close_by_mnemonic(project, "alt+w", "close of the project data at \"Weiter\" (Alt+W)")

    def remarks():
        s.focus(state["main"])
        known = s.shown()
        s.keys("ctrl+b")
        wid, title = s.new_window(known, "dialog \"Bemerkungen\" after Ctrl+B")
        if title != "Bemerkungen":
            raise StepFailed("instead of the remarks, a window %r appeared" % title)
        s.focus(wid)
        type_fast(remark)
        close_by_mnemonic(wid, "alt+w", "close of the remarks at \"Weiter\" (Alt+W)")

    def choose():
        s.focus(state["main"])
        # The labels' mnemonics lead to the lists (the start picture took the
        # focus away); each time the first entry, Heizöl EL the second fuel.
        # Each fuel chosen brings the library's notice on the catalogue's age; OK closes it.
        def dismiss_notice():
            try:
                notice = s.wait(lambda: s.windows(CATALOGUE_NOTICE), 5.0, "notice on the catalogue")
            except StepFailed:
                return
            s.focus(notice[0][0])
            s.confirm(notice[0][0], "Return", "close of the catalogue notice by Enter")
            s.focus(state["main"])
        s.keys("alt+b", "Down")
        dismiss_notice()
        s.keys("alt+b", "Down")
        dismiss_notice()
        s.keys("alt+h", "Down", "alt+t", "Down", "Tab", "Down")

    def compute():
        s.click(state["main"], *MACH_ET)
        found = s.wait(lambda: s.windows(HINT) or s.windows(MESSAGE), LONG,
                       "hint dialog \"Hinweis\" after a click on \"Mach Et\" at %s" % (MACH_ET,))
        if not re.search(HINT, found[0][1]):
            raise StepFailed("a message instead of the hint: the choice did not take (see the screenshot)")

    def close_hint():
        hint = s.wait_window(HINT, "hint dialog")
        s.focus(hint)
        s.keys("Return")
        s.wait_gone(HINT, "close of the hint dialog by Enter")

    def move_crosshair():
        # After the computation the diagram has the keyboard.
        s.focus(state["main"])
        s.keys(*(["Right"] * RIGHT_PRESSES + ["Up"] * UP_PRESSES))

    def save():
        known = s.shown()
        s.keys("ctrl+s")
        s.answer_file_dialog(known, saved, "Ctrl+S", replace_name=True)
        s.wait(lambda: os.path.isfile(saved), SHORT, "file %s after the save dialog" % saved)
        s.wait_window(r"^neubau\.kfx - Velmora$", "main window titled \"neubau.kfx - Velmora\"")
        # The calculation file holds the typed texts as they were typed.
        with open(saved, "rb") as f:
            content = f.read()
        typed = list(recipient.values()) + list(site.values()) + [recipient_town, site_town, remark]
        missing = [t for t in typed if t.encode("cp1252") not in content]
        if missing:
            raise StepFailed("the saved file lacks %s" % ", ".join(map(repr, missing)))

    def new_calculation(fill=False):
        s.focus(state["main"])
        s.keys("ctrl+n")
        found = s.wait(lambda: s.windows(MAIN_NEW) or s.windows(MESSAGE), SHORT,
                       "new calculation \"unbenannt - Velmora\" after Ctrl+N")
        if re.search(MESSAGE, found[0][1]):
            # A computation counts as a change: the question comes, "Nein" drops it.
            s.screenshot("new_question")
            s.focus(found[0][0])
            s.confirm(found[0][0], "alt+n", "close of the save question at \"Nein\"")
            found = s.wait(lambda: s.windows(MAIN_NEW), SHORT,
                           "new calculation \"unbenannt - Velmora\" after \"Nein\"")
        state["main"] = found[0][0]
        # A new calculation asks for its project data.
        project = s.wait_window(r"^Projektdaten$", "project data dialog after the new calculation", LONG)
        s.screenshot("project_data")
        if fill:
            fill_project(project)
            return
        s.focus(project)
        s.confirm(project, "Escape", "close of the project data at Escape")

    def reopen():
        known = s.shown()
        s.keys("ctrl+o")
        s.answer_file_dialog(known, saved, "Ctrl+O")
        state["main"] = s.wait_window(r"^neubau\.kfx - Velmora$", "reopened file \"neubau.kfx - Velmora\"", LONG)
        # The reopened file is computed again, with its hint.
        s.wait_window(HINT, "hint dialog after the reopened file's computation", LONG)
        s.screenshot("reopened")
        close_hint()

    def preview():
        s.focus(state["main"])
        known = s.shown()
        # Datei > Seitenansicht through the menu's mnemonics.
        s.keys("alt+d", "t")
        wid, title = s.new_window(known, "preview window after \"Seitenansicht\"", LONG)
        if not re.search(PREVIEW, title):
            raise StepFailed("instead of the preview, a window %r appeared" % title)
        s.screenshot("preview_shown")
        s.focus(wid)
        s.keys("Escape")
        s.wait_gone(PREVIEW, "preview window to close at Escape")

    def export_pdf():
        s.focus(state["main"])
        known = s.shown()
        s.keys("ctrl+p")
        options, title = s.new_window(known, "print options after Ctrl+P")
        s.focus(options)
        # "Durchsuchen..." asks for the PDF file and sets the destination.
        known = s.shown()
        s.keys("alt+d")
        s.answer_file_dialog(known, pdf, "\"Durchsuchen...\"", replace_name=True)
        s.focus(options)
        s.screenshot("print_options")
        s.keys("alt+o")
        s.wait(lambda: os.path.isfile(pdf) and os.path.getsize(pdf) > 0, LONG, "PDF file %s" % pdf)
        s.wait(lambda: options not in s.shown(), SHORT, "print options %r to close" % title)
        text = s.run(["pdftotext", "-layout", pdf, "-"], check=True)
        shutil.copy(pdf, os.path.join(s.artefacts, "velmora_new_user.pdf"))
        with open(os.path.join(s.artefacts, "velmora_new_user.txt"), "w") as f:
            f.write(text)
        wanted = (MANUFACTURER, TYPE, FUEL, SYSTEM, CHOSEN_CAPTION, recipient["name"], recipient["street"],
                  recipient["postcode"] + " " + recipient_town, site["name"], site["street"],
                  site["postcode"] + " " + site_town, "Geodätische Höhe: " + site_height, remark)
        missing = [t for t in wanted if t not in text]
        if missing:
            raise StepFailed("the PDF lacks %s" % ", ".join(map(repr, missing)))
        label = re.search(r"H=\S+ Dh=\S+", text)
        if not label or label.group(0) != CHOSEN_LABEL:
            raise StepFailed("the PDF's diagram shows %r, not the chosen point %r"
                             % (label.group(0) if label else None, CHOSEN_LABEL))

    def library_dialogs():
        # Each through the menu by keyboard: the menu, then the item (by its
        # mnemonic, or counted from the menu's end); each shows and goes at Escape.
        for keys, pattern in ((("alt+e", "End", "Up", "Return"), r"^Orte$"),
                              (("alt+question", "End", "Up", "Up", "Return"), CATALOGUE_NOTICE),
                              (("alt+e", "a"), USER_DATA),
                              (("alt+e", "f"), r"^Ausdruck konfigurieren$")):
            s.focus(state["main"])
            known = s.shown()
            s.keys(*keys)
            wid, title = s.new_window(known, "dialog %s through %s" % (pattern, "+".join(keys)))
            if not re.search(pattern, title):
                raise StepFailed("%s opened %r instead of %s" % (" ".join(keys), title, pattern))
            s.screenshot("library_" + title.split()[0].lower())
            s.focus(wid)
            s.confirm(wid, "Escape", "close of %r at Escape" % title)
        if not s.windows(r"^neubau\.kfx - Velmora$"):
            raise StepFailed("the main window lost its file after the library's dialogs")
        # "Abbruch" in the user data keeps what the first start stored.
        with open(os.path.join(s.data, "anwender.dat"), "rb") as f:
            if b"Name1=Kaminbau Ost" not in f.read():
                raise StepFailed("the user data lost the firm's name after the dialogs")

    def compute_nothing_chosen():
        new_calculation()
        s.click(state["main"], *MACH_ET)
        box = s.wait_window(MESSAGE, "message after \"Mach Et\" with nothing chosen")
        s.screenshot("nothing_chosen_message")
        s.focus(box)
        s.keys("Return")
        s.wait_gone(MESSAGE, "message to close at Enter")

    def quit_without_saving():
        # A changed geodetic height makes the calculation worth a question.
        s.focus(state["main"])
        known = s.shown()
        s.keys("ctrl+g")
        wid, title = s.new_window(known, "dialog \"Geodätische Höhe\" after Ctrl+G")
        s.focus(wid)
        s.keys("ctrl+a")
        s.type_text("412")
        s.confirm(wid, "Return", "close of %r at Enter" % title)
        s.focus(state["main"])
        s.keys("alt+F4")
        box = s.wait_window(MESSAGE, "save question when quitting")
        s.screenshot("save_question")
        s.focus(box)
        s.keys("alt+n")
        p = s.processes["velmora"]
        s.wait(lambda: p.poll() is not None, SHORT, "the program to end after \"Nein\"", watch="")
        if p.returncode != 0:
            raise StepFailed("the program ended with exit status %d" % p.returncode)
        strays = [f for f in os.listdir(s.data) if f.lower().endswith(".kfx")]
        if strays:
            raise StepFailed("answering \"Nein\" still wrote %s" % strays)
        ini = os.path.join(s.config, "Trevalen Software GmbH", "Velmora.ini")
        if not os.path.isfile(ini):
            raise StepFailed("the settings did not go to the fresh folder: no %s" % ini)
        # "Formular..." worked on the layout the program prints with.
        with open(ini, encoding="utf-8", errors="replace") as f:
            layout = re.search(r"^Formular0=(.*)$", f.read(), re.M)
        if not layout or not os.path.isfile(layout.group(1).strip()):
            raise StepFailed("the form settings name no layout the program prints with: %r"
                             % (layout.group(1) if layout else None))

    steps = [("start", start), ("project_data", project_data), ("remarks", remarks), ("choose", choose),
             ("compute", compute), ("close_hint", close_hint),
             ("move_crosshair", move_crosshair), ("save", save), ("new", new_calculation),
             ("reopen", reopen), ("preview", preview), ("export_pdf", export_pdf),
             ("library_dialogs", library_dialogs),
             ("compute_nothing_chosen", compute_nothing_chosen), ("quit_without_saving", quit_without_saving)]
    started = time.monotonic()
    try:
        for name, action in steps:
            s.do(name, action)
    except (StepFailed, subprocess.TimeoutExpired) as e:
        print("FEHLGESCHLAGEN in Schritt %d (%s): %s" % (s.step_no, s.step, e), flush=True)
        print("Ausgabe der gestarteten Programme:\n" + s.program_output(), flush=True)
        return 1
    finally:
        s.stop_all()
        s.log.close()
        shutil.copy(s.log.name, os.path.join(s.artefacts, "velmora_new_user.log"))
        shutil.rmtree(s.root, ignore_errors=True)
    print("Alle %d Schritte bestanden in %.1f s." % (len(steps), time.monotonic() - started), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
