#!/usr/bin/python3
"""Opening files, the person list (sorting, type-ahead) and quitting."""
import os
import re
import subprocess

from harness import (App, Runner, SEP, Failure, extents, has_state, person, persons_by_no,
                     wait_for, write_qdb)


def header_section(app, name):
    return app.find(name, "table column header", root=app.person_list())


def header_pixels(app, name):
    """Raw pixels of one header section, for seeing the sort indicator."""
    x, y, w, h = extents(header_section(app, name))
    r = subprocess.run(["/usr/bin/import", "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (w, h, x, y), "rgb:-"], capture_output=True)
    return r.stdout


def case_open_recent(t):
    app = t.new_app(
        header_idno="3", header_group="İş",
        groups=["Aile", "İş", "İş" + SEP + "Ankara"],
        persons=[person("1", "ALİ", "KAYA", "Aile"), person("2", "VELİ", "ŞEN", "İş"),
                 person("3", "AYŞE", "YILMAZ", "İş"),
                 person("4", "CAN", "ÖZ", "İş" + SEP + "Ankara")])
    t.check(app.record_no() == "3", "saved person shown in Kayıt No", app.record_no())
    t.check(app.caption() == "3 - Ayşe Yılmaz", "caption label of the saved person",
            app.caption())
    t.check(sorted(app.list_nos()) == ["2", "3"], "list filtered to the saved group",
            app.list_nos())
    t.check((app.focused_group() or "").startswith("İş"), "saved group focused in the tree",
            app.focused_group())
    app.expand_group("İş")
    t.check(app.group_names() == ["Aile {1}", "İş {3}", "Ankara {1}"],
            "groups with counts of their subtree", app.group_names())

    # A second file from the recent items of the Dosya menu.
    other = os.path.join(app.folder, "ikinci.qdb")
    write_qdb(other, header_idno="7", header_group="Dost", groups=["Dost"],
              persons=[person("7", "ZEKİ", "ER", "Dost")])
    app.stop()
    app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"],
                    persons=[person("1", "ALİ", "KAYA", "Aile")],
                    settings={"recent": [other]})
    app.menu("Dosya", other)
    wait_for(lambda: other in app.window.name, 10, "caption names the chosen file")
    t.check(app.list_nos() == ["7"], "recent item opens that file's persons", app.list_nos())
    t.check(app.record_no() == "7", "its saved person is shown", app.record_no())


def case_file_on_the_command_line(t):
    # What a file manager hands over: a relative name with a blank opens
    # instead of the most recent file.
    app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"],
                    persons=[person("1", "ALİ", "KAYA", "Aile")])
    folder = app.folder
    app.stop()
    given = os.path.join(folder, "ofis kayıtları.qdb")
    write_qdb(given, header_idno="5", header_group="Ofis", groups=["Ofis"],
              persons=[person("5", "ZEYNEP", "SU", "Ofis")])
    other = os.path.join(folder, "ikinci.qdb")
    write_qdb(other, groups=["X"], persons=[person("9", "CAN", "", "X")])
    app = t.app = App(t.desktop, t.binary, t.cli, workdir=folder,
                      qdb=os.path.join(folder, "kayit.qdb"),
                      args=["ofis kayıtları.qdb", "ikinci.qdb"])
    app.start(wait_for_file=False)
    box, text = app.message(containing="tek bir dosya")
    t.check(given in text, "two files: the first opens, and the user is told", text)
    app.answer(box, "OK", "Tamam")
    t.check(app.window.name == "Zilvaren - " + given, "the given file, as an absolute path",
            app.window.name)
    t.check(app.list_nos() == ["5"], "its persons are listed", app.list_nos())

    # The task bar matches the window to the entry that started it, and
    # shows the program's icon.
    entry_path = os.path.join(os.path.dirname(__file__), "..", "..", "data",
                              "com.orvak.Velmora.desktop")
    with open(entry_path, encoding="utf-8") as f:
        entry_class = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M)
    props = subprocess.run(["xprop", "-id", app.wid, "WM_CLASS", "_NET_WM_ICON"],
                           capture_output=True, text=True).stdout
    window_class = re.search(r'^WM_CLASS\(STRING\) = "[^"]*", "([^"]*)"$', props, re.M)
    t.check(entry_class and window_class and entry_class.group(1) == window_class.group(1),
            "the window's class is the entry's StartupWMClass", props[:300])
    t.check(re.search(r"^_NET_WM_ICON\(CARDINAL\) = ", props, re.M),
            "the window carries an icon", props[:300])
    app.stop()

    # A missing file is named, and the program starts unnamed.
    app = t.app = App(t.desktop, t.binary, t.cli, workdir=folder,
                      qdb=os.path.join(folder, "kayit.qdb"), args=["yok.qdb"])
    app.start(wait_for_file=False)
    box, text = app.message(containing="bulunamadı")
    t.check(os.path.join(folder, "yok.qdb") in text, "a missing file is named", text)
    app.answer(box, "OK", "Tamam")
    t.check(app.window.name == "Zilvaren - Unnamed.qdb", "and the program starts unnamed",
            app.window.name)


def case_hidden_saved_person(t):
    """The saved person lies outside the saved group's filter."""
    app = t.new_app(header_idno="3", header_group="Aile", groups=["Aile", "İş"],
                    persons=[person("1", "ALİ", "", "Aile"), person("2", "BORA", "", "Aile"),
                             person("3", "CEREN", "", "İş")])
    t.check(app.record_no() == "3", "hidden saved person shown after opening",
            app.record_no())
    copy = os.path.join(app.folder, "kopya.qdb")
    app.click(app.tool("Dosyayı Farklı İsimde Kaydet"))
    app.file_dialog_enter(copy)
    wait_for(lambda: os.path.exists(copy), 10, "file saved under the new name")
    doc = app.dump(copy)
    t.check(doc["focusedRecordNo"] == "3", "saving keeps 1 IDNO of the shown person",
            doc["focusedRecordNo"])


SORT_PERSONS = [
    person("9", "ÇAĞRI", "ŞAHİN", "Ekip"), person("10", "CEM", "SARI", "Ekip"),
    person("2", "İLHAN", "ÖZ", "Ekip"), person("1", "IŞIK", "OK", "Ekip"),
]


def case_sorting(t):
    app = t.new_app(header_idno="9", header_group="Ekip", groups=["Ekip"],
                    persons=SORT_PERSONS)
    t.check(app.list_nos() == ["9", "10", "2", "1"], "file order kept before any click",
            app.list_nos())
    # (section, expected order of record numbers)
    steps = [
        ("No", ["9", "2", "10", "1"]),      # No is the start column: first click reverses
        ("No", ["1", "10", "2", "9"]),      # text order, 10 before 9
        ("Ad", ["10", "9", "1", "2"]),      # CEM ÇAĞRI IŞIK İLHAN
        ("Ad", ["2", "1", "9", "10"]),
        ("Soyad", ["1", "2", "10", "9"]),   # OK ÖZ SARI ŞAHİN
        ("Soyad", ["9", "10", "2", "1"]),
    ]
    before = header_pixels(app, "Ad")
    for i, (section, want) in enumerate(steps):
        app.click(header_section(app, section))
        app.click_at(1150, 850)  # pointer off the header so hover does not paint
        try:
            wait_for(lambda: app.list_nos() == want, 5, "order")
        except Failure:
            pass
        t.check(app.list_nos() == want, "header click %d on %s sorts" % (i + 1, section),
                "%s, wanted %s" % (app.list_nos(), want))
        if i == 2:
            t.check(header_pixels(app, "Ad") != before, "sort indicator drawn on Ad")
    app.save()
    doc = app.dump()
    t.check([p["RecordNo"] for p in doc["persons"]] == steps[-1][1],
            "saved file keeps the sorted order", [p["RecordNo"] for p in doc["persons"]])
    t.check(app.record_no() == "9", "shown person unchanged by sorting", app.record_no())

    # Column 0 can be dragged to another position.
    no = header_section(app, "No")
    soyad = header_section(app, "Soyad")
    x0, y0, w0, h0 = extents(no)
    x2, y2, w2, h2 = extents(soyad)
    app.drag(x0 + w0 // 2, y0 + h0 // 2, x2 + w2 - 5, y2 + h2 // 2)
    moved = lambda: extents(header_section(app, "No"))[0] > extents(
        header_section(app, "Soyad"))[0]
    try:
        wait_for(moved, 5, "column moved")
    except Failure:
        pass
    t.check(moved(), "column No dragged behind Soyad",
            "No at x=%d, Soyad at x=%d" % (extents(header_section(app, "No"))[0],
                                          extents(header_section(app, "Soyad"))[0]))


TYPE_PERSONS = [
    person("1", "AHMET", "", "G"), person("2", "BURAK", "", "G"), person("3", "ALİ", "", "G"),
    person("4", "İSMAİL", "", "G"), person("5", "IŞIK", "", "G"), person("6", "ZEKİ", "", "G"),
    person("7", "AYŞE", "", "Başka"),
]


def case_type_ahead(t):
    app = t.new_app(header_idno="1", header_group="G", groups=["G", "Başka"],
                    persons=TYPE_PERSONS)
    app.click_person("1")
    for keys, want, what in [("a", "3", "a finds the next A (ALİ)"),
                             ("a", "1", "a again wraps to AHMET, not the hidden AYŞE"),
                             ("i", "4", "i finds İSMAİL"),
                             ("ı", "5", "ı finds IŞIK"),
                             ("q", "5", "a letter nobody starts with changes nothing")]:
        app.type(keys)
        try:
            wait_for(lambda: app.record_no() == want, 3, "person")
        except Failure:
            pass
        t.check(app.record_no() == want, what, "shown %s" % app.record_no())
        sel = app.selected_rows()
        t.check(len(sel) == 1 and app.list_nos()[sel[0]] == want,
                "only the found row selected after typing %s" % keys,
                [app.list_nos()[r] for r in sel])


def case_delete_after_type_ahead(t):
    """Sil removes the person on show, not a selected person hidden by the filter."""
    app = t.new_app(header_idno="1", header_group="A", groups=["A", "B"],
                    persons=[person("1", "AHMET", "", "A"), person("2", "BEKİR", "", "B"),
                             person("3", "BURCU", "", "B")])
    app.click_person("1")
    app.click_group("B")
    wait_for(lambda: sorted(app.list_nos()) == ["2", "3"], 5, "list filtered to B")
    app.key("Tab")
    app.type("b")
    wait_for(lambda: app.record_no() == "2", 5, "BEKİR shown")
    app.click(app.tool("Sil"))
    app.save()
    nos = sorted(persons_by_no(app.dump()))
    t.check(nos == ["1", "3"], "Sil deleted the shown person only", nos)


def case_quit_question(t):
    persons = [person("1", "ALİ", "", "A"), person("2", "VELİ", "", "A")]
    app = t.new_app(header_idno="1", header_group="A", groups=["A"], persons=persons)
    with open(app.qdb, "rb") as f:
        original = f.read()
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    wait_for(lambda: has_state(app.tool("Dosya Kaydet"), "enabled"), 5, "modified flag")
    app.menu("Dosya", "Çıkış")
    box, text = app.message(containing="kaydedilmemiştir")
    t.check("Kaydedilmesini" in text, "unsaved-changes question shown", text)
    app.answer(box, "Hayır", "No")
    t.check(app.exited(), "No: program exits")
    with open(app.qdb, "rb") as f:
        t.check(f.read() == original, "No: file unchanged")
    app.stop()

    app = t.new_app(header_idno="1", header_group="A", groups=["A"], persons=persons)
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    wait_for(lambda: has_state(app.tool("Dosya Kaydet"), "enabled"), 5, "modified flag")
    app.menu("Dosya", "Çıkış")
    box, text = app.message(containing="kaydedilmemiştir")
    app.answer(box, "Evet", "Yes")
    t.check(app.exited(), "Yes: program exits")
    t.check(persons_by_no(app.dump())["1"]["Firm"] == "ORVAK", "Yes: change saved")


if __name__ == "__main__":
    Runner("file_and_list").run([case_open_recent, case_file_on_the_command_line,
                                 case_hidden_saved_person, case_sorting,
                                 case_type_ahead, case_delete_after_type_ahead,
                                 case_quit_question])
