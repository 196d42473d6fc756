"""The session the new-user tests of both programs run in.

A program started as `make run` starts it (in a copy of data/, no arguments)
with a settings folder of its own, on a display of its own with a window
manager, and driven through xdotool. Every wait polls for something visible
(a window, its modality, a menu, a file) with a limit that is only a safety
net, and checks that the program still runs; a failure names its step. Windows
that come and go between two looks are seen in the X server's own event
stream. Every key or click is sent once: nothing is tried again. A screenshot of each step goes to the artefact
folder. Whatever ends the test, nothing it started outlives it.
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
import threading
import time

# Limits for single waits: safety nets for a program that never answers, far
# above what a loaded machine takes. The whole run has its own below the
# test's timeout, so that the test ends by itself and names its step.
SHORT = 60.0
LONG = 120.0
WHOLE_RUN = 480.0

# What the programs write into their data directory when they run on it.
LEFT_BY_A_RUN = ("anwender.dat", "ADRESSE.*", "BEMERKUN.*", "*.OLD")


WORDS_NOT_GERMAN = re.compile(r"\b(Save|Open|Cancel|Close|Yes|No|Page)\b")

TOOLS = ("Xvfb", "openbox", "xdotool", "xprop", "xev", "import", "pdftotext")

MENU_TYPES = ("_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU")

# Windows of the library and of the print code that both programs show.
USER_DATA = r"^Anwenderdaten$"
CATALOGUE_NOTICE = r"^Info W\u00e4rmeerzeugerdatenbank$"
PREVIEW = r"^Vorschau"


class StepFailed(Exception):
    pass


def _die_with_parent():
    # Whatever happens to this script, nothing it started outlives it.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    os.setsid()


def _stopped_from_outside(signum, frame):
    # A test runner's timeout or a Ctrl+C: the steps end as after a failure,
    # so that the display, the window manager and the program are stopped.
    raise StepFailed("the test was stopped from outside (signal %d)" % signum)


class WindowEvents:
    """The windows the window manager takes on and lets go, in order, read
    from the X server's event stream on the root window (xev): a window that
    comes and goes between two looks at the window list is not missed."""

    EVENT = re.compile(r"^(\w+) event, ")
    REPARENT = re.compile(r"window (0x[0-9a-f]+), parent (0x[0-9a-f]+)")
    DESTROY = re.compile(r"event 0x[0-9a-f]+,\s+window (0x[0-9a-f]+)")

    def __init__(self, session):
        self.session = session
        self.root = None
        self.events = []  # ("managed" or "released", id, (title, kind))
        self.names = {}
        self.lock = threading.Lock()
        self.process = None

    def start(self):
        info = self.session.run(["xwininfo", "-root"])
        self.root = int(re.search(r"Window id: (0x[0-9a-f]+)", info).group(1), 16)
        self.process = self.session.spawn("xev", ["xev", "-root", "-event", "substructure"],
                                          stdout=subprocess.PIPE)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        lines = []
        for raw in self.process.stdout:
            line = raw.decode("utf-8", "replace")
            if line.strip():
                lines.append(line)
                continue
            if lines:
                self._event("".join(lines))
            lines = []

    def _event(self, text):
        kind = self.EVENT.match(text)
        if not kind:
            return
        if kind.group(1) == "ReparentNotify":
            m = self.REPARENT.search(text)
            if not m:
                return
            wid, parent = int(m.group(1), 16), int(m.group(2), 16)
            if parent == self.root:
                self._add("released", wid)
            else:
                # The title is set before a window is shown; a window that is
                # only hidden keeps it.
                title = self.session.run(["xdotool", "getwindowname", str(wid)]).rstrip("\n")
                self._add("managed", wid, (title, self.session.kind(str(wid))))
        elif kind.group(1) == "DestroyNotify":
            m = self.DESTROY.search(text)
            if m:
                self._add("released", int(m.group(1), 16))

    def _add(self, event, wid, name=None):
        with self.lock:
            if name is not None:
                self.names[wid] = name
            self.events.append((event, str(wid), self.names.get(wid)))

    def mark(self):
        """A point in the stream to look from."""
        with self.lock:
            return len(self.events)

    def came_and_went(self, since, pattern, kind):
        """The id of a window of that kind whose title matches pattern that
        was taken on and let go again after the mark since, or None."""
        with self.lock:
            events = self.events[since:]
        shown = set()
        for event, wid, name in events:
            if event == "managed" and name is not None and re.search(pattern, name[0]) and name[1] == kind:
                shown.add(wid)
            elif event == "released" and wid in shown:
                return wid
        return None


def from_arguments(name, usage):
    """The session of a test called with PROGRAM SOURCE_DIR ARTEFACT_DIR;
    None, with the usage printed, for other arguments."""
    if len(sys.argv) != 4:
        print(usage)
        return None
    return Session(name, *sys.argv[1:])


class Session:
    def __init__(self, name, program, source, artefacts):
        """name is the program's own name ("velmora", "tarsilo"): the name of
        its process, its log and the artefacts' prefix."""
        self.name = name
        self.program = os.path.abspath(program)
        self.source = os.path.abspath(source)
        self.artefacts = os.path.abspath(artefacts)
        self.prefix = "%s_new_user" % name
        self.root = tempfile.mkdtemp(prefix="%s-new-user-" % name)
        self.data = os.path.join(self.root, "data")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        self.files = os.path.join(self.root, "work")
        self.processes = {}
        self.display = None
        self.events = WindowEvents(self)
        self.step_no = 0
        self.step = "setup"
        self.deadline = time.monotonic() + WHOLE_RUN
        self.log = open(os.path.join(self.root, "%s.log" % name), "w+b")
        # Only the sample data: a "make run" on data/ leaves the user's file
        # and the address tables there, which a new user does not have.
        shutil.copytree(os.path.join(self.source, "data"), self.data,
                        ignore=shutil.ignore_patterns(*LEFT_BY_A_RUN))
        for d in (self.home, self.config, self.files):
            os.makedirs(d)
        os.makedirs(self.artefacts, exist_ok=True)
        # Pictures of an earlier run would mix with this one's.
        for entry in os.listdir(self.artefacts):
            if entry.startswith(self.prefix):
                os.remove(os.path.join(self.artefacts, entry))
        for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            signal.signal(signum, _stopped_from_outside)

    # ---- processes -------------------------------------------------------

    def env(self, **extra):
        env = dict(os.environ)
        for var in list(env):
            if var.startswith("LC_") or var in ("LANGUAGE", "%s_TEST_CLOSE_MS" % self.name.upper(),
                                                "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS"):
                del env[var]
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

    def check_tools(self):
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing:
            raise StepFailed("missing %s (scripts/install-deps installs them)" % ", ".join(missing))

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
        self.events.start()

    def start_program(self):
        # As scripts/run: in the data folder, without arguments.
        self.spawn(self.name, [self.program], cwd=self.data)

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

    def finish(self):
        """Stops everything, keeps the log among the artefacts and removes the
        session's folder."""
        self.stop_all()
        self.log.close()
        shutil.copy(self.log.name, os.path.join(self.artefacts, "%s.log" % self.prefix))
        shutil.rmtree(self.root, ignore_errors=True)

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

    def kind(self, wid):
        """What window wid is: "modal" (a dialog the program waits on),
        "dialog" (one it does not wait on), "main" (a main or preview window)
        or "other". Two windows may share a title, never both title and kind."""
        props = self.run(["xprop", "-id", wid, "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE"])
        if "_NET_WM_STATE_MODAL" in props:
            return "modal"
        if "_NET_WM_WINDOW_TYPE_DIALOG" in props:
            return "dialog"
        if "_NET_WM_WINDOW_TYPE_NORMAL" in props:
            return "main"
        return "other"

    def check_icon(self, wid, what):
        """The window shows the program's picture as its icon to the desktop."""
        if "Icon (" not in self.run(["xprop", "-id", wid, "_NET_WM_ICON"]):
            raise StepFailed("%s has no icon" % what)

    def dialogs(self, pattern):
        """The modal windows whose title matches pattern: the program waits
        for their answer, so they stay until they get one."""
        return [w for w in self.windows(pattern) if self.kind(w[0]) == "modal"]

    def mains(self, pattern):
        """The main windows whose title matches pattern."""
        return [w for w in self.windows(pattern) if self.kind(w[0]) == "main"]

    def wait_dialog(self, pattern, what, timeout=SHORT):
        return self.wait(lambda: self.dialogs(pattern), timeout, what)[0][0]

    def on_screen(self):
        """The program's windows on the screen, menus included: a list of
        (id, window types)."""
        listed = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.processes[self.name].pid)])
        return [(w, re.findall(r"_NET_WM_WINDOW_TYPE_\w+", self.run(["xprop", "-id", w, "_NET_WM_WINDOW_TYPE"])))
                for w in listed.split()]

    def menus(self):
        """The program's menus open on the screen."""
        return [w for w, types in self.on_screen() if any(t in types for t in MENU_TYPES)]

    def open_menu(self, wid, *keys):
        """Opens a menu of window wid by keys and waits until it shows: only
        then do the next keys reach it."""
        self.focus(wid)
        self.keys(*keys)
        self.wait(self.menus, SHORT, "a menu to open at %s" % "+".join(keys))

    def menu_item(self, *keys):
        """Chooses the open menu's item by keys; the menu closes."""
        self.keys(*keys)
        self.wait(lambda: not self.menus(), SHORT, "the menu to close at %s" % "+".join(keys))

    def check_alive(self, watch, what):
        p = self.processes.get(watch)
        if p is not None and p.poll() is not None:
            raise StepFailed("%s ended (exit status %s) while waiting for: %s" % (watch, p.returncode, what))

    def wait(self, condition, timeout, what, watch=None):
        """Polls condition until it gives something true, at most timeout
        seconds, and fails at once when the watched process (the program
        unless named) ends meanwhile."""
        if watch is None:
            watch = self.name
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

    def wait_window(self, pattern, what, timeout=SHORT, kind="main"):
        """The first window of that title and kind to show."""
        found = self.wait(lambda: [w for w in self.windows(pattern) if self.kind(w[0]) == kind], timeout, what)
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

    def geometry(self, wid):
        """Where window wid lies on the screen: (x, y, width, height)."""
        text = self.xdotool("getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in text.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

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
        """Gives dialog wid the keyboard, presses key once and waits until
        the dialog goes."""
        self.focus(wid)
        self.keys(key)
        try:
            self.wait(lambda: wid not in self.shown(), timeout, what)
        except StepFailed as e:
            raise StepFailed("%s; the program shows %s" % (e, self.visible())) from None

    def visible(self):
        """The program's windows on the screen with their kinds, for a
        message."""
        return "; ".join("%s %s %r" % (w, "/".join(types), self.run(["xdotool", "getwindowname", w]).strip())
                         for w, types in self.on_screen())

    def answer_file_dialog(self, known, name, command, save=False):
        """Waits for the file dialog that command opened, checks its title and
        answers it with name, a path or a name in the folder the dialog starts
        in. A save dialog's name field has the focus, with a name to replace.
        An open dialog would search for typed text (and, given a path into
        another folder, only go there at Enter): Ctrl+L gives it the field for
        a name in its folder."""
        wid, title = self.new_window(known, "file dialog after %s" % command)
        self.screenshot("file_dialog")
        if not title or WORDS_NOT_GERMAN.search(title):
            raise StepFailed("the file dialog of %s has no German title: %r" % (command, title))
        self.focus(wid)
        self.keys("ctrl+a" if save else "ctrl+l")
        self.type_text(name)
        self.confirm(wid, "Return", "close of the file dialog %r after the typed name" % title)

    def answer_user_data(self, wid):
        """Answers the library's user data dialog of a first start with the
        firm's name. Enter goes from field to field and, on "Weiter", closes
        the dialog: eight presses lead from the first of the eight fields to
        "Weiter"."""
        self.focus(wid)
        self.type_text("Kaminbau Ost")
        self.keys(*["Return"] * 8)
        self.confirm(wid, "Return", "close of the user data dialog by Enter", LONG)

    def refuse_replacing(self, main, other, kept, choose_save_as, message, title, what):
        """"Speichern unter" (chosen by choose_save_as) with the name of
        another file, which is made with the bytes kept: Escape at the
        question whether to replace it keeps that file, and the main window
        keeps the title that matches title."""
        with open(other, "wb") as f:
            f.write(kept)
        known = self.shown()
        choose_save_as()
        self.answer_file_dialog(known, os.path.basename(other), "\"Speichern unter\"", save=True)
        box = self.wait_dialog(message, "question whether %s is to be replaced" % os.path.basename(other))
        self.screenshot("replace_question")
        self.confirm(box, "Escape", "close of the replace question at Escape")
        # A menu opens only after the answer's work is done.
        self.open_menu(main, "alt+d")
        self.menu_item("Escape")
        with open(other, "rb") as f:
            if f.read() != kept:
                raise StepFailed("Escape at the question replaced %s" % other)
        if not self.mains(title):
            raise StepFailed("after Escape at the question the %s took another name" % what)

    def look_at_preview(self, known, pattern):
        """Waits for the preview window that was just asked for, checks its
        title and that it has the keyboard, and closes it with Escape."""
        wid, title = self.new_window(known, "preview window after \"Seitenansicht\"", LONG)
        if not re.search(pattern, title):
            raise StepFailed("instead of the preview, a window %r appeared" % title)
        self.screenshot("preview_shown")
        # The preview takes the keyboard itself: nobody clicks into it first.
        self.wait(lambda: self.run(["xdotool", "getactivewindow"]).strip() == wid, SHORT,
                  "the preview to have the keyboard")
        self.keys("Escape")
        self.wait_gone(pattern, "preview window to close at Escape")

    def export_pdf(self, main, pdf):
        """Prints from main into the PDF file pdf through the print options
        (Ctrl+P, "PDF-Datei", the file's name typed into its field, OK) and
        returns the file's text; both go to the artefacts."""
        self.focus(main)
        known = self.shown()
        self.keys("ctrl+p")
        options, title = self.new_window(known, "print options after Ctrl+P")
        self.focus(options)
        # "PDF-Datei" enables the file's field, which comes next.
        self.keys("alt+p", "Tab", "ctrl+a")
        self.type_text(pdf)
        self.screenshot("print_options")
        self.keys("alt+o")
        # The file is written whole under another name, then renamed.
        self.wait(lambda: os.path.isfile(pdf), LONG, "PDF file %s" % pdf)
        self.wait(lambda: options not in self.shown(), SHORT, "print options %r to close" % title)
        text = self.run(["pdftotext", "-layout", pdf, "-"], check=True)
        shutil.copy(pdf, os.path.join(self.artefacts, "%s.pdf" % self.prefix))
        with open(os.path.join(self.artefacts, "%s.txt" % self.prefix), "w") as f:
            f.write(text)
        return text

    def screenshot(self, name):
        path = os.path.join(self.artefacts, "%s_%02d_%s.png" % (self.prefix, self.step_no, name))
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

    def run_steps(self, steps):
        """Takes the steps (name, action) in order; returns the exit status
        of the test. Everything started is stopped afterwards."""
        started = time.monotonic()
        try:
            for name, action in steps:
                self.do(name, action)
        except (StepFailed, subprocess.TimeoutExpired) as e:
            print("FEHLGESCHLAGEN in Schritt %d (%s): %s" % (self.step_no, self.step, e), flush=True)
            print("Ausgabe der gestarteten Programme:\n" + self.program_output(), flush=True)
            return 1
        finally:
            self.finish()
        print("Alle %d Schritte bestanden in %.1f s." % (len(steps), time.monotonic() - started), flush=True)
        return 0
