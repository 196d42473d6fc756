#!/usr/bin/env python3
"""Installs the build into a fresh prefix and starts the installed programs as
a desktop menu starts them: by the link in bin/, in the home folder, with an
empty home and fresh settings.

The installed tree is checked (links, library, layouts, resources, sample
data, desktop entries with desktop-file-validate, icons); then each program,
Velmora first, must come up to the library's start dialog without a database
error, with its data path set to the user's own copy of the sample data,
where the library's tables are opened, and end cleanly. Nothing may be written
into the installed tree or the home folder itself.

Usage: installed_test.py CMAKE BUILD_DIR SOURCE_DIR ARTEFACT_DIR
"""

import os
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "e2e"))
from session import LONG, SHORT, Session, StepFailed  # noqa: E402

PROGRAMS = ("velmora", "tarsilo")
USER_DATA = r"^Anwenderdaten$"
ERROR_BOX = r"FEHLER|Fehler"
COMPANY = "Trevalen Software GmbH"


def tree(root):
    """Every file under root with its size and time: what an install left."""
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            found[os.path.relpath(path, root)] = (st.st_size, st.st_mtime_ns)
    return found


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    cmake, build, source, artefacts = sys.argv[1:]
    # The session's name is the test's until a program runs: its log and
    # artefacts are this test's own.
    s = Session("installed", os.path.join(build, "velmora", "velmora"), source, artefacts)
    s.prefix = "installed_programs"
    for entry in os.listdir(s.artefacts):
        if entry.startswith(s.prefix):
            os.remove(os.path.join(s.artefacts, entry))
    prefix = os.path.join(s.root, "prefix")
    data = os.path.join(s.home, ".local", "share", COMPANY, "Daten")
    state = {}

    def check_file(path, what):
        if not os.path.isfile(path):
            raise StepFailed("the install has no %s (%s)" % (what, path))

    def install():
        s.check_tools()
        if not shutil.which("desktop-file-validate"):
            raise StepFailed("missing desktop-file-validate (scripts/install-deps installs it)")
        r = subprocess.run([cmake, "--install", build, "--prefix", prefix], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=LONG)
        if r.returncode != 0:
            raise StepFailed("cmake --install failed:\n" + r.stdout.decode("utf-8", "replace")[-2000:])
        programs = os.path.join(prefix, "lib", "velmora")
        for name in PROGRAMS:
            link = os.path.join(prefix, "bin", name)
            if not os.path.islink(link) or os.path.realpath(link) != os.path.realpath(os.path.join(programs, name)):
                raise StepFailed("bin/%s does not lead to the program in lib/velmora" % name)
            entry = os.path.join(prefix, "share", "applications", name + ".desktop")
            check_file(entry, "desktop entry for %s" % name)
            r = subprocess.run(["desktop-file-validate", entry], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if r.returncode != 0 or r.stdout.strip():
                raise StepFailed("desktop-file-validate %s: %s" % (entry, r.stdout.decode("utf-8", "replace")))
            with open(entry, encoding="utf-8") as f:
                text = f.read()
            if 'Exec="%s" %%f' % os.path.join(prefix, "bin", name) not in text or "Icon=%s\n" % name not in text:
                raise StepFailed("the desktop entry of %s names another program or icon:\n%s" % (name, text))
            for size in ("48x48", "256x256"):
                icon = os.path.join(prefix, "share", "icons", "hicolor", size, "apps", name + ".png")
                check_file(icon, "icon")
                with open(icon, "rb") as f:
                    if f.read(8) != b"\x89PNG\r\n\x1a\n":
                        raise StepFailed("%s is no PNG" % icon)
        for name in ("libquorvel.so", "Velmora.LST", "Tarsilo.LST", "resources/velmora/strings.txt",
                     "resources/tarsilo/strings.txt", "resources/quorvel/fields.xrc"):
            check_file(os.path.join(programs, name), name)
        for name in ("PLZORT.DBF", "PLZORT.MDX", "velmora.wrz", "velmora.hst", "INNENTAB.INI", "Bestell.LST"):
            check_file(os.path.join(prefix, "share", "velmora", "data", name), "sample data " + name)
        state["tree"] = tree(prefix)

    def no_error_box():
        boxes = [w for w in s.windows(ERROR_BOX) if s.kind(w[0]) in ("modal", "dialog")]
        if boxes:
            raise StepFailed("the program shows the error box %r" % boxes[0][1])

    def run_program(name):
        s.name = name
        main_title = r"^unbenannt - %s$" % name.capitalize()
        start_title = r"^%s$" % name.capitalize()
        # As a desktop menu starts it: by the link in bin/, in the home folder.
        s.spawn(name, [os.path.join(prefix, "bin", name)], cwd=s.home)

        def first_window():
            no_error_box()
            return s.dialogs(USER_DATA) or s.mains(main_title)
        found = s.wait(first_window, LONG, "user data dialog or main window of %s" % name)
        if re.search(USER_DATA, found[0][1]):
            s.screenshot("%s_user_data" % name)
            s.focus(found[0][0])
            s.type_text("Kaminbau Ost")
            # Eight presses of Enter lead from the first field to "Weiter".
            s.keys(*["Return"] * 8)
            s.confirm(found[0][0], "Return", "close of the user data dialog by Enter", LONG)

        # The library's start dialog comes once its tables are open.
        def start_dialog():
            no_error_box()
            return s.mains(main_title) and s.dialogs(start_title)
        wid = s.wait(start_dialog, LONG, "main window and modal start dialog of %s" % name)[0][0]
        s.screenshot("%s_start_dialog" % name)
        s.confirm(wid, "Escape", "close of the start dialog at Escape")
        s.wait_gone(start_title, "start picture to go by itself", LONG)
        main = s.mains(main_title)[0][0]
        s.focus(main)
        s.keys("alt+F4")
        p = s.processes[name]
        s.wait(lambda: p.poll() is not None, SHORT, "%s to end at Alt+F4" % name, watch="")
        if p.returncode != 0:
            raise StepFailed("%s ended with exit status %d" % (name, p.returncode))
        # A box that came and went between two looks counts too.
        seen = [n[0] for event, _, n in s.events.events if n and re.search(ERROR_BOX, n[0])]
        if seen:
            raise StepFailed("%s showed the error box %r" % (name, seen[0]))

    def check_data(name):
        ini = os.path.join(s.config, COMPANY, "%s.ini" % name.capitalize())
        with open(ini, encoding="cp1252") as f:
            settings = f.read()
        if not re.search(r"^\[Datenbank\]\s*^Pfad=%s$" % re.escape(data), settings, re.M):
            raise StepFailed("the settings name no data path %s:\n%s" % (data, settings))
        # The library created its tables beside the places in the user's copy,
        # and the user file lies there too.
        for table in ("PLZORT.DBF", "velmora.wrz", "ADRESSE.DBF", "ADRESSE.MDX", "anwender.dat"):
            if not os.path.isfile(os.path.join(data, table)):
                raise StepFailed("no %s in the user's data folder %s: %s" % (table, data, sorted(os.listdir(data))))
        strays = [f for f in os.listdir(s.home) if not f.startswith(".")]
        if strays:
            raise StepFailed("the program wrote into the home folder it started in: %s" % strays)
        if tree(prefix) != state["tree"]:
            raise StepFailed("the program changed the installed tree")

    def start_display():
        s.start_display()
        s.start_window_manager()

    steps = [("install", install), ("display", start_display)]
    for name in PROGRAMS:
        steps += [("%s_start" % name, lambda n=name: run_program(n)),
                  ("%s_data" % name, lambda n=name: check_data(n))]
    return s.run_steps(steps)


if __name__ == "__main__":
    sys.exit(main())
