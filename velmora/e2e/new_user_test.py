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

import os
import re
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "e2e"))
from session import LONG, SHORT, Session, StepFailed  # noqa: E402

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


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    s = Session("velmora", *sys.argv[1:])
    saved = os.path.join(s.files, "neubau.kfx")
    pdf = os.path.join(s.files, "neubau.pdf")
    state = {}

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
            # Enter goes from field to field and, on "Weiter", closes the dialog.
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

    def new_calculation():
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
        # A new calculation asks for its project data; the new user leaves them for later.
        project = s.wait_window(r"^Projektdaten$", "project data dialog after the new calculation", LONG)
        s.screenshot("project_data")
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
        missing = [t for t in (MANUFACTURER, TYPE, FUEL, SYSTEM, CHOSEN_CAPTION) if t not in text]
        if missing:
            raise StepFailed("the PDF lacks %s" % ", ".join(map(repr, missing)))
        label = re.search(r"H=\S+ Dh=\S+", text)
        if not label or label.group(0) != CHOSEN_LABEL:
            raise StepFailed("the PDF's diagram shows %r, not the chosen point %r"
                             % (label.group(0) if label else None, CHOSEN_LABEL))

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

    steps = [("start", start), ("choose", choose), ("compute", compute), ("close_hint", close_hint),
             ("move_crosshair", move_crosshair), ("save", save), ("new", new_calculation),
             ("reopen", reopen), ("preview", preview), ("export_pdf", export_pdf),
             ("compute_nothing_chosen", compute_nothing_chosen), ("quit_without_saving", quit_without_saving)]
    return s.run_steps(steps)


if __name__ == "__main__":
    sys.exit(main())
