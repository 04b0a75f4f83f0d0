#!/usr/bin/python3
"""The find dialog, address-book import and export, all through their controls."""
import os

from harness import (Runner, Failure, has_state, person, persons_by_no, role, walk, wait_for)

PERSONS = [person("1", "ALİ", "KAYA", "A"), person("2", "VELİ", "ALİOĞLU", "B"),
           person("3", "ALI", "DOĞAN", "A"), person("4", "CEM", "ER", "A")]


def start(t, **kw):
    args = dict(header_idno="4", header_group="A", groups=["A", "B"], persons=PERSONS)
    args.update(kw)
    return t.new_app(**args)


def find_dialog(app):
    return app.dialog(lambda w: w.name == "Find Text Dialog", 10, "find dialog")


def search_box(app, dlg):
    # The box is named by its label only while it holds no words; then it
    # takes the current word as its name. It is the dialog's only combo box.
    return app.find(role_name="combo box", root=dlg)


def search(app, dlg, word):
    """Type a word into the search box and press Enter."""
    box = search_box(app, dlg)
    edit = next((a for a in walk(box) if role(a) == "text"), box)
    app.click(edit)
    app.key("ctrl+a")
    app.type(word)
    app.key("Return")


def results(app, dlg):
    return app.rows(app.find("Arama Listesi", root=dlg), cols=[0, 1, 2, 3])


def count_label(app, dlg):
    for a in walk(dlg):
        if role(a) == "label" and a.name.startswith("Arama Listesi Sonucu"):
            return a.name
    return None


def case_find_and_jump(t):
    app = start(t)
    app.click(app.tool("Ara ve Bul"))
    dlg = find_dialog(app)
    search(app, dlg, "ali")
    try:
        wait_for(lambda: len(results(app, dlg)) == 2, 5, "results")
    except Failure:
        pass
    rows = results(app, dlg)
    t.check([r[0] for r in rows] == ["1", "2"], "Enter searches: ALİ and ALİOĞLU, not ALI",
            rows)
    t.check(app._still_open(dlg), "dialog stays open after Enter")
    t.check(count_label(app, dlg) == "Arama Listesi Sonucu 2 Adettir.", "result count shown",
            count_label(app, dlg))
    if rows and rows[0][3]:
        t.check(rows[1][3] == "- Soyad -", "places of the match", rows[1][3])
    # Double-click the person hidden by the group filter.
    if len(rows) == 2:
        lst = app.find("Arama Listesi", root=dlg)
        app.click(app.cell(lst, 1, 1), double=True)
        wait_for(lambda: not app._still_open(dlg), 5, "dialog closed by the jump")
        t.check(app.record_no() == "2", "jump shows the hidden person", app.record_no())
        t.check((app.focused_group() or "").startswith("B"), "its group focused",
                app.focused_group())
        t.check(app.list_nos() == ["2"], "list shows that group", app.list_nos())

    # Ctrl+F, pick a row with the mouse, OK.
    app.focus_window()
    app.key("ctrl+f")
    dlg = find_dialog(app)
    lst = app.find("Arama Listesi", root=dlg)
    wait_for(lambda: len(results(app, dlg)) == 2, 5, "results kept between openings")
    app.click(app.cell(lst, 0, 1))
    app.click(app.find("OK", "push button", root=dlg))
    wait_for(lambda: not app._still_open(dlg), 5, "dialog closed by OK")
    t.check(app.record_no() == "1", "OK jumps to the chosen result", app.record_no())
    t.check((app.focused_group() or "").startswith("A"), "its group focused",
            app.focused_group())


def case_find_dotless_capital(t):
    app = start(t, find_items=["ali"])
    app.click(app.tool("Ara ve Bul"))
    dlg = find_dialog(app)
    search(app, dlg, "ALI")
    try:
        wait_for(lambda: results(app, dlg) and count_label(app, dlg) != "", 5, "results")
    except Failure:
        pass
    rows = results(app, dlg)
    t.check([r[0] for r in rows] == ["3"], "ALI finds ALI only, not ALİ", rows)
    box = search_box(app, dlg)
    t.check(box.name == "ALI" or "ALI" in [a.name for a in walk(box) if role(a) == "text"],
            "search box keeps what was typed", box.name)
    app.click(app.find("Cancel", "push button", root=dlg))


IMPORT_LINES = [
    ["Ahmet", "Yılmaz", "Can", "", "", "ahmet@ornek.com", '"Atatürk Cad.; No 5"', "Ankara",
     "06100", "", "", "312 111", "", "532 000", "", "", "", "", "", "", "", "", "", "",
     "Orvak", "Mühendis", "", "", '"not bir"'],
    ["Zeynep", "Şahin"] + [""] * 27,
]


def case_import(t):
    app = start(t)
    src = os.path.join(app.folder, "adres.txt")
    with open(src, "wb") as f:
        f.write("".join(";".join(l) + "\r\n" for l in IMPORT_LINES).encode("cp1254"))
    app.click_group("B")
    app.menu("Dosya", "Import")
    box, text = app.message(containing="MS Adres Defterinden")
    app.answer(box, "OK", "Tamam")
    app.file_dialog_enter(src)
    box, text = app.message(containing="Record Count")
    t.check("Record Count => 2" in text, "import reports two records", text)
    app.answer(box, "OK", "Tamam")
    wait_for(lambda: len(app.list_nos()) == 3, 5, "imported persons listed")
    app.save()
    doc = app.dump()
    new = doc["persons"][4:]
    t.check(len(new) == 2, "two persons appended", len(new))
    if len(new) == 2:
        a, z = new
        t.check((a["RecordNo"], a["FirstName"], a["Surname"], a["GroupPath"]) ==
                ("1", "Ahmet Can", "Yılmaz", "B"), "names, number and group",
                (a["RecordNo"], a["FirstName"], a["Surname"], a["GroupPath"]))
        t.check(a["Contacts"] == ["Mail\tahmet@ornek.com", "Ev\t312 111", "GSM\t532 000"],
                "contact entries in column order", a["Contacts"])
        t.check((a["HomeAddress1"], a["HomeCity"], a["HomePostCode"]) ==
                ("Atatürk Cad.; No 5", "Ankara", "06100"), "home address",
                (a["HomeAddress1"], a["HomeCity"], a["HomePostCode"]))
        t.check((a["Firm"], a["Profession"], a["Notes"]) == ("Orvak", "Mühendis", ["not bir"]),
                "firm, profession, notes", (a["Firm"], a["Profession"], a["Notes"]))
        t.check((z["RecordNo"], z["FirstName"], z["Surname"]) == ("2", "Zeynep", "Şahin"),
                "second record", (z["RecordNo"], z["FirstName"], z["Surname"]))


def case_export(t):
    app = start(t, persons=[person("1", "ALİ", "KAYA", "A", Firm='A"B',
                                   Contacts=["Ev\t312 111", "Ev\t312 222", "GSM\t555"]),
                            person("2", "VELİ", "", "B")])
    out = os.path.join(app.folder, "Export.csv")
    app.menu("Dosya", "Export")
    box, text = app.message(containing="Export.csv")
    t.check("dosyasına aktarıldı" in text and app.folder in text, "export reports its file",
            text)
    app.answer(box, "OK", "Tamam")
    t.check(os.path.exists(out), "Export.csv written beside the record file", out)
    if not os.path.exists(out):
        return
    with open(out, "rb") as f:
        lines = f.read().decode("cp1254").split("\r\n")
    t.check(lines[0].startswith("SrNo;Ad;Soyad;Anne;Baba;Doğum Yeri;Firma;"), "heading line",
            lines[0])
    f1 = lines[1].split(";")
    t.check(f1[:3] == ['"1"', '"ALİ"', '"KAYA"'] and f1[6] == '"A""B"',
            "person line quoted", lines[1])
    t.check(f1[19] == '"312 111-312 222"' and f1[22] == '"555"', "telephone columns",
            (f1[19], f1[22]))
    f2 = lines[2].split(";")
    t.check(f2[2] == "" and f2[10] == '" "', "empty fields left bare, addresses a blank",
            lines[2])
    t.check(lines[-1] == "" and len(lines) == 4, "one line per person, CRLF ends", len(lines))


if __name__ == "__main__":
    Runner("find_import_export").run([case_find_and_jump, case_find_dotless_capital,
                                      case_import, case_export])
