#!/usr/bin/env python3
"""Takes the path a new user takes through Velmora, with real input.

The program starts as `make run` starts it (in a copy of data/, no
arguments) with a settings folder of its own, on a display of its own with a
window manager, and is driven through xdotool: choose a heat generator and a
system, compute, close the hint, move the crosshair, save, refuse at its
question to replace another file, open the file again, look at the preview,
export the PDF, compute with nothing chosen and quit without saving. Every
wait polls for something visible (a window, a file) and has a limit; a
failure names its step. A screenshot of each step goes to the artefact folder.

Usage: new_user_test.py PROGRAM SOURCE_DIR ARTEFACT_DIR
"""

import os
import re
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "e2e"))
from session import CATALOGUE_NOTICE, LONG, PREVIEW, SHORT, USER_DATA, StepFailed, from_arguments  # noqa: E402

MAIN_NEW = r"^unbenannt - Velmora$"
MESSAGE = r"^Velmora$"
HINT = r"^Hinweis$"

# The choice the steps make with the keyboard: the first entries of each list.
FUEL = "Heizöl EL"
MANUFACTURER = "Kesselwerk Almendorf GmbH"
TYPE = "Oleomat 17"
SYSTEM = "dreischalig m. NW (Keramik)"

# The condensing choice: the first maker and type of "Brennwert - Erdgas".
CONDENSING_FUEL = "Erdgas"
CONDENSING_MAKER = "Kesselwerk Almendorf GmbH"
CONDENSING_TYPE = "Kondensa 15"
# A click in the band, in the main window's coordinates, near 20 m and 30 cm.
CONDENSING_POINT = (681, 390)
CONDENSING_AROUND = ((19.0, 21.0), (25.0, 35.0))

# Arrow presses in the diagram and where they lead from the start point
# (10 m and the heat generator's outlet).
RIGHT_PRESSES = 15
UP_PRESSES = 20
CHOSEN_LABEL = "H=11.5 Dh=15.0"
CHOSEN_CAPTION = "0,15 m (rund)"


def main():
    s = from_arguments("velmora", __doc__)
    if s is None:
        return 2
    # The calculation goes where a new user's files go: into the data
    # folder, in which the program starts and its file dialogs open.
    saved = os.path.join(s.data, "neubau.kfx")
    pdf = os.path.join(s.data, "neubau.pdf")
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
        s.check_tools()
        s.start_display()
        s.start_window_manager()
        s.start_program()
        # A first start asks for the user's firm data, through the library.
        found = s.wait(lambda: s.dialogs(USER_DATA) or s.mains(MAIN_NEW), LONG,
                       "user data dialog or main window \"unbenannt - Velmora\"")
        if re.search(USER_DATA, found[0][1]):
            s.answer_user_data(found[0][0])
        state["main"] = s.wait_window(MAIN_NEW, "main window \"unbenannt - Velmora\"", LONG)
        s.check_icon(state["main"], "the main window")
        # The library's start dialog and the start picture are both titled
        # "Velmora"; the dialog is the modal one. A new calculation is what
        # this user wants.
        start_dialog = s.wait_dialog(MESSAGE, "modal start dialog \"Velmora\"", LONG)
        s.screenshot("start_dialog")
        s.confirm(start_dialog, "Escape", "close of the start dialog at Escape")
        # The start picture goes by itself; it stays above the form until then.
        s.wait_gone(MESSAGE, "start picture to go by itself", LONG)

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
        # With fresh settings the catalogue is old: each fuel chosen brings the
        # library's notice on its age. Closed by Escape or Enter, it gives the
        # keyboard back to the fuel list, where the next arrow goes on.
        def dismiss_notice(key):
            notice = s.wait_dialog(CATALOGUE_NOTICE, "notice on the catalogue's age after a fuel choice")
            s.confirm(notice, key, "close of the catalogue notice by %s" % key)
            s.focus(state["main"])
        s.keys("alt+b", "Down")
        dismiss_notice("Escape")
        s.keys("Down")
        dismiss_notice("Return")
        # "Abgasanlage" shares its letter with the menu "Ansicht": the form's
        # label comes first.
        s.keys("alt+h", "Down", "alt+t", "Down", "alt+a", "Down")

    def compute():
        # "Mach Et" by its letter, from the system list that has the keyboard:
        # the list must not search for "M".
        s.focus(state["main"])
        s.keys("alt+m")
        found = s.wait(lambda: s.dialogs(HINT) or s.dialogs(MESSAGE), LONG,
                       "hint dialog \"Hinweis\" after Alt+M (\"Mach Et\") in the system list")
        if not re.search(HINT, found[0][1]):
            raise StepFailed("a message instead of the hint: the choice did not take (see the screenshot)")

    def close_hint():
        hint = s.wait_dialog(HINT, "hint dialog")
        s.confirm(hint, "Return", "close of the hint dialog by Enter")

    def move_crosshair():
        # After the computation the diagram has the keyboard.
        s.focus(state["main"])
        s.keys(*(["Right"] * RIGHT_PRESSES + ["Up"] * UP_PRESSES))

    def save():
        known = s.shown()
        s.keys("ctrl+s")
        s.answer_file_dialog(known, os.path.basename(saved), "Ctrl+S", save=True)
        s.wait(lambda: os.path.isfile(saved), SHORT, "file %s after the save dialog" % saved)
        s.wait_window(r"^neubau\.kfx - Velmora$", "main window titled \"neubau.kfx - Velmora\"")
        # The calculation file holds the typed texts as they were typed.
        with open(saved, "rb") as f:
            content = f.read()
        typed = list(recipient.values()) + list(site.values()) + [recipient_town, site_town, remark]
        missing = [t for t in typed if t.encode("cp1252") not in content]
        if missing:
            raise StepFailed("the saved file lacks %s" % ", ".join(map(repr, missing)))

    def refuse_replacing():
        # "Speichern unter" with the name of another calculation's file:
        # Escape at the question keeps that file and the calculation's name.
        state.setdefault("kept", set()).add("nachbar.kfx")

        def choose_save_as():
            s.open_menu(state["main"], "alt+d")
            s.menu_item("u")

        s.refuse_replacing(state["main"], os.path.join(s.data, "nachbar.kfx"), b"eine andere Berechnung",
                           choose_save_as, MESSAGE, r"^neubau\.kfx - Velmora$", "calculation")

    def new_calculation(fill=False):
        s.focus(state["main"])
        s.keys("ctrl+n")
        # A changed calculation brings the save question first; "Nein" drops
        # it. Then the new calculation asks for its project data. Both wait
        # for an answer.
        project_pattern = r"^Projektdaten$"
        found = s.wait(lambda: s.dialogs(MESSAGE) or s.dialogs(project_pattern), LONG,
                       "save question or project data dialog after Ctrl+N")
        if re.search(MESSAGE, found[0][1]):
            s.screenshot("new_question")
            # The button's letter alone answers.
            s.confirm(found[0][0], "n", "close of the save question at \"Nein\" (N)")
            found = s.wait(lambda: s.dialogs(project_pattern), LONG,
                           "project data dialog after \"Nein\"")
        project = found[0][0]
        state["main"] = s.wait_window(MAIN_NEW, "new calculation \"unbenannt - Velmora\" after Ctrl+N")
        s.screenshot("project_data")
        if fill:
            fill_project(project)
            return
        s.confirm(project, "Escape", "close of the project data at Escape")

    def reopen():
        known = s.shown()
        s.keys("ctrl+o")
        s.answer_file_dialog(known, os.path.basename(saved), "Ctrl+O")
        state["main"] = s.wait_window(r"^neubau\.kfx - Velmora$", "reopened file \"neubau.kfx - Velmora\"", LONG)
        # The reopened file is computed again, with its hint.
        s.wait_dialog(HINT, "hint dialog after the reopened file's computation", LONG)
        s.screenshot("reopened")
        close_hint()

    def preview():
        s.focus(state["main"])
        known = s.shown()
        # Datei > Seitenansicht through the menu's mnemonics.
        s.open_menu(state["main"], "alt+d")
        s.menu_item("t")
        s.look_at_preview(known, PREVIEW)

    def export_pdf():
        text = s.export_pdf(state["main"], pdf)
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
            known = s.shown()
            s.open_menu(state["main"], keys[0])
            s.menu_item(*keys[1:])
            wid, title = s.new_window(known, "dialog %s through %s" % (pattern, "+".join(keys)))
            if not re.search(pattern, title):
                raise StepFailed("%s opened %r instead of %s" % (" ".join(keys), title, pattern))
            s.screenshot("library_" + title.split()[0].lower())
            s.focus(wid)
            s.confirm(wid, "Escape", "close of %r at Escape" % title)
        if not s.mains(r"^neubau\.kfx - Velmora$"):
            raise StepFailed("the main window lost its file after the library's dialogs")
        # "Abbruch" in the user data keeps what the first start stored.
        with open(os.path.join(s.data, "anwender.dat"), "rb") as f:
            if b"Name1=Kaminbau Ost" not in f.read():
                raise StepFailed("the user data lost the firm's name after the dialogs")

    def condensing_round_trip():
        # A condensing boiler on a moist chimney, saved and opened again: the
        # form finds its fuel, maker and type again (only then is the file
        # computed, with its hint), the opened calculation is unchanged (Ctrl+N
        # asks nothing), and opened once more from the recent files it prints
        # the saved point inside its computed band.
        condensing = os.path.join(s.data, "brennwert.kfx")
        condensing_pdf = os.path.join(s.data, "brennwert.pdf")
        title = r"^brennwert\.kfx - Velmora$"

        def opened(how):
            state["main"] = s.wait_window(title, "main window \"brennwert.kfx - Velmora\" after %s" % how, LONG)
            s.wait_dialog(HINT, "hint after %s: the form found the file's fuel, maker and type" % how, LONG)
            s.screenshot("condensing_" + how.split()[0].lower().replace("+", ""))
            close_hint()

        new_calculation()
        # The condensing fuels end the list: End, then Up to "Brennwert - Erdgas";
        # each choice brings the catalogue's notice.
        for keys in (("alt+b", "End"), ("Up",)):
            s.focus(state["main"])
            s.keys(*keys)
            notice = s.wait_dialog(CATALOGUE_NOTICE, "notice on the catalogue's age after %s in the fuels" % keys[-1])
            s.confirm(notice, "Return", "close of the catalogue notice by Enter")
        s.focus(state["main"])
        # Dry, this boiler finds no size on the chimney: the moist regime ("feuchte Betriebsweise").
        s.keys("alt+h", "Down", "alt+t", "Down", "alt+a", "Down", "alt+f")
        compute()
        close_hint()
        # The start point lies at the band's edge: a click chooses one inside it.
        s.click(state["main"], *CONDENSING_POINT)
        s.focus(state["main"])
        known = s.shown()
        s.keys("ctrl+s")
        s.answer_file_dialog(known, os.path.basename(condensing), "Ctrl+S", save=True)
        s.wait(lambda: os.path.isfile(condensing), SHORT, "file %s after the save dialog" % condensing)
        state.setdefault("kept", set()).add(os.path.basename(condensing))
        state["main"] = s.wait_window(title, "main window titled \"brennwert.kfx - Velmora\"")

        new_calculation()
        s.focus(state["main"])
        known = s.shown()
        s.keys("ctrl+o")
        s.answer_file_dialog(known, os.path.basename(condensing), "Ctrl+O")
        opened("Ctrl+O")
        s.focus(state["main"])
        s.keys("ctrl+n")
        found = s.wait(lambda: s.dialogs(MESSAGE) or s.dialogs(r"^Projektdaten$"), LONG,
                       "project data dialog after Ctrl+N on the opened file")
        if re.search(MESSAGE, found[0][1]):
            raise StepFailed("the opened, unchanged calculation asks to be saved")
        s.confirm(found[0][0], "Escape", "close of the project data at Escape")
        state["main"] = s.wait_window(MAIN_NEW, "new calculation \"unbenannt - Velmora\" after Ctrl+N")

        # Datei > the first recent file.
        s.open_menu(state["main"], "alt+d")
        s.menu_item("1")
        opened("recent file")
        text = s.export_pdf(state["main"], condensing_pdf)
        wanted = (CONDENSING_MAKER, CONDENSING_TYPE, CONDENSING_FUEL, SYSTEM)
        missing = [t for t in wanted if t not in text]
        if missing:
            raise StepFailed("the opened condensing calculation prints without %s" % ", ".join(map(repr, missing)))
        # The label shows only for a point inside the computed band.
        label = re.search(r"H=(\S+) Dh=(\S+)", text)
        if not label or not all(lo <= float(v) <= hi for v, (lo, hi) in zip(label.groups(), CONDENSING_AROUND)):
            raise StepFailed("the opened condensing diagram shows %r, not the point clicked near %s"
                             % (label.group(0) if label else None, CONDENSING_AROUND))

    def compute_nothing_chosen():
        new_calculation()
        s.focus(state["main"])
        s.keys("alt+m")
        box = s.wait_dialog(MESSAGE, "message after \"Mach Et\" with nothing chosen")
        s.screenshot("nothing_chosen_message")
        s.confirm(box, "Return", "message to close at Enter")

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
        box = s.wait_dialog(MESSAGE, "save question when quitting")
        s.screenshot("save_question")
        s.focus(box)
        s.keys("alt+n")
        p = s.processes["velmora"]
        s.wait(lambda: p.poll() is not None, SHORT, "the program to end after \"Nein\"", watch="")
        if p.returncode != 0:
            raise StepFailed("the program ended with exit status %d" % p.returncode)
        kept = {os.path.basename(saved)} | state.get("kept", set())
        strays = [f for f in os.listdir(s.data) if f.lower().endswith(".kfx") and f not in kept]
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
             ("move_crosshair", move_crosshair), ("save", save),
             ("refuse_replacing", refuse_replacing), ("new", new_calculation),
             ("reopen", reopen), ("preview", preview), ("export_pdf", export_pdf),
             ("library_dialogs", library_dialogs), ("condensing_round_trip", condensing_round_trip),
             ("compute_nothing_chosen", compute_nothing_chosen), ("quit_without_saving", quit_without_saving)]
    return s.run_steps(steps)


if __name__ == "__main__":
    sys.exit(main())
