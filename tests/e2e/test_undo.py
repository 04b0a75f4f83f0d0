#!/usr/bin/python3
"""A long session by real keys, clicks and drags, every step then undone with
Ctrl+Z down to the opened file and redone with Ctrl+Y up to the end, each end
saved and compared; the history dialog goes back and forth with a click."""
import os

from harness import (Runner, SEP, extents, has_state, person, role, text_of, wait_for, walk)

PERSONS = [person("1", "ALİ", "KAYA", "Aile", Contacts=["GSM\t05321112233"], Firm="ESKİ"),
           person("2", "AYŞE", "ER", "Aile", Contacts=["Ev\t02124445566"]),
           person("3", "KEMAL", "UZ", "Aile" + SEP + "Kuzenler"),
           person("4", "LEYLA", "AK", "Aileler"),
           person("5", "BORA", "TAN", "İş"),
           person("6", "ALI", "KAYA", "İş", Contacts=["GSM\t0532 111 22 33"])]

IMPORT = ("Ahmet;Yılmaz;;;;ahmet@ornek.com" + ";" * 23 + "\r\n" +
          "Zeynep;Şahin" + ";" * 27 + "\r\n").encode("cp1254")


def history_item(app, prefix):
    return app.find(role_name="menu item", visible=False,
                    pred=lambda a: a.name.replace("&", "").startswith(prefix))


def can(app, prefix):
    return has_state(history_item(app, prefix), "enabled")


def contents(doc):
    """What a step may change: persons, groups and their counts, different persons."""
    return {k: doc[k] for k in ("persons", "groups", "differentPersons")}


def save_as(app, path):
    app.menu("Dosya", "Farklı Kaydet")
    app.file_dialog_enter(path)
    wait_for(lambda: os.path.exists(path), 10, "saved as " + os.path.basename(path))
    return app.dump(path)


def drag_onto_group(app, acc, group):
    x, y, w, h = extents(acc)
    gx, gy, gw, gh = extents(app.group_cell(group))
    app.drag(x + min(w // 3, 40), y + h // 2, gx + 20, gy + gh // 2)


def case_long_session_undone_and_redone(t):
    app = t.new_app(header_idno="1", header_group="Aile",
                    groups=["Aile", "Aile" + SEP + "Kuzenler", "Aileler", "İş"], persons=PERSONS)
    opened = contents(app.dump())
    t.check(not can(app, "Geri Al"), "a file just opened has nothing to undo")

    # Add, edit, delete.
    app.click(app.tool("Ekle"))
    app.set_field("Adı", "mehmet")
    app.set_field("Soyad", "yıldız")
    app.click(app.tool("Tamam"))
    wait_for(lambda: app.caption() == "7 - Mehmet Yıldız", 5, "added")
    app.click_person("1")
    app.click(app.tool("Düzelt"))
    # While editing, Ctrl+Z is the field's, in the upper-case ones too: the
    # typing goes, no step of the file does.
    app.set_field("Adı", "veli")
    app.key("ctrl+z")
    t.check(text_of(app.edit("Adı")) != "VELİ" and app.caption() == "Kayıt Düzeltiliyor"
            and app.list_nos()[-1] == "7", "during an edit Ctrl+Z undoes typing in the field",
            text_of(app.edit("Adı")))
    app.set_field("Adı", "ali")
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    wait_for(lambda: app.caption() == "1 - Ali Kaya", 5, "edited")
    app.click_person("2")
    app.click(app.tool("Sil"))
    wait_for(lambda: "2" not in app.list_nos(), 5, "deleted")
    t.check(history_item(app, "Geri Al").name.replace("&", "") == "Geri Al: Kişiyi Sil (AYŞE ER)",
            "Geri Al names the step", history_item(app, "Geri Al").name)

    # A person dragged onto a group, a group dragged onto another.
    drag_onto_group(app, app.cell(app.person_list(), app.row_of("7"), 1), "İş")
    wait_for(lambda: "7" not in app.list_nos(), 5, "person moved")
    drag_onto_group(app, app.group_cell("Aileler"), "İş")
    wait_for(lambda: "Aileler" not in [n.split(" {")[0] for n in app.group_names()], 5,
             "group moved")

    # Rename a group, delete a sub-group with its person.
    app.context_menu_on_group("Aile", "Düzelt")
    app.input_box("Akraba")
    wait_for(lambda: any(n.startswith("Akraba {") for n in app.group_names()), 5, "renamed")
    app.expand_group("Akraba")
    app.context_menu_on_group("Kuzenler", "Sil")
    box, _ = app.message(containing="silinecektir")
    app.answer(box, "Evet", "Yes")
    wait_for(lambda: not any(n.startswith("Kuzenler") for n in app.group_names()), 5,
             "sub-group deleted")

    # A bulk tool, an import, a merge.
    app.click(app.tool("Genel Ayarlar"))
    dlg = app.dialog(lambda w: w.name == "Genel Ayarlar", 10, "settings dialog")
    app.click(app.find("Telefon bölümlerinde standart boşluklara böl", "push button", root=dlg))
    app.click(app.find("OK", "push button", root=dlg))
    app.click_group("Akraba")
    source = os.path.join(app.folder, "adres.txt")
    with open(source, "wb") as f:
        f.write(IMPORT)
    app.menu("Dosya", "Import")
    box, _ = app.message(containing="MS Adres Defterinden")
    app.answer(box, "OK", "Tamam")
    app.file_dialog_enter(source)
    box, _ = app.message(containing="Record Count")
    app.answer(box, "OK", "Tamam")
    app.menu("Personel", "Mükerrer Kayıtlar…")
    dlg = app.dialog(lambda w: w.name == "Mükerrer Kayıtlar", 10, "duplicates dialog")
    app.click([a for a in walk(app.find("Gruplar", "list", root=dlg)) if role(a) == "list item"][0])
    app.click(app.find("Birleştir", "push button", root=dlg))
    app.key("Escape")
    wait_for(lambda: not app._still_open(dlg), 5, "duplicates dialog closed")
    t.check(history_item(app, "Geri Al").name.replace("&", "").startswith(
        "Geri Al: Kişileri Birleştir"), "the merge is the last step",
        history_item(app, "Geri Al").name)
    after = save_as(app, os.path.join(app.folder, "sonra.qdb"))
    t.check(len(after["persons"]) == 6, "the session's persons", len(after["persons"]))

    # Every step back: the opened file again.
    app.focus_window()
    undone = 0
    while can(app, "Geri Al") and undone < 30:
        app.key("ctrl+z")
        undone += 1
    t.check(undone == 10, "ten steps undone", undone)
    t.check(app.list_nos() == ["1", "2"] and app.status_counts() == (6, 2),
            "the window shows the opened file", (app.list_nos(), app.status_counts()))
    back = contents(save_as(app, os.path.join(app.folder, "geri.qdb")))
    t.check(back == opened, "all undone: the persons, groups and values of the opened file",
            [(a["RecordNo"], a["FirstName"]) for a in back["persons"]])

    # And forward again: the end of the session.
    app.focus_window()
    redone = 0
    while can(app, "Yinele") and redone < 30:
        app.key("ctrl+y")
        redone += 1
    forward = contents(save_as(app, os.path.join(app.folder, "ileri.qdb")))
    t.check(forward == contents(after), "all redone: the file saved before undoing",
            [(a["RecordNo"], a["FirstName"], a["GroupPath"]) for a in forward["persons"]])

    # The history: a click on its first row goes back to the opened file,
    # one on its last row to the end.
    app.menu("Düzen", "İşlem Geçmişi…")
    dlg = app.dialog(lambda w: w.name == "İşlem Geçmişi", 10, "history dialog")
    def rows():
        return [a for a in walk(app.find("İşlemler", root=dlg)) if role(a) == "list item"]
    t.check(len(rows()) == 11 and rows()[0].name == "Dosyanın açıldığı hâli",
            "eleven rows, the opened file first", [r.name for r in rows()])
    app.click(rows()[0])
    wait_for(lambda: not can(app, "Geri Al"), 5, "back to the start")
    app.click(rows()[-1])
    wait_for(lambda: not can(app, "Yinele"), 5, "forward to the end")
    app.click(app.find("Kapat", "push button", root=dlg))
    t.check(contents(save_as(app, os.path.join(app.folder, "son.qdb"))) == contents(after),
            "the history's clicks end where the session ended")


if __name__ == "__main__":
    Runner("undo").run([case_long_session_undone_and_redone])
