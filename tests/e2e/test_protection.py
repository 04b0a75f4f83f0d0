#!/usr/bin/python3
"""A file under a password, as a user protects, locks, reopens and frees it."""
import os

from harness import App, Runner, has_state, person, wait_for

PEOPLE = [person("1", "ALİ", "KAYA", "Aile"), person("2", "AYŞE", "YILDIRIM", "Aile")]
MAGIC = b"ZILVAREN-PROTECTED"


def password_box(app, title, text):
    box = app.dialog(lambda w: w.name == title, 15, "password box %r" % title)
    app.focus_dialog(title)
    edit = app.find(role_name="password text", root=box)
    app.click(edit)
    app.type(text)
    app.key("Return")
    wait_for(lambda: not app._still_open(box), 20, "password box to close")


def holds_names(path):
    data = open(path, "rb").read()
    return b"KAYA" in data or b"YILDIRIM" in data


def saving_offered(app):
    return has_state(app.tool("Dosya Kaydet"), "enabled")


def case_protect_lock_reopen_and_free(t):
    app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"], persons=PEOPLE)
    qdb = app.qdb
    bak = qdb[:-4] + ".BAK"

    # A short password the user thinks better of: nothing changes.
    app.menu("Dosya", "Parola Koy…")
    password_box(app, "Parola Koy", "kisa")
    password_box(app, "Parola Koy", "kisa")
    box, text = app.message(containing="8 karakterden kısa")
    app.answer(box, "Hayır", "No")
    t.check(not saving_offered(app), "a refused password leaves the file as it was")

    app.menu("Dosya", "Parola Koy…")
    password_box(app, "Parola Koy", "gizli parola 1")
    password_box(app, "Parola Koy", "gizli parola 1")
    wait_for(lambda: saving_offered(app), 10, "Kaydet offered after a password")
    app.save()
    t.check(open(qdb, "rb").read().startswith(MAGIC), "the save writes the protected form")
    t.check(not holds_names(qdb) and not holds_names(bak),
            "neither the file nor its backup shows a name")

    # The first export asks; "Hayır" writes nothing, "Evet" is remembered.
    export = os.path.join(app.folder, "Export.csv")
    app.menu("Dosya", "Export")
    box, text = app.message(containing="parolasız olacak")
    app.answer(box, "Hayır", "No")
    t.check(not os.path.exists(export), "a turned-down export writes nothing")
    app.menu("Dosya", "Export")
    box, _ = app.message(containing="parolasız olacak")
    app.answer(box, "Evet", "Yes")
    box, _ = app.message(containing="Export.csv")
    app.answer(box, "OK", "Tamam")
    t.check(os.path.exists(export), "the agreed export is written")
    app.menu("Dosya", "Export")
    box, text = app.message(containing="Export.csv")
    app.answer(box, "OK", "Tamam")
    t.check("parolasız" not in text, "the question comes once in a session", text)

    # An unsaved group, then Ctrl+L: the window empties behind the lock.
    app.click(app.tool("Grup Ekle"))
    app.input_box("Yeni")
    app.focus_window()
    app.key("ctrl+l")
    lock = app.dialog(lambda w: w.name == "Dosya Kilitli", 15, "lock dialog")
    t.check(app.list_nos() == [], "no person is left in the locked window", app.list_nos())
    recovery = os.path.join(app.folder, "kayit.kurtarma.qdb")
    t.check(os.path.exists(recovery) and open(recovery, "rb").read().startswith(MAGIC)
            and not holds_names(recovery), "the unsaved work waits protected", recovery)
    app.key("Escape")
    t.check(app._still_open(lock), "Escape does not leave the lock")
    edit = app.find(role_name="password text", root=lock)
    app.click(edit)
    app.type("yanlis")
    app.key("Return")
    wait_for(lambda: "Parola yanlış." in app.message_text(lock), 20, "wrong password said")
    app.click(edit)
    app.type("gizli parola 1")
    app.key("Return")
    wait_for(lambda: not app._still_open(lock), 20, "lock dialog to close")
    t.check("Yeni {0}" in app.group_names(), "the unsaved group is back", app.group_names())
    app.click_group("Aile {2}")
    t.check(app.list_nos() == ["1", "2"], "the persons are back", app.list_nos())
    t.check(saving_offered(app), "and still to be saved")
    app.save()
    t.check(not os.path.exists(recovery), "the saved state needs no recovery file")
    app.stop()

    # Opening asks; a wrong password is said and asked again.
    again = App(t.desktop, t.binary, t.cli, qdb=qdb)
    t.app = again
    again.start(wait_for_file=False)
    password_box(again, "Parola", "yanlis")
    box, text = again.message(containing="Parola yanlış.")
    again.answer(box, "OK", "Tamam")
    password_box(again, "Parola", "gizli parola 1")
    wait_for(lambda: "Yeni {0}" in again.group_names(), 20, "the protected file open")
    again.click_group("Aile {2}")
    t.check(again.list_nos() == ["1", "2"], "with what was saved", again.list_nos())

    # Taken away with the present password: the next save is plain.
    again.menu("Dosya", "Parolayı Kaldır…")
    password_box(again, "Parolayı Kaldır", "gizli parola 1")
    wait_for(lambda: saving_offered(again), 10, "Kaydet offered after removing the password")
    again.save()
    t.check(open(qdb, "rb").read().startswith(b"0 HEAD"), "the file is plain again")


if __name__ == "__main__":
    Runner("protection").run([case_protect_lock_reopen_and_free])
