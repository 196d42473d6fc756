#!/usr/bin/env python3
"""Takes the path a new user takes through Tarsilo, with real input.

The program starts as `make run` starts it with VX_PROGRAM=tarsilo (in a copy
of data/, no arguments, the real library beside it) with fresh settings, on a
display of its own with a window manager, and is driven through xdotool:
answer the first-start dialogs and enter the project, choose fuel, system and
height, select all manufacturers and compute; sort by a real click on a
column header; write the remarks; save, refuse at its question to replace
another file, start anew, open the file again and compare; look at the
preview and export the PDF; cancel a long computation over a large catalogue
with a real click on "Abbrechen"; list the 20 kW heat generators through the
output filter; quit, answering the save question.

What the program computed is read from the files it writes (the saved table
and the PDF), never from the screen. Every wait polls with a limit and checks
that the program still runs; a failure names its step. A screenshot of each
step goes to the artefact folder.

Usage: new_user_test.py PROGRAM SOURCE_DIR ARTEFACT_DIR
"""

import os
import re
import struct
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "e2e"))
from session import CATALOGUE_NOTICE, LONG, PREVIEW, SHORT, USER_DATA, StepFailed, from_arguments  # noqa: E402

MAIN_NEW = r"^unbenannt - Tarsilo$"
MESSAGE = r"^Tarsilo$"
PROJECT = r"^Projektdaten$"
REMARKS_DIALOG = r"^Bemerkungen$"
PROGRESS = r"^Berechne W\u00e4rmeerzeuger\.\.\.$"

RECIPIENT = "Familie Brenner"
SITE = "Haus am Hang"
REMARKS = "Kamin vor Ort besichtigt"
HEIGHT = "10"

# The fuel list's positions the steps go to with the arrow keys.
FUEL_OIL, FUEL_GAS_ATMOSPHERIC, FUEL_COKE = 1, 3, 0
# Catalogue fuel kind and condensing flag of each fuel-list position.
FUEL_POSITIONS = {(0, 0): 0, (1, 0): 1, (1, 1): 10, (2, 0): 2, (2, 1): 11, (3, 0): 3, (8, 0): 4, (8, 1): 12,
                  (9, 0): 5, (10, 0): 6, (11, 0): 7, (12, 0): 8, (13, 0): 9}

# The large catalogue: invented manufacturers of atmospheric gas boilers,
# placed before the sample's, all of one heat generator's data.
SYNTHETIC_MAKERS = 40
SYNTHETIC_TYPES = 100
SYNTHETIC_DATA = "3;0;18.0;19.78;91.0;5.5;0.01453;110.0;3.0;0.0;0.130;0"

# The items of "Datei" the steps choose, by their letters ("Bemerkungen"
# shares its letter with "Beenden" and is reached by its shortcut); and a
# point inside the result list's header of the column "Typ", in the main
# window's coordinates.
SAVE_AS, PREVIEW_ITEM = "u", "t"
HEADER_TYPE = (380, 386)
# "Abbrechen" in the progress dialog's coordinates: below the text, centred.
CANCEL_BELOW_TEXT = 34


# ---- files ---------------------------------------------------------------

def archive_string(text):
    data = text.encode("cp1252")
    if len(data) < 0xFF:
        return bytes([len(data)]) + data
    return b"\xff" + struct.pack("<H", len(data)) + data


class SavedTable:
    """The items of a saved table that the steps compare."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.bytes = f.read()
        b = self.bytes
        try:
            self.format, self.fuel = struct.unpack_from("<ii", b, 0)
            at = 8
            self.fuel_name, at = self._string(at)
            self.shape, self.system, self.fu = struct.unpack_from("<iii", b, at)
            at += 12
            self.inputs = [struct.unpack_from("<d", b, at + 16 * i)[0] for i in range(5)]
        except (struct.error, IndexError) as e:
            raise StepFailed("%s is no table: %s" % (path, e))
        self.path = path

    def _string(self, at):
        n = self.bytes[at]
        at += 1
        if n == 0xFF:
            n = struct.unpack_from("<H", self.bytes, at)[0]
            at += 2
        return self.bytes[at:at + n].decode("cp1252"), at + n

    def holds(self, text):
        return archive_string(text) in self.bytes

    def rows(self, selected):
        """The result rows in list order. selected names the first selected
        manufacturer (or None for none), where the tail of the file starts;
        the tail must end the file exactly."""
        b = self.bytes
        marker = struct.pack("<i", 0) if selected is None else None
        starts = []
        if selected is None:
            starts = [m.start() for m in re.finditer(re.escape(marker), b)]
        else:
            key = archive_string(selected)
            starts = [m.start() - 4 for m in re.finditer(re.escape(key), b) if m.start() >= 4]
        for start in reversed(starts):
            try:
                at = start
                n = struct.unpack_from("<i", b, at)[0]
                at += 4
                if n < 0 or n > 100000:
                    continue
                for _ in range(n):
                    _, at = self._string(at)
                m = struct.unpack_from("<i", b, at)[0]
                at += 4
                if m < 0 or m > 1000000:
                    continue
                rows = []
                for _ in range(m):
                    row = []
                    for _ in range(4):
                        text, at = self._string(at)
                        row.append(text)
                    rows.append(row)
                if at + 8 == len(b) and struct.unpack_from("<i", b, at)[0] == 2:
                    return rows
            except (struct.error, IndexError, UnicodeDecodeError):
                continue
        raise StepFailed("the rows of %s cannot be found" % self.path)


def catalogue_lines(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    return [line for line in text.split("\r\n") if line.strip()]


def catalogue_entries(path):
    """(manufacturer, type, fuel-list position, output) of every line."""
    entries = []
    for line in catalogue_lines(path):
        fields = line.split(";")
        position = FUEL_POSITIONS.get((int(fields[2]), int(fields[3])))
        entries.append((fields[0], fields[1], position, float(fields[4])))
    return entries


def write_large_catalogue(data):
    """Puts the invented manufacturers before the sample's and writes the
    index of first lines anew. Returns the count of invented heat generators."""
    wrz = os.path.join(data, "velmora.wrz")
    lines = []
    for m in range(SYNTHETIC_MAKERS):
        for t in range(SYNTHETIC_TYPES):
            lines.append("Abgaswerk %02d Prüfstand;Atmo P%02d-%03d;%s" % (m + 1, m + 1, t + 1, SYNTHETIC_DATA))
    lines += catalogue_lines(wrz)
    text = ("\r\n".join(lines) + "\r\n").encode("cp1252")
    makers = {}
    order = []
    at = 0
    for line in text.split(b"\r\n"):
        if line:
            fields = line.split(b";")
            position = FUEL_POSITIONS.get((int(fields[2]), int(fields[3])))
            if fields[0] not in makers:
                makers[fields[0]] = [-1] * 13
                order.append(fields[0])
            if position is not None and makers[fields[0]][position] < 0:
                makers[fields[0]][position] = at
        at += len(line) + 2
    hst = b"".join(name + b"".join(b";%d" % o for o in makers[name]) + b"\r\n" for name in order)
    with open(wrz, "wb") as f:
        f.write(text)
    with open(os.path.join(data, "velmora.hst"), "wb") as f:
        f.write(hst)
    return SYNTHETIC_MAKERS * SYNTHETIC_TYPES


def sort_key(row, mode):
    """The list's order for a clicked column, upper-cased and byte-wise."""
    section, maker, kind, output = row
    keys = {0: "%s%-50s%-50s%13s" % (section, maker, kind, output),
            1: "%-50s%s%-50s%13s" % (maker, section, kind, output),
            2: "%-50s%-50s%s%13s" % (maker, kind, section, output),
            3: "%13s%s%-50s%-50s" % (output, section, maker, kind)}
    return keys[mode].upper().encode("cp1252")


def in_order(rows, mode):
    return all(sort_key(a, mode) <= sort_key(b, mode) for a, b in zip(rows, rows[1:]))


# ---- the steps -------------------------------------------------------------

def main():
    s = from_arguments("tarsilo", __doc__)
    if s is None:
        return 2
    # The tables go where a new user's files go: into the data folder, in
    # which the program starts and its file dialogs open.
    first = os.path.join(s.data, "anlage.kbv")
    again = os.path.join(s.data, "wieder.kbv")
    pdf = os.path.join(s.data, "anlage.pdf")
    sample = catalogue_entries(os.path.join(s.source, "data", "velmora.wrz"))
    state = {}

    def main_window():
        return state["main"]

    def dismiss(pattern, key, what):
        """Waits for the dialog of that title and closes it by key."""
        s.confirm(s.wait_dialog(pattern, what), key, "close of %s" % what)

    def menu(item, what):
        """Opens "Datei" by its letter and chooses an item by its letter. The
        form's own letters come first; "D" is the menu's alone."""
        s.open_menu(main_window(), "alt+d")
        s.screenshot("menu_" + what)
        s.menu_item(item)

    def run_computation(keys, what):
        """Presses keys that start a computation and waits until its progress
        dialog has come and gone: then the main window takes input again."""
        since = s.events.mark()
        s.focus(main_window())
        s.keys(*keys)
        s.wait(lambda: s.events.came_and_went(since, PROGRESS, "dialog"), LONG,
               "the progress dialog to come and go after %s" % what)

    def save_as(path):
        known = s.shown()
        menu(SAVE_AS, "save_as")
        s.answer_file_dialog(known, os.path.basename(path), "\"Speichern unter\"", save=True)
        name = re.escape(os.path.basename(path))
        s.wait(lambda: os.path.isfile(path), SHORT, "file %s after \"Speichern unter\"" % path)
        s.wait_window(r"^%s - Tarsilo$" % name, "main window titled \"%s - Tarsilo\"" % os.path.basename(path))
        return SavedTable(path)

    def save_again(path):
        before = os.stat(path).st_mtime_ns

        def written():
            return os.path.isfile(path) and os.stat(path).st_mtime_ns != before
        s.focus(main_window())
        s.keys("ctrl+s")
        s.wait(written, SHORT, "%s written again at Ctrl+S" % path)
        return SavedTable(path)

    def choose_fuel(presses):
        # With fresh settings the catalogue is old: each fuel passed on the
        # way brings the notice on its age. Closed by Escape or Enter, it
        # gives the keyboard back to the fuel list, where the next arrow goes on.
        s.focus(main_window())
        s.keys("alt+r")
        for i, key in enumerate(presses):
            s.focus(main_window())
            s.keys(key)
            dismiss(CATALOGUE_NOTICE, ("Escape", "Return")[i % 2], "notice on the catalogue after %s in the fuels" % key)
        s.focus(main_window())

    def select_all_and_compute():
        # "Alle" shares its letter with the menu "Ansicht": the form's button
        # comes first.
        run_computation(["alt+a", "alt+m"], "\"Alle\" (Alt+A) and \"Mach Et\" (Alt+M)")

    def start():
        s.check_tools()
        state["catalogue"] = write_large_catalogue(s.data)
        s.start_display()
        s.start_window_manager()
        s.start_program()
        found = s.wait(lambda: s.dialogs(USER_DATA) or s.mains(MAIN_NEW), LONG,
                       "user data dialog of the library beside the program, or the main window")
        if not re.search(USER_DATA, found[0][1]):
            raise StepFailed("a first start without the library's user data dialog: is libquorvel.so beside the program?")
        s.answer_user_data(found[0][0])
        state["main"] = s.wait_window(MAIN_NEW, "main window \"unbenannt - Tarsilo\"", LONG)
        s.check_icon(state["main"], "the main window")

    def answer_start_dialog():
        # The start picture and the start dialog are both titled "Tarsilo";
        # the dialog is the modal one, and the project comes after it.
        def start_dialog():
            if s.windows(PROJECT):
                raise StepFailed("the project data were asked for before the start dialog")
            return s.dialogs(MESSAGE)
        wid = s.wait(start_dialog, LONG, "modal start dialog \"Tarsilo\"")[0][0]
        s.screenshot("start_dialog")
        # "Neue Berechnung durchführen" is chosen; Enter goes on.
        s.confirm(wid, "Return", "close of the start dialog at \"Weiter\"")
        # The start picture goes by itself; it stays above the others until then.
        s.wait_gone(MESSAGE, "start picture to go by itself", LONG)

    def project_data():
        project = s.wait_dialog(PROJECT, "project data dialog after \"Neue Berechnung\"", LONG)
        s.focus(project)
        # Project number, editor, date, customer number, then the recipient.
        s.keys("Tab", "Tab", "Tab", "Tab")
        s.type_text(RECIPIENT)
        s.screenshot("recipient")
        state["project"] = project

    def site():
        # The site's first line and "Weiter" by their letters.
        s.focus(state["project"])
        s.keys("alt+a")
        s.type_text(SITE)
        s.screenshot("site_typed")
        s.keys("alt+w")
        s.wait_gone(PROJECT, "close of the project data at \"Weiter\" (Alt+W)")
        s.focus(main_window())
        if s.windows(PROJECT):
            raise StepFailed("a second project data dialog came")

    def choose():
        # Heizöl EL, the second fuel; the first system of the list.
        choose_fuel(["Down", "Down"])
        s.keys("alt+s", "Down", "alt+w", "ctrl+a")
        s.type_text(HEIGHT)
        select_all_and_compute()

    def compute():
        table = save_as(first)
        rows = table.rows(selected="Kesselwerk Almendorf GmbH")
        oil = {t for m, t, p, q in sample if p == FUEL_OIL}
        if not rows:
            raise StepFailed("the computation listed no heat generator")
        strangers = {r[2] for r in rows} - oil
        if strangers:
            raise StepFailed("rows of heat generators not of the fuel: %s" % sorted(strangers))
        if table.inputs[2] != float(HEIGHT) or table.fuel != FUEL_OIL:
            raise StepFailed("the saved inputs are fuel %d, height %r" % (table.fuel, table.inputs[2]))
        if not in_order(rows, 0) or in_order(rows, 2):
            raise StepFailed("the rows are not in the order of the cross-section (or already in that of the type)")
        state["rows"] = rows

    def sort_by_type():
        s.focus(main_window())
        s.click(main_window(), *HEADER_TYPE)
        rows = save_again(first).rows(selected="Kesselwerk Almendorf GmbH")
        if sorted(map(tuple, rows)) != sorted(map(tuple, state["rows"])):
            raise StepFailed("sorting changed the rows themselves")
        if not in_order(rows, 2):
            raise StepFailed("after a click on \"Typ\" the rows are not in the order of the type: %s"
                             % [r[2] for r in rows][:8])
        state["rows"] = rows

    def remarks():
        s.focus(main_window())
        known = s.shown()
        s.keys("ctrl+b")
        wid, title = s.new_window(known, "dialog \"Bemerkungen\" after Ctrl+B")
        if not re.search(REMARKS_DIALOG, title):
            raise StepFailed("instead of the remarks, a window %r appeared" % title)
        s.focus(wid)
        s.type_text(REMARKS)
        s.confirm(wid, "alt+w", "close of the remarks at \"Weiter\"")

    def save():
        table = save_again(first)
        missing = [t for t in (RECIPIENT, SITE, REMARKS) if not table.holds(t)]
        if missing:
            raise StepFailed("the saved table lacks %s" % ", ".join(map(repr, missing)))
        state["saved"] = table

    def refuse_replacing():
        # "Speichern unter" with the name of another table's file: Escape at
        # the question keeps that file and the table's name.
        s.refuse_replacing(main_window(), os.path.join(s.data, "nachbar.kbv"), b"eine andere Tabelle",
                           lambda: menu(SAVE_AS, "save_as_other"), MESSAGE, r"^anlage\.kbv - Tarsilo$", "table")

    def new_table():
        # From the fuel list: after the new table's dialogs the keyboard is
        # back there.
        s.focus(main_window())
        s.keys("alt+r", "ctrl+n")
        s.wait_window(MAIN_NEW, "new table \"unbenannt - Tarsilo\" after Ctrl+N")
        # A new table asks for its project, and the catalogue's age is told
        # again, over the project dialog: first the notice goes, then the project.
        s.wait(lambda: s.dialogs(PROJECT) and s.dialogs(CATALOGUE_NOTICE), LONG,
               "project data dialog and the notice on the catalogue after Ctrl+N")
        project = s.dialogs(PROJECT)[0][0]
        dismiss(CATALOGUE_NOTICE, "Escape", "notice on the catalogue")
        s.confirm(project, "Escape", "close of the project data at Escape")
        for key in ("Down", "Down"):
            s.focus(main_window())
            s.keys(key)
            dismiss(CATALOGUE_NOTICE, "Return", "notice on the catalogue after %s in the fuels of the new table" % key)

    def reopen():
        s.focus(main_window())
        known = s.shown()
        s.keys("ctrl+o")
        s.answer_file_dialog(known, os.path.basename(first), "Ctrl+O")
        s.wait_window(r"^anlage\.kbv - Tarsilo$", "reopened file \"anlage.kbv - Tarsilo\"", LONG)
        reopened = save_as(again)
        before = state["saved"]
        if reopened.rows("Kesselwerk Almendorf GmbH") != before.rows("Kesselwerk Almendorf GmbH"):
            raise StepFailed("the reopened table has other rows")
        if (reopened.fuel, reopened.fuel_name, reopened.system, reopened.inputs) != \
                (before.fuel, before.fuel_name, before.system, before.inputs):
            raise StepFailed("the reopened inputs differ: %r against %r" % (reopened.inputs, before.inputs))
        if reopened.bytes != before.bytes:
            raise StepFailed("saved again, the reopened table differs from the first file")

    def preview():
        known = s.shown()
        menu(PREVIEW_ITEM, "preview")
        s.look_at_preview(known, PREVIEW)

    def export_pdf():
        text = s.export_pdf(main_window(), pdf)
        lines = [line for line in text.splitlines() if re.match(r"\s*\d\.\d{3}\s", line)]
        if len(lines) != len(state["rows"]):
            raise StepFailed("the PDF has %d rows, the table %d" % (len(lines), len(state["rows"])))
        for line, row in zip(lines, state["rows"]):
            if row[2] not in line or row[0] not in line:
                raise StepFailed("the PDF's row %r is not the table's %r" % (line.strip(), row))
        missing = [t for t in (RECIPIENT, SITE, REMARKS, "Heizöl EL") if t not in text]
        if missing:
            raise StepFailed("the PDF lacks %s" % ", ".join(map(repr, missing)))

    def cancel_long_computation():
        choose_fuel(["Down", "Down"])
        since = s.events.mark()
        s.focus(main_window())
        s.keys("alt+a", "alt+m")
        progress = s.wait_window(PROGRESS, "progress dialog \"Berechne Wärmeerzeuger...\"", LONG, kind="dialog")
        s.screenshot("progress")
        x, y, w, h = s.geometry(progress)
        s.click(progress, w // 2, h - CANCEL_BELOW_TEXT)
        s.wait(lambda: s.events.came_and_went(since, PROGRESS, "dialog"), SHORT,
               "the progress dialog to close after a click on \"Abbrechen\"")
        rows = save_again(again).rows(selected="Abgaswerk 01 Prüfstand")
        if not rows or len(rows) >= state["catalogue"]:
            raise StepFailed("after the cancel %d rows stay, of %d heat generators" % (len(rows), state["catalogue"]))
        print("  %d von %d Wärmeerzeugern berechnet" % (len(rows), state["catalogue"]), flush=True)

    def output_filter():
        choose_fuel(["Up", "Up", "Up"])
        s.keys("alt+v", "ctrl+a")
        s.type_text("20")
        s.keys("alt+b", "ctrl+a")
        s.type_text("0")
        select_all_and_compute()

    def quit_saving():
        p = s.processes["tarsilo"]
        s.focus(main_window())
        s.keys("alt+F4")
        box = s.wait_dialog(MESSAGE, "save question when quitting")
        s.screenshot("save_question")
        s.focus(box)
        s.keys("alt+j")
        s.wait(lambda: p.poll() is not None, SHORT, "the program to end after \"Ja\"", watch="")
        if p.returncode != 0:
            raise StepFailed("the program ended with exit status %d" % p.returncode)
        # Only the heat generators of exactly 20 kW of the chosen fuel.
        expected = {t for m, t, position, q in sample if position == FUEL_COKE and q == 20.0}
        rows = SavedTable(again).rows(selected=[m for m, t, pos, q in sample if pos == FUEL_COKE][0])
        listed = {r[2] for r in rows}
        if listed != expected:
            raise StepFailed("\"von\" 20, \"bis\" 0 listed %s, the catalogue has %s" % (sorted(listed), sorted(expected)))

    steps = [("start", start), ("answer_start_dialog", answer_start_dialog), ("project_data", project_data),
             ("site", site), ("choose", choose), ("compute", compute), ("sort_by_type", sort_by_type),
             ("remarks", remarks), ("save", save),
             ("refuse_replacing", refuse_replacing), ("new", new_table), ("reopen", reopen),
             ("preview", preview), ("export_pdf", export_pdf), ("cancel_long_computation", cancel_long_computation),
             ("output_filter", output_filter), ("quit_saving", quit_saving)]
    return s.run_steps(steps)


if __name__ == "__main__":
    sys.exit(main())
