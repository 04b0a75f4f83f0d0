#!/usr/bin/env python3
"""zilvaren-cli's print styles, Excel export, table import and birthday
calendar, each read back with a tool of its own (pdftotext, openpyxl)."""
import datetime
import json
import os
import re
import subprocess
import sys
import tempfile

CLI = sys.argv[1]
failures = 0


def check(cond, what, detail=""):
    global failures
    if not cond:
        failures += 1
        print("FAIL:", what, detail)


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True)


def pdf_text(path, *options):
    return subprocess.run(["pdftotext", *options, path, "-"], capture_output=True).stdout.decode()


def write_qdb(path, persons, groups=("Aile", "Aile\xffKuzenler", "İş")):
    lines = ["0 HEAD", "1 GRUP İş"] + ["2 GRUP " + g for g in groups]
    for p in persons:
        lines += ["0 ID " + p["no"], "1 NAME " + p["name"], "1 SURN " + p.get("surname", "")]
        if p.get("born"):
            lines += ["1 BIRT", "2 DATE " + p["born"]]
        if p.get("contacts"):
            lines += ["1 PHON"] + ["2 CONT " + c for c in p["contacts"]]
        if p.get("address"):
            lines += ["1 ADRS"] + ["2 %s %s" % kv for kv in p["address"]]
        lines.append("1 GRUP " + p.get("group", "Aile"))
        lines.append("1 TIME")
        lines.append("2 RECD 01.02.2020  10:00:00")
        if p.get("identity"):
            lines.append("1 IDEN " + p["identity"])
    lines.append("0 TRLR")
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1254"))


today = datetime.date.today()
in_ten_days = today + datetime.timedelta(days=10)
LONG = "Atatürk Bulvarı Kızılay Meydanı Yanı Çok Uzun İş Merkezi No: 123 Kat: 45 Daire: 678"
PERSONS = [
    {"no": "007", "name": "ŞÜKRÜ", "surname": "ÖZIŞIK", "born": "29 02 1968",
     "contacts": ["GSM\t0532 111 22 33", "Mail\tsukru@ornek.com", "Web\twww.ornek.com"],
     "address": [("HOM1", "Kızılay Mah. 5"), ("HOM3", "06100"), ("HOM4", "ANKARA")],
     "group": "Aile\xffKuzenler"},
    {"no": "2", "name": "İPEK", "surname": "IŞIK", "born": in_ten_days.strftime("%d %m 1990"),
     "contacts": ["Ev\t0312 000 00 00"], "address": [("HOM1", LONG), ("HOM4", "ANKARA")]},
    {"no": "3", "name": "CEM", "surname": "ÇELİK", "contacts": ["İş\t0212 999 88 77"],
     "address": [("COMP", "Orvak"), ("WRK1", "Büyükdere Cad. 10"), ("WRK4", "İSTANBUL")],
     "group": "İş"},
    {"no": "4", "name": "AYŞE", "surname": "CAN", "born": "15 02 1975"},
    {"no": "5", "name": "İSMAİL", "surname": "İNCE", "born": "01 02 1980",
     "identity": "urn:uuid:11111111-2222-3333-4444-555555555555"},
]

with tempfile.TemporaryDirectory() as d:
    qdb = os.path.join(d, "ofis.qdb")
    write_qdb(qdb, PERSONS)
    pdf = os.path.join(d, "out.pdf")

    # Each style reads back in its order, Turkish letters as they are.
    r = run("print", qdb, "--style", "phones", "-o", pdf)
    words = [l.split()[0] for l in pdf_text(pdf, "-layout").splitlines() if l.strip()]
    names = [w for w in words if w.endswith(",") or w in ("C", "Ç", "I", "İ", "Ö")]
    check(r.returncode == 0 and names == ["C", "CAN,", "Ç", "ÇELİK,", "I", "IŞIK,", "İ", "İNCE,",
                                          "Ö", "ÖZIŞIK,"],
          "phones: by surname the Turkish way under their initials", names)
    text = pdf_text(pdf, "-layout")
    check("GSM: 0532 111 22 33" in text and "Mail: sukru@ornek.com" in text and
          "www.ornek.com" not in text and "Aile / Kuzenler" in text,
          "phones: telephones and mail with their kinds, the group", text)

    r = run("print", qdb, "--style", "labels", "-o", pdf)
    check(r.returncode == 0 and r.stdout.decode().strip() ==
          "3 kişinin ev adresi olmadığından etiketi basılmadı.",
          "labels: those without a home address counted", r.stdout + r.stderr)
    text = pdf_text(pdf, "-layout")
    check(text.index("ŞÜKRÜ ÖZIŞIK") < text.index("İPEK IŞIK") and "06100 ANKARA" in text and
          "…" in text and "CEM" not in text, "labels: in list order, a long line cut short", text)
    # Every word within its label of 70 × 37 mm (in points), 0.5 mm from the top.
    mm = 72 / 25.4
    outside = []
    for m in re.finditer(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                         r'yMax="([\d.]+)">([^<]*)', pdf_text(pdf, "-bbox")):
        x0, y0, x1, y1 = map(float, m.groups()[:4])
        col, row = int(x0 // (70 * mm)), int((y0 - 0.5 * mm) // (37 * mm))
        if x1 > (col + 1) * 70 * mm or y1 > (0.5 + (row + 1) * 37) * mm:
            outside.append(m.group(5))
    check(not outside, "labels: nothing crosses a label's edge", outside)
    r = run("print", qdb, "--style", "labels", "--address", "work", "-o", pdf)
    text = pdf_text(pdf, "-layout")
    check("CEM ÇELİK" in text and "Orvak" in text and "İSTANBUL" in text and "ŞÜKRÜ" not in text,
          "labels: the work address with the firm", text)

    r = run("print", qdb, "--style", "birthdays", "--month", "2", "-o", pdf)
    text = pdf_text(pdf, "-layout")
    rows = [l.split() for l in text.splitlines() if re.match(r"\s*\d+ Şubat", l)]
    check(r.returncode == 0 and [(w[0], w[3]) for w in rows] == [("1", "İSMAİL"), ("15", "AYŞE"),
                                                                ("28", "ŞÜKRÜ")],
          "birthdays of a month by day, 29 February on the 28th where it is missing", rows)
    year = today.year if today.month <= 2 else today.year + 1
    ages = {w[3]: w[-1] for w in rows}
    check(ages.get("ŞÜKRÜ") == str(year - 1968) and ages.get("AYŞE") == str(year - 1975),
          "the age each turns", ages)
    r = run("print", qdb, "--style", "birthdays", "-o", pdf)
    text = pdf_text(pdf, "-layout")
    check(r.returncode == 0 and "İPEK IŞIK" in text and str(in_ten_days.year - 1990) in text and
          "Doğum Günleri: " + today.strftime("%d.%m.%Y") in text,
          "birthdays of the coming days", text)
    for args, why in ((["--style", "birthdays", "--month", "13"], "a month that is none"),
                      (["--style", "list", "--address", "home"], "an address for the list"),
                      (["--style", "cards"], "an unknown style")):
        check(run("print", qdb, *args, "-o", pdf).returncode == 2, "print refuses " + why)

    # Excel: a bold frozen header, dates as dates, text that keeps its 0.
    xlsx = os.path.join(d, "kisiler.xlsx")
    r = run("export-xlsx", qdb, "-o", xlsx)
    check(r.returncode == 0, "export-xlsx", r.stderr)
    script = r"""
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = [[c.value.strftime('date:%d.%m.%Y') if hasattr(c.value, 'strftime') else c.value
         for c in row] for row in ws.iter_rows()]
print(json.dumps({"freeze": ws.freeze_panes, "bold": all(c.font.b for c in ws[1]),
                  "rows": rows, "date": ws['S2'].number_format,
                  "widths": {k: v.width for k, v in ws.column_dimensions.items()}}))
"""
    book = json.loads(subprocess.run(["/usr/bin/python3", "-c", script, xlsx],
                                     capture_output=True, text=True).stdout)
    head, first = book["rows"][0], book["rows"][1]
    check(book["freeze"] == "A2" and book["bold"] and head[0] == "SrNo" and head[9] == "Grup",
          "the header row is bold and stays in view", (book["freeze"], head))
    check(first[0] == "007" and first[22] == "0532 111 22 33" and first[9] == "Aile / Kuzenler",
          "record numbers and telephone numbers stay text; the group as a column", first)
    check(first[18] == "date:29.02.1968" and book["date"] == "dd.mm.yyyy" and
          book["rows"][3][18] is None, "birth dates are dates", [r[18] for r in book["rows"]])
    check(book["widths"]["K"] > 60 and book["widths"]["A"] < 10, "columns as wide as their values",
          book["widths"])
    r = run("export-xlsx", qdb, "--group", "aile", "-o", xlsx)
    book = json.loads(subprocess.run(["/usr/bin/python3", "-c", script, xlsx],
                                     capture_output=True, text=True).stdout)
    check([row[0] for row in book["rows"][1:]] == ["007", "2", "4", "5"],
          "a group's persons and those of its sub-groups", book["rows"])
    check(run("export-xlsx", qdb, "--group", "Yok", "-o", xlsx).returncode == 1 and
          os.path.getsize(xlsx) > 0, "an unknown group writes nothing over the old file")
    r = run("export-xlsx", qdb, "-o", os.path.join(d, "yok", "k.xlsx"))
    check(r.returncode == 1 and "Excel dosyası yazılamadı" in r.stderr.decode() and
          "Geçici dosya oluşturulamadı" in r.stderr.decode(), "a missing folder is reported",
          r.stderr.decode())

    # The birthdays as a calendar: UIDs that stay, 29 February.
    ics = os.path.join(d, "dogum.ics")
    check(run("export-ics", qdb, "-o", ics).returncode == 0, "export-ics")
    first = open(ics, "rb").read()
    run("save", qdb, os.path.join(d, "kopya.qdb"))
    run("export-ics", os.path.join(d, "kopya.qdb"), "-o", ics)
    second = open(ics, "rb").read()
    uids = lambda b: re.findall(rb"UID:([^\r]+)\r\n", b)
    check(len(uids(first)) == 4 and uids(first) == uids(second) and len(set(uids(first))) == 4,
          "one event per birth date, the same UIDs from a copy of the file", uids(first))
    events = first.split(b"BEGIN:VEVENT\r\n")[1:]
    check(b"DTSTART;VALUE=DATE:19680229\r\nDTEND;VALUE=DATE:19680301\r\n"
          b"RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\r\n" in events[0] and
          b"RRULE:FREQ=YEARLY\r\n" in events[1], "29 February kept on February's last day",
          events[:2])
    check(first.startswith(b"BEGIN:VCALENDAR\r\nVERSION:2.0\r\n") and
          first.endswith(b"END:VCALENDAR\r\n") and b"\n" not in first.replace(b"\r\n", b"") and
          all(len(l) <= 75 for l in first.split(b"\r\n")) and
          "SUMMARY:Doğum Günü: ŞÜKRÜ ÖZIŞIK".encode() in first,
          "CR LF lines of at most 75 octets, UTF-8", first[:300])

# Table import: Google (UTF-16 with a byte order mark), Outlook (UTF-8 with
# one), a Turkish Excel list (code page 1254, semicolons).
GOOGLE = ("Name,Given Name,Additional Name,Family Name,Birthday,Notes,E-mail 1 - Type,"
          "E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
          "Address 1 - Street,Address 1 - City,Organization 1 - Name\r\n"
          "Şükrü Can Özışık,Şükrü,Can,Özışık,1968-02-29,\"bir\r\niki\",* Home,sukru@ornek.com,"
          "Mobile,0532 111 22 33 ::: 0533 444 55 66,Work Fax,0312 000 00 00,"
          "\"Atatürk Cad. 5, Çankaya\",Ankara,\"Orvak \"\"A.Ş.\"\"\"\r\n"
          ",,,,,,,,,,,,,,\r\n")
OUTLOOK = ("\ufeff\"First Name\",\"Middle Name\",\"Last Name\",\"E-mail Address\","
           "\"Mobile Phone\",\"Business Phone\",\"Business Street\",\"Business City\","
           "\"Company\",\"Job Title\",\"Birthday\"\r\n"
           "\"Ahmet\",\"\",\"Yılmaz\",\"ahmet@ornek.com\",\"0532 000 11 22\",\"0212 333 44 55\","
           "\"Büyükdere Cad. 10\",\"İstanbul\",\"Orvak\",\"Mühendis\",\"5/23/1978\"\r\n"
           "\"Zeynep\",\"\",\"Kaya\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"0/0/00\"\r\n")
TURKISH = ("Adı;Soyadı;Cep Telefonu;İş Telefonu;E-posta;Doğum Tarihi;Şirket;Adres;Şehir;Not\r\n"
           "çağla;öztürk;0532 999 88 77;0312 111 22 33;cagla@ornek.com;05.03.1970;Orvak;"
           "Kızılay Mah. 3;ANKARA;\r\n"
           "İSMAİL;ŞAHİN;;;;31.02.1980;;;;\r\n")

with tempfile.TemporaryDirectory() as d:
    qdb = os.path.join(d, "kayit.qdb")
    write_qdb(qdb, [{"no": "12", "name": "ALİ", "group": "İş"}])
    files = {"google.csv": GOOGLE.encode("utf-16"), "outlook.csv": OUTLOOK.encode("utf-8"),
             "turkce.csv": TURKISH.encode("cp1254")}
    for name, data in files.items():
        with open(os.path.join(d, name), "wb") as f:
            f.write(data)

    def imported(name, *args):
        out = os.path.join(d, name + ".qdb")
        r = run("import-csv", qdb, os.path.join(d, name), *args, "-o", out)
        doc = json.loads(run("dump", out).stdout.decode()) if r.returncode == 0 else {}
        return r, doc.get("persons", [])[1:]

    def shown_map(name, *args):
        r = run("import-csv", qdb, os.path.join(d, name), *args, "--show-map")
        return [l.split("\t")[1:] for l in r.stdout.decode().splitlines()]

    check(shown_map("google.csv")[:4] == [["Name", "-"], ["Given Name", "Ad"],
                                          ["Additional Name", "Ad"], ["Family Name", "Soyad"]] and
          ["Phone 1 - Value", "Ev", "tür: Phone 1 - Type"] in shown_map("google.csv"),
          "Google's header guessed, the kind of a number from its type column",
          shown_map("google.csv"))
    r, persons = imported("google.csv", "--group", "aile")
    p = persons[0] if persons else {}
    check(r.returncode == 0 and len(persons) == 1 and
          "Aktarılacak bilgisi olmayan 1 satır atlandı." in r.stdout.decode(),
          "Google: one person, the empty row skipped and counted", r.stdout + r.stderr)
    check((p.get("RecordNo"), p.get("FirstName"), p.get("Surname"), p.get("GroupPath"),
           p.get("BirthDateText"), p.get("Firm"), p.get("HomeAddress1"), p.get("Notes")) ==
          ("13", "ŞÜKRÜ CAN", "ÖZIŞIK", "Aile", "29.02.1968", 'Orvak "A.Ş."',
           "Atatürk Cad. 5, Çankaya", ["bir", "iki"]),
          "Google: names upper-cased the Turkish way, numbered after the highest", p)
    check(p.get("Contacts") == ["Mail\tsukru@ornek.com", "GSM\t0532 111 22 33",
                                "GSM\t0533 444 55 66", "Fax\t0312 000 00 00"],
          "Google: a kind from each number's type, a cell's values apart", p.get("Contacts"))

    check(shown_map("outlook.csv")[4:8] == [["Mobile Phone", "GSM"], ["Business Phone", "Is"],
                                           ["Business Street", "IsAdres1"],
                                           ["Business City", "IsSehir"]],
          "Outlook's header guessed", shown_map("outlook.csv"))
    r, persons = imported("outlook.csv")
    check([(p["FirstName"], p["Surname"], p["Contacts"], p["WorkAddress1"], p["Profession"],
            p["BirthDateText"], p["GroupPath"]) for p in persons] ==
          [("AHMET", "YILMAZ", ["Mail\tahmet@ornek.com", "GSM\t0532 000 11 22",
                                "İş\t0212 333 44 55"], "Büyükdere Cad. 10", "Mühendis",
            "23.05.1978", "İş"),
           ("ZEYNEP", "KAYA", [], "", "", None, "İş")],
          "Outlook: m/d/yyyy read, 0/0/00 is no date, the file's group", persons)

    check([m[1] for m in shown_map("turkce.csv")] ==
          ["Ad", "Soyad", "GSM", "Is", "Mail", "DogumTarihi", "Firma", "EvAdres1", "EvSehir",
           "Notlar"], "the Turkish header guessed", shown_map("turkce.csv"))
    check(shown_map("turkce.csv", "--map", "Cep Telefonu=Ev", "--map", "7=-")[2:7:4] ==
          [["Cep Telefonu", "Ev"], ["Şirket", "-"]], "--map changes a column by name or number",
          shown_map("turkce.csv", "--map", "Cep Telefonu=Ev", "--map", "7=-"))
    r, persons = imported("turkce.csv", "--map", "Cep Telefonu=Ev")
    check([(p["FirstName"], p["Surname"], p["Contacts"][:1], p["HomeCity"], p["BirthDateText"])
           for p in persons] == [("ÇAĞLA", "ÖZTÜRK", ["Ev\t0532 999 88 77"], "ANKARA",
                                  "05.03.1970"), ("İSMAİL", "ŞAHİN", [], "", None)] and
          "\"31.02.1980\" tarih olarak okunamadı" in r.stdout.decode(),
          "code page 1254 read; a date that is none named", (persons, r.stdout.decode()))

    # Letters the record file cannot hold are listed, nothing imported.
    with open(os.path.join(d, "kiril.csv"), "w", encoding="utf-8") as f:
        f.write("Ad,Soyad\nИван,Петров\n")
    out = os.path.join(d, "kiril.qdb")
    r = run("import-csv", qdb, os.path.join(d, "kiril.csv"), "-o", out)
    check(r.returncode == 1 and "2. satır (ИВАН ПЕТРОВ), Ad: И В А Н" in r.stderr.decode() and
          not os.path.exists(out), "unencodable letters listed first", r.stderr.decode())
    r, persons = imported("kiril.csv", "--replace-unencodable")
    check([p["FirstName"] for p in persons] == ["????"], "or taken as '?'", persons)
    for args, why in ((["yok.csv"], "a missing file"), (["google.csv", "--map", "Yok=Ad"],
                                                        "a column that is none"),
                      (["google.csv", "--map", "1=Telefon"], "a field that is none")):
        r = run("import-csv", qdb, *[os.path.join(d, args[0])] + args[1:], "-o", out)
        check(r.returncode == 1 and r.stderr and not os.path.exists(out), "import-csv refuses " + why,
              r.stderr.decode())

print(f"{0 if failures else 1} passed, {failures} failed")
sys.exit(1 if failures else 0)
