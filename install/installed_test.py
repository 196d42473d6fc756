#!/usr/bin/env python3
"""Installs the build into a fresh prefix, as the README says (stripped), and
starts the installed programs as a desktop menu starts them: by the link in
bin/, in the home folder, with an empty home and fresh settings, as a user
whose name and so home folder hold a character outside code page 1252.

The installed tree is checked (links, stripped programs, library, layouts,
resources, sample data, desktop entries with desktop-file-validate, icons in
every size for programs and file types, the file types); with the desktop's
caches made as a packager makes them, a .kfx and a .kbv resolve to their
programs through xdg-mime. Then the installed tree is made unwritable (for
root, the programs run without the capability that overrides that) and each
program, Velmora first, must come up to the library's start dialog without a
database error, with its data path set to the user's own copy of the sample
data, where the library's tables are opened, and end cleanly. Velmora then
keeps a changed margin across a restart, also when its settings name the
layout in the program's folder, as an older start stored it; and it opens
"Łódź.kfx" in the folder "Kunden ł" from the command line and as a file URI,
saves it under a new such name and opens that again. Nothing may be written
into the installed tree or the home folder itself.

Usage: installed_test.py CMAKE BUILD_DIR SOURCE_DIR ARTEFACT_DIR
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import urllib.parse

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "e2e"))
from session import LONG, SHORT, USER_DATA, Session, StepFailed  # noqa: E402

PROGRAMS = ("velmora", "tarsilo")
ERROR_BOX = r"FEHLER|Fehler"
COMPANY = "Trevalen Software GmbH"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# A window's icons: the larger ones the desktop takes from the installed icons.
WINDOW_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128)
FILE_TYPES = {"velmora": ("kfx", "application/x-velmora-berechnung"),
              "tarsilo": ("kbv", "application/x-tarsilo-berechnung")}
FORM_DIALOG = r"^Ausdruck konfigurieren$"
# Without these a process of root writes wherever the file modes say no.
NO_OVERRIDE = ["setpriv", "--bounding-set=-dac_override,-fowner"]


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
    programs = os.path.join(prefix, "lib", "velmora")
    # A user named with a letter that code page 1252 has not got.
    s.home = os.path.join(s.root, "\u0142ukasz")
    os.makedirs(s.home)
    data = os.path.join(s.home, ".local", "share", COMPANY, "Daten")
    customers = os.path.join(s.root, "Kunden \u0142")
    first_file = os.path.join(customers, "\u0141\u00f3d\u017a.kfx")
    second_file = os.path.join(customers, "\u0141\u00f3d\u017a \u017bory\u0144.kfx")
    velmora_ini = os.path.join(s.config, COMPANY, "Velmora.ini")
    state = {}

    def type_text(text):
        # A letter outside the keyboard's map goes in by its code (Ctrl+Shift+U,
        # hex digits, space), which GTK's own input takes: xdotool's own way
        # maps a spare key for a moment and may lose the letter.
        plain = ""
        for ch in text + "\0":
            if " " <= ch < "\x7f":
                plain += ch
                continue
            if plain:
                s.xdotool("type", "--clearmodifiers", "--delay", "40", plain)
                plain = ""
            if ch != "\0":
                s.keys("ctrl+shift+u")
                s.xdotool("type", "--delay", "40", "%x" % ord(ch))
                s.keys("space")
    s.type_text = type_text

    def check_file(path, what):
        if not os.path.isfile(path):
            raise StepFailed("the install has no %s (%s)" % (what, path))

    def install():
        s.check_tools()
        if not shutil.which("desktop-file-validate"):
            raise StepFailed("missing desktop-file-validate (scripts/install-deps installs it)")
        r = subprocess.run([cmake, "--install", build, "--prefix", prefix, "--strip"], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=LONG)
        if r.returncode != 0:
            raise StepFailed("cmake --install failed:\n" + r.stdout.decode("utf-8", "replace")[-2000:])
        for name in PROGRAMS + ("libquorvel.so",):
            kind = s.run(["file", "-b", "-L", os.path.join(programs, name)])
            if ", stripped" not in kind:
                raise StepFailed("%s is installed with its symbols: %s" % (name, kind.strip()))
        check_file(os.path.join(prefix, "share", "mime", "packages", "velmora-mime.xml"), "file types")
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
            if ('Exec="%s" %%f' % os.path.join(prefix, "bin", name) not in text or "Icon=%s\n" % name not in text
                    or "MimeType=%s;\n" % FILE_TYPES[name][1] not in text):
                raise StepFailed("the desktop entry of %s names another program, icon or file type:\n%s"
                                 % (name, text))
            for size in ICON_SIZES:
                hicolor = os.path.join(prefix, "share", "icons", "hicolor", "%dx%d" % (size, size))
                for icon in (os.path.join(hicolor, "apps", name + ".png"),
                             os.path.join(hicolor, "mimetypes", FILE_TYPES[name][1].replace("/", "-") + ".png")):
                    check_file(icon, "icon")
                    with open(icon, "rb") as f:
                        head = f.read(24)
                    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[16:24] != struct.pack(">II", size, size):
                        raise StepFailed("%s is no PNG of %d x %d" % (icon, size, size))
        for name in ("libquorvel.so", "Velmora.LST", "Tarsilo.LST", "resources/velmora/strings.txt",
                     "resources/tarsilo/strings.txt", "resources/quorvel/fields.xrc",
                     "resources/platform/strings.txt", "resources/dbase/strings.txt"):
            check_file(os.path.join(programs, name), name)
        for name in ("PLZORT.DBF", "PLZORT.MDX", "velmora.wrz", "velmora.hst", "INNENTAB.INI", "Bestell.LST"):
            check_file(os.path.join(prefix, "share", "velmora", "data", name), "sample data " + name)

    def file_types():
        # The caches, made as a packager's scripts make them after an install.
        share = os.path.join(prefix, "share")
        for command in (["update-mime-database", os.path.join(share, "mime")],
                        ["update-desktop-database", os.path.join(share, "applications")]):
            r = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=SHORT)
            if r.returncode != 0:
                raise StepFailed("%s failed: %s" % (command[0], r.stdout.decode("utf-8", "replace")))
        # A desktop that asks GIO for a file's type, as a file manager does.
        env = s.env(XDG_DATA_DIRS=share + ":/usr/share", XDG_CURRENT_DESKTOP="GNOME")
        os.makedirs(customers)

        def xdg_mime(*args):
            r = subprocess.run(["xdg-mime", "query"] + list(args), env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=SHORT)
            return r.stdout.decode("utf-8", "replace").strip()
        for name, (extension, mime) in FILE_TYPES.items():
            probe = os.path.join(customers, "Probe.%s" % extension.upper())
            with open(probe, "wb") as f:
                f.write(b"\x00\x01\x02\x03")
            found = xdg_mime("filetype", probe)
            if found != mime:
                raise StepFailed("xdg-mime takes %s for a %s, not %s" % (found or "nothing", probe, mime))
            default = xdg_mime("default", mime)
            if default != name + ".desktop":
                raise StepFailed("xdg-mime opens %s with %r, not %s.desktop" % (mime, default, name))
            os.remove(probe)

    def protect():
        # Installed for everyone: the user cannot write into the installed tree.
        for folder, dirs, files in os.walk(prefix):
            for entry in dirs + files:
                path = os.path.join(folder, entry)
                if not os.path.islink(path):
                    os.chmod(path, os.stat(path).st_mode & ~0o222)
        os.chmod(prefix, os.stat(prefix).st_mode & ~0o222)
        state["tree"] = tree(prefix)

    def launch(name, *args):
        # As a desktop menu starts it: by the link in bin/, in the home folder.
        s.name = name
        command = [os.path.join(prefix, "bin", name)] + list(args)
        s.spawn(name, (NO_OVERRIDE if os.geteuid() == 0 else []) + command, cwd=s.home)

    def no_error_box():
        boxes = [w for w in s.windows(ERROR_BOX) if s.kind(w[0]) in ("modal", "dialog")]
        if boxes:
            raise StepFailed("the program shows the error box %r" % boxes[0][1])

    def run_program(name):
        s.name = name
        main_title = r"^unbenannt - %s$" % name.capitalize()
        start_title = r"^%s$" % name.capitalize()
        launch(name)

        def first_window():
            no_error_box()
            return s.dialogs(USER_DATA) or s.mains(main_title)
        found = s.wait(first_window, LONG, "user data dialog or main window of %s" % name)
        if re.search(USER_DATA, found[0][1]):
            s.screenshot("%s_user_data" % name)
            s.answer_user_data(found[0][0])

        # The library's start dialog comes once its tables are open.
        def start_dialog():
            no_error_box()
            return s.mains(main_title) and s.dialogs(start_title)
        wid = s.wait(start_dialog, LONG, "main window and modal start dialog of %s" % name)[0][0]
        s.screenshot("%s_start_dialog" % name)
        s.confirm(wid, "Escape", "close of the start dialog at Escape")
        s.wait_gone(start_title, "start picture to go by itself", LONG)
        main = s.mains(main_title)[0][0]
        # The window gives the desktop its icon in every size it may show.
        sizes = {int(w) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", s.run(["xprop", "-id", main, "_NET_WM_ICON"]))
                 if w == h}
        if not set(WINDOW_ICON_SIZES) <= sizes:
            raise StepFailed("the main window of %s has icons of %s only" % (name, sorted(sizes)))
        quit_program(name, main)

    def quit_program(name, main):
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

    def velmora_up(title, *args):
        """Starts Velmora again (no first start now) and gives its main window
        titled title, past the start dialog and the start picture."""
        launch("velmora", *args)
        main_title = "^%s - Velmora$" % re.escape(title)

        def up():
            no_error_box()
            return s.mains(main_title) and s.dialogs(r"^Velmora$")
        wid = s.wait(up, LONG, "main window %r and start dialog" % title)[0][0]
        s.confirm(wid, "Escape", "close of the start dialog at Escape")
        s.wait_gone(r"^Velmora$", "start picture to go by itself", LONG)
        return s.mains(main_title)[0][0]

    def set_margin(main, field, value):
        # The form dialog starts in the top margin's field; Alt+L leads to the left one's.
        known = s.shown()
        s.open_menu(main, "alt+e")
        s.menu_item("f")
        wid, title = s.new_window(known, "form dialog through Einstellungen, Formular")
        if not re.search(FORM_DIALOG, title):
            raise StepFailed("Einstellungen, Formular opened %r" % title)
        s.focus(wid)
        if field == "left":
            s.keys("alt+l")
        s.keys("ctrl+a")
        s.type_text(value)
        s.screenshot("margin_%s" % field)
        # Enter goes on to the next field; "Weiter" takes the margins.
        s.keys("alt+w")
        # A margin that cannot be written brings a box and keeps the dialog.
        s.wait(lambda: wid not in s.shown() or s.dialogs(r"^Velmora$"), SHORT, "the form dialog to close")
        if wid in s.shown():
            raise StepFailed("the margin was not kept: %s" % s.visible())

    def offsets(layout):
        with open(layout, encoding="cp1252") as f:
            text = f.read()
        return {k: int(v) for k, v in re.findall(r"^\s*([xy]Offset)=(-?\d+)", text, re.M)}

    def ini_bytes():
        with open(velmora_ini, "rb") as f:
            return f.read()

    def save_and_quit(known, path, command, titled):
        # The save dialog answered with path: the file is there and the main
        # window carries its name.
        s.answer_file_dialog(known, path, command, save=True)
        s.wait(lambda: os.path.isfile(path), SHORT, "file %s after the save dialog" % path)
        main = s.wait_window(r"^%s - Velmora$" % re.escape(os.path.basename(path)),
                             "main window titled with " + titled)
        quit_program("velmora", main)

    def velmora_margin():
        # The top margin becomes 1 cm; the calculation goes into the customer's
        # folder under a name code page 1252 cannot hold, typed into the dialog.
        main = velmora_up("unbenannt")
        set_margin(main, "top", "1")
        own = os.path.join(data, "Velmora.LST")
        if offsets(own).get("yOffset") != 10000:
            raise StepFailed("the user's layout %s did not get the margin: %s" % (own, offsets(own)))
        if not re.search(rb"(?m)^Formular0=%s\r?$" % re.escape(own.encode("utf-8")), ini_bytes()):
            raise StepFailed("the settings name another layout than %s" % own)
        known = s.shown()
        s.focus(main)
        s.keys("ctrl+s")
        save_and_quit(known, first_file, "Ctrl+S", "the saved file's name")

    def velmora_margin_kept():
        # An older start stored the layout in the program's folder: the program
        # takes it over to the user's copy, where the margin of the last run is.
        text = ini_bytes()
        installed = os.path.join(programs, "Velmora.LST").encode("utf-8")
        text = re.sub(rb"(?m)^Formular0=[^\r\n]*", b"Formular0=" + installed, text)
        with open(velmora_ini, "wb") as f:
            f.write(text)
        main = velmora_up("unbenannt")
        set_margin(main, "left", "1")
        own = os.path.join(data, "Velmora.LST")
        # The dialog showed the top margin of the last run and wrote it back.
        if offsets(own) != {"xOffset": 10000, "yOffset": 10000}:
            raise StepFailed("after a restart the user's layout holds %s" % offsets(own))
        if installed in ini_bytes():
            raise StepFailed("the settings still name the layout in the program's folder")
        quit_program("velmora", main)

    def velmora_command_line():
        main = velmora_up(os.path.basename(first_file), first_file)
        s.screenshot("command_line")
        quit_program("velmora", main)

    def velmora_file_uri():
        uri = "file://" + urllib.parse.quote(first_file)
        main = velmora_up(os.path.basename(first_file), uri)
        # Saved under a new name through "Speichern unter".
        known = s.shown()
        s.open_menu(main, "alt+d")
        s.menu_item("u")
        save_and_quit(known, second_file, "Speichern unter", "the new name")
        # The recent files keep the name as the file system has it.
        if second_file.encode("utf-8") not in ini_bytes():
            raise StepFailed("the recent files lack %s" % second_file)

    def velmora_reopen():
        main = velmora_up(os.path.basename(second_file), second_file)
        with open(first_file, "rb") as a, open(second_file, "rb") as b:
            if a.read() != b.read():
                raise StepFailed("the file saved under the new name differs from the one opened")
        quit_program("velmora", main)

    def check_data(name):
        ini = os.path.join(s.config, COMPANY, "%s.ini" % name.capitalize())
        with open(ini, "rb") as f:
            settings = f.read()
        # A path that code page 1252 cannot hold stays as the file system has it.
        if not re.search(rb"^\[Datenbank\]\s*^Pfad=%s\r?$" % re.escape(data.encode("utf-8")), settings, re.M):
            raise StepFailed("the settings name no data path %s:\n%s" % (data, settings.decode("utf-8", "replace")))
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

    def unprotect():
        for folder, dirs, _ in os.walk(prefix):
            os.chmod(folder, os.stat(folder).st_mode | 0o200)

    steps = [("install", install), ("file_types", file_types), ("protect", protect), ("display", start_display)]
    for name in PROGRAMS:
        steps += [("%s_start" % name, lambda n=name: run_program(n)),
                  ("%s_data" % name, lambda n=name: check_data(n))]
        if name == "velmora":
            steps += [("velmora_margin", velmora_margin), ("velmora_margin_kept", velmora_margin_kept),
                      ("velmora_command_line", velmora_command_line), ("velmora_file_uri", velmora_file_uri),
                      ("velmora_reopen", velmora_reopen), ("velmora_tree", lambda: check_data("velmora"))]
    # The session's folder goes at the end, also for a user without root's rights.
    finish = s.finish

    def finish_writable():
        unprotect()
        finish()
    s.finish = finish_writable
    return s.run_steps(steps)


if __name__ == "__main__":
    sys.exit(main())
