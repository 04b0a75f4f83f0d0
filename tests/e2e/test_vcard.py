#!/usr/bin/python3
"""vCard import and export through the "Dosya" menu."""
import base64
import os

from harness import Runner, has_state, person, wait_for

DATA = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "data", "vcard"))
PERSONS = [person("1", "ALİ", "KAYA", "A"), person("12", "VELİ", "ALİOĞLU", "B",
                                                     Contacts=["GSM\t0532 000 00 01"])]


def start(t, **kw):
    args = dict(header_idno="1", header_group="A", groups=["A", "B"], persons=PERSONS)
    args.update(kw)
    return t.new_app(**args)


def case_import(t):
    app = start(t)
    with open(os.path.join(DATA, "photo.jpg"), "rb") as f:
        photo = f.read()
    src = os.path.join(app.folder, "kartlar.vcf")
    with open(src, "wb") as f:
        f.write(open(os.path.join(DATA, "v21_qp_utf8.vcf"), "rb").read())
        f.write(("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Öztürk;Gülşen;;;\r\n"
                 "PHOTO;ENCODING=b;TYPE=JPEG:%s\r\nEND:VCARD\r\n" %
                 base64.b64encode(photo).decode()).encode())
    app.click_group("B")
    app.menu("Dosya", "vCard İçe Aktar…")
    app.file_dialog_enter(src)
    box, text = app.message(containing="kişi aktarıldı")
    t.check("2 kişi aktarıldı" in text, "two persons reported", text)
    app.answer(box, "OK", "Tamam")
    wait_for(lambda: len(app.list_nos()) == 3, 5, "imported persons listed in group B")
    app.save()
    doc = app.dump()
    new = doc["persons"][2:]
    t.check([(p["RecordNo"], p["FirstName"], p["Surname"], p["GroupPath"]) for p in new] ==
            [("13", "ŞÜKRÜ ÇAĞRI", "IŞIKLI", "B"), ("14", "GÜLŞEN", "ÖZTÜRK", "B")],
            "Turkish names, numbers after the highest, filed in the focused group",
            [(p["RecordNo"], p["FirstName"], p["Surname"], p["GroupPath"]) for p in new])
    if len(new) == 2:
        t.check(new[1]["Pictures"] == ["photo1.jpg"], "photo added to the pictures",
                new[1]["Pictures"])
    stored = os.path.join(app.folder, "photo1.jpg")
    t.check(os.path.exists(stored) and open(stored, "rb").read() == photo,
            "photo saved beside the record file", stored)


def case_unencodable_cancel(t):
    app = start(t)
    src = os.path.join(app.folder, "kiril.vcf")
    with open(os.path.join(DATA, "unencodable.vcf"), "rb") as f, open(src, "wb") as out:
        out.write(f.read())
    app.menu("Dosya", "vCard İçe Aktar…")
    app.file_dialog_enter(src)
    box, text = app.message(containing="1254")
    t.check("ИВАН" in text and "Firma" in text, "cards and fields with foreign letters shown",
            text)
    app.answer(box, "Cancel", "İptal")
    t.check(app.list_nos() == ["1"], "nothing imported", app.list_nos())
    t.check(has_state(app.tool("Dosya Aç"), "enabled"), "window unlocked after cancel")


def case_export(t):
    app = start(t)
    out = os.path.join(app.folder, "kisiler.vcf")
    app.menu("Dosya", "vCard Olarak Dışa Aktar…")
    box, text = app.message(containing="Yalnızca")
    t.check('"A"' in text, "asks about the focused group", text)
    app.answer(box, "Hayır", "No")
    app.file_dialog_enter(out)
    box, text = app.message(containing="vCard olarak aktarıldı")
    t.check(text.startswith("2 kişi"), "export reports two cards", text)
    app.answer(box, "OK", "Tamam")
    data = open(out, "rb").read() if os.path.exists(out) else b""
    text = data.decode("utf-8")
    t.check(text.count("BEGIN:VCARD\r\n") == 2 and "N:KAYA;ALİ;;;\r\n" in text and
            "TEL;TYPE=CELL,VOICE:0532 000 00 01\r\n" in text, "cards written in UTF-8", text)


if __name__ == "__main__":
    Runner("vcard").run([case_import, case_unencodable_cancel, case_export])
