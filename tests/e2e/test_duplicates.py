#!/usr/bin/python3
"""Duplicates through "Personel → Mükerrer Kayıtlar…": a group merged with one
person left out, the rest marked as different persons, the find results and
the detail pages following, then saved."""
import subprocess

from harness import Runner, group_counts, person, persons_by_no, role, walk, wait_for

PERSONS = [
    person("1", "ŞÜKRÜ", "ÖZIŞIK", "Aile", Contacts=["GSM\t0532 111 22 33"],
           RecordedAt="05.03.2010  10:00:00", Notes=["İlk not"]),
    person("2", "SUKRU", "OZISIK", "Aile",
           Contacts=["GSM\t+90 532 111 22 33", "Ev\t0212 000 00 00"],
           RecordedAt="01.02.2008  09:00:00", Notes=["Telefondan geldi"]),
    person("3", "ALİ", "KOÇ", "İş"),
    person("4", "ALI", "KOC", "İş"),
    person("5", "VELİ", "ER", "İş"),
    person("6", "SUKRU", "OZISIK", "İş", Firm="Başka Firma"),
]


def items(app, lst):
    return [a for a in walk(lst) if role(a) == "list item"]


def find_rows(app, word=None):
    """The find dialog's result numbers (after searching for word), closed again."""
    app.focus_window()
    app.key("ctrl+f")
    dlg = app.dialog(lambda w: w.name == "Find Text Dialog", 10, "find dialog")
    if word:
        box = app.find(role_name="combo box", root=dlg)
        app.click(next((a for a in walk(box) if role(a) == "text"), box))
        app.key("ctrl+a")
        app.type(word)
        app.key("Return")
        wait_for(lambda: len(app.rows(app.find("Arama Listesi", root=dlg))) > 0, 5, "results")
    rows = [r[0] for r in app.rows(app.find("Arama Listesi", root=dlg), cols=[0])]
    app.key("Escape")
    wait_for(lambda: not app._still_open(dlg), 5, "find dialog closed")
    return rows


def merged_column(app, table):
    """Field → value of the comparison's last column ("Birleşmiş Kayıt")."""
    t = table.queryTable()
    return {t.getRowDescription(r).replace("≠ ", ""): t.getAccessibleAt(r, t.nColumns - 1).name
            for r in range(t.nRows)}


def case_merge_and_mark_different(t):
    app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile", "İş"], persons=PERSONS)
    t.check(find_rows(app, "sukru") == ["2", "6"], "find lists both SUKRU rows")

    app.menu("Personel", "Mükerrer Kayıtlar…")
    dlg = app.dialog(lambda w: w.name == "Mükerrer Kayıtlar", 10, "duplicates dialog")
    groups = app.find("Gruplar", "list", root=dlg)
    texts = [i.name for i in items(app, groups)]
    t.check(len(texts) == 2 and texts[0].endswith("aynı ad, aynı cep telefonu")
            and texts[1].endswith("aynı ad"), "two groups with their reasons", texts)
    app.click(items(app, groups)[0])

    # The person kept is the one whose writing wins.
    table = app.find(role_name="table", root=dlg)
    # A combo box is named by the person it shows; it is the dialog's only one.
    keep = app.find(role_name="combo box", root=dlg)
    app.click(keep)
    app.key("Down", "Return")
    t.check(wait_for(lambda: merged_column(app, table).get("Adı") == "SUKRU", 5, "kept No 2"),
            "keeping No 2 keeps its writing")
    app.click(keep)
    app.key("Up", "Return")
    wait_for(lambda: merged_column(app, table).get("Adı") == "ŞÜKRÜ", 5, "kept No 1 again")

    # No 6 is someone else: untick it; the preview follows.
    members = app.find("Birleştirilecek kişiler", "list", root=dlg)
    app.click(items(app, members)[2])
    app.key("space")
    preview = wait_for(lambda: (lambda m: m if m.get("Firma") == "" else None)(
        merged_column(app, table)), 5, "preview without No 6")
    t.check(preview["Adı"] == "ŞÜKRÜ" and preview["Kayıt tarihi"] == "01.02.2008  09:00:00" and
            preview["Telefon - Mail - Web"] == "GSM: 0532 111 22 33\nEv: 0212 000 00 00",
            "preview: the kept writing, the earliest record time, the numbers once", preview)

    t.check(app.status_counts() == (6, 2), "six persons counted, two of Aile listed",
            app.status_counts())
    app.click(app.find("Birleştir", "push button", root=dlg))
    wait_for(lambda: [i.name for i in items(app, groups)][0].endswith("\naynı ad"), 5,
             "what is left of the group offered again")
    t.check(app.status_counts() == (5, 1), "the counts follow the merge", app.status_counts())
    t.check(app.record_no() == "1" and "01.02.2008" in app.edit_time_text(),
            "the window shows the merged person", app.edit_time_text())
    app.click(items(app, groups)[0])
    app.click(app.find("Farklı Kişiler", "push button", root=dlg))
    wait_for(lambda: len(items(app, groups)) == 1, 5, "the different persons' group gone")
    t.check(items(app, groups)[0].name.startswith("ALİ KOÇ"), "ALİ KOÇ still offered",
            items(app, groups)[0].name)
    # Enter on the button just pressed closes the dialog: it never merges or marks again.
    app.key("Return")
    wait_for(lambda: not app._still_open(dlg), 5, "dialog closed by Enter")

    t.check(find_rows(app) == ["6"], "the merged person left the find results")
    app.save()
    doc = app.dump()
    by_no = persons_by_no(doc)
    kept = by_no.get("1", {})
    t.check(sorted(by_no) == ["1", "3", "4", "5", "6"], "No 2 merged away", sorted(by_no))
    t.check(kept.get("Contacts") == ["GSM\t0532 111 22 33", "Ev\t0212 000 00 00"] and
            kept.get("Notes") == ["İlk not", "Telefondan geldi"], "contacts and notes of both",
            kept)
    t.check(group_counts(doc).get("Aile") == 1, "the group's count", group_counts(doc))
    t.check([sorted(e) for e in doc["differentPersons"]] ==
            [sorted([kept.get("Identity"), by_no["6"]["Identity"]])],
            "No 1 and No 6 kept as different persons", doc["differentPersons"])
    r = subprocess.run([app.cli, "duplicates", app.qdb], capture_output=True)
    t.check(r.stdout.decode() == "3 4\taynı ad\n", "only ALİ KOÇ left", r.stdout)


if __name__ == "__main__":
    Runner("duplicates").run([case_merge_and_mark_different])
