#!/usr/bin/python3
"""What an office takes out of the file and brings into it, through the
window: a table imported through its dialog, the phone list as a PDF, the
labels' note, the birthdays dialog and the status bar's word, Excel."""
import datetime
import os
import subprocess

from harness import Runner, person, role, text_of, wait_for, walk

PERSONS = [person("1", "ALİ", "KAYA", "İş", Contacts=["GSM\t0532 000 00 01"]),
           person("2", "VELİ", "ER", "Aile")]

# A list kept in Turkish Excel: semicolons, code page 1254. "Telefon" is
# guessed as a home number; the user makes it a mobile one in the dialog.
TABLE = ("Adı;Soyadı;Telefon;E-posta;Doğum Tarihi\r\n"
         "Şükrü;Özışık;0532 111 22 33;sukru@ornek.com;05.03.1970\r\n"
         "İpek;Çelik;0533 444 55 66;;\r\n"
         ";;;;\r\n"
         "Cem;Işık;0534 777 88 99;cem@ornek.com;1980-11-23\r\n")


def cell_names(app, table, column):
    t = table.queryTable()
    return [t.getAccessibleAt(r, column).name for r in range(t.nRows)]


def status_texts(app):
    return [a.name for a in walk(app.window) if role(a) == "label" and a.name]


def case_table_import_and_phone_list(t):
    app = t.new_app(header_idno="1", header_group="İş", groups=["Aile", "İş"], persons=PERSONS)
    src = os.path.join(app.folder, "personel listesi.csv")
    with open(src, "wb") as f:
        f.write(TABLE.encode("cp1254"))
    app.click_group("İş")
    app.menu("Dosya", "Tablo İçe Aktar…")
    app.file_dialog_enter(src)
    dlg = app.dialog(lambda w: w.name == "Tablo İçe Aktar", 15, "table import dialog")
    columns = app.find("Sütunlar", root=dlg, pred=lambda a: role(a) in ("table", "tree table"))
    t.check(cell_names(app, columns, 2) == ["Adı", "Soyadı", "Telefon: Ev", "Mail",
                                            "Doğum Tarihi"],
            "fields guessed from the Turkish header", cell_names(app, columns, 2))
    # The "Telefon" column to a mobile number: the row, then its field by keys.
    app.click(app.cell(columns, 2, 0))
    app.key("alt+a", "Down", "Down")
    wait_for(lambda: cell_names(app, columns, 2)[2] == "Telefon: GSM", 5, "field changed")
    preview = app.find("Aktarılacak kişiler", root=dlg,
                       pred=lambda a: role(a) in ("table", "tree table"))
    rows = app.rows(preview, cols=[0, 1, 2, 4])
    t.check(rows[:1] == [["3", "ŞÜKRÜ", "ÖZIŞIK", "GSM: 0532 111 22 33, Mail: sukru@ornek.com"]]
            and len(rows) == 3, "the preview shows the persons to be made", rows)
    app.click(app.find("Aktar", "push button", root=dlg))
    box, text = app.message(containing="kişi aktarıldı")
    t.check("Tablodan 3 kişi aktarıldı." in text and "1 satır atlandı" in text,
            "persons and the empty row counted", text)
    app.answer(box, "OK", "Tamam")
    wait_for(lambda: len(app.list_nos()) == 4, 5, "imported persons listed in the group")
    # One step of the history: Ctrl+Z takes all three back, Ctrl+Y files them again.
    undo = app.find(role_name="menu item", visible=False,
                    pred=lambda a: a.name.replace("&", "").startswith("Geri Al"))
    t.check(undo.name.replace("&", "") == "Geri Al: İçe Aktar (3 kişi)",
            "Geri Al names the import", undo.name)
    app.focus_window()
    app.key("ctrl+z")
    wait_for(lambda: app.list_nos() == ["1"], 5, "the import undone")
    t.check(app.status_counts() == (2, 1), "the group's count without them", app.status_counts())
    app.key("ctrl+y")
    wait_for(lambda: len(app.list_nos()) == 4, 5, "the import redone")
    app.save()
    new = app.dump()["persons"][2:]
    t.check([(p["RecordNo"], p["FirstName"], p["Surname"], p["GroupPath"], p["Contacts"])
             for p in new] ==
            [("3", "ŞÜKRÜ", "ÖZIŞIK", "İş", ["GSM\t0532 111 22 33", "Mail\tsukru@ornek.com"]),
             ("4", "İPEK", "ÇELİK", "İş", ["GSM\t0533 444 55 66"]),
             ("5", "CEM", "IŞIK", "İş", ["GSM\t0534 777 88 99", "Mail\tcem@ornek.com"])],
            "the saved persons: numbers, names, group, the changed field", new)
    t.check([p["BirthDateText"] for p in new] == ["05.03.1970", None, "23.11.1980"],
            "birth dates in both forms", [p["BirthDateText"] for p in new])

    # The group's phone list to PDF: the style chosen with the keyboard.
    app.menu("Dosya", "PDF Olarak Kaydet…")
    choice = app.dialog(lambda w: w.name == "PDF Olarak Kaydet", 10, "what to print")
    app.key("alt+b", "Down", "Return")
    wait_for(lambda: not app._still_open(choice), 10, "choice closed")
    pdf = os.path.join(app.folder, "rehber.pdf")
    app.file_dialog_enter(pdf)
    box, text = app.message(containing="PDF dosyası yazıldı")
    app.answer(box, "OK", "Tamam")
    out = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True).stdout.decode()
    lines = [l.split() for l in out.splitlines() if l.strip()]
    order = [l[0] for l in lines if l[0] in ("Ç", "I", "K", "Ö", "ÇELİK,", "IŞIK,", "KAYA,",
                                             "ÖZIŞIK,")]
    t.check("Telefon Rehberi" in out and "Grup: İş" in out, "the phone list of the group", out)
    t.check(order == ["Ç", "ÇELİK,", "I", "IŞIK,", "K", "KAYA,", "Ö", "ÖZIŞIK,"],
            "by surname the Turkish way, under their initials", order)
    t.check("GSM: 0532 111 22 33" in out and "Mail: sukru@ornek.com" in out,
            "numbers and mail with their kinds", out)
    t.check("VELİ" not in out, "only the persons the list shows", out)


def case_birthdays_labels_excel(t):
    today = datetime.date.today()
    soon = today + datetime.timedelta(days=3)
    later = today + datetime.timedelta(days=100)
    persons = [person("1", "ALİ", "KAYA", "Aile", BirthDate=today.strftime("%d %m 1980")),
               person("2", "AYŞE", "ER", "Aile", BirthDate=soon.strftime("%d %m 1990")),
               person("3", "CAN", "TAN", "Aile", BirthDate=later.strftime("%d %m 2001"), Firm="Orvak",
                      WorkAddress1="Büyükdere Cad. 10", WorkCity="İSTANBUL")]
    app = t.new_app(header_idno="1", header_group="", groups=["Aile"], persons=persons)
    wait_for(lambda: any(s.startswith("Bugün doğum günü: ALİ KAYA (%d)" % (today.year - 1980))
                         for s in status_texts(app)), 10, "today's birthday in the status bar")
    t.check(True, "the status bar names today's birthday")

    app.menu("Personel", "Doğum Günleri…")
    dlg = app.dialog(lambda w: w.name == "Doğum Günleri", 10, "birthdays dialog")
    lst = app.find("Doğum günleri", root=dlg, pred=lambda a: role(a) in ("tree", "tree table",
                                                                           "table"))
    rows = app.rows(lst, cols=[0, 1, 2])
    t.check([r[1:] for r in rows] == [["ALİ KAYA", str(today.year - 1980)],
                                      ["AYŞE ER", str(soon.year - 1990)]] and
            rows[0][0] == "Bugün", "today's and the coming birthdays, by day", rows)
    app.click(app.cell(lst, 1, 1), double=True)
    wait_for(lambda: not app._still_open(dlg), 5, "dialog closed by the double click")
    t.check(app.record_no() == "2", "the double click shows the person", app.record_no())

    # Labels with the work address: only one person has it.
    app.focus_window()
    app.key("ctrl+p")
    choice = app.dialog(lambda w: w.name == "Yazdır", 10, "what to print")
    app.key("alt+b", "Down", "Down", "alt+a", "Down", "Return")
    preview = app.dialog(lambda w: w.name == "Baskı Önizleme", 20, "print preview")
    app.key("Escape")
    wait_for(lambda: not app._still_open(preview), 10, "preview closed")
    t.check("2 kişinin iş adresi olmadığından etiketi basılmadı." in status_texts(app),
            "the persons left out are counted in the status bar", status_texts(app))

    out = os.path.join(app.folder, "kisiler.xlsx")
    app.menu("Dosya", "Excel Olarak Dışa Aktar…")
    box, text = app.message(containing="Yalnızca")
    t.check('"Aile"' in text, "asks about the focused group", text)
    app.answer(box, "Yes", "Evet")
    app.file_dialog_enter(out)
    box, text = app.message(containing="Excel dosyasına aktarıldı")
    t.check(text.startswith("3 kişi"), "the export counts the persons", text)
    app.answer(box, "OK", "Tamam")
    script = ("import openpyxl,sys; ws=openpyxl.load_workbook(sys.argv[1]).active; "
              "print(ws.freeze_panes, ws['B2'].value, ws['S2'].value.strftime('%d.%m.%Y'))")
    r = subprocess.run(["/usr/bin/python3", "-c", script, out], capture_output=True, text=True)
    t.check(r.stdout.split() == ["A2", "ALİ", today.strftime("%d.%m.1980")],
            "a workbook with the persons", r.stdout + r.stderr)


if __name__ == "__main__":
    Runner("office").run([case_table_import_and_phone_list, case_birthdays_labels_excel])
