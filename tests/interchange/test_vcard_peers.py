#!/usr/bin/python3
"""vCard files between zilvaren-cli and two other programs: abook reads our
cards and writes its own, python3-vobject parses ours and writes its own."""
import json
import os
import subprocess
import sys
import tempfile

import vobject

CLI = sys.argv[1]
failures = 0


def check(cond, what, detail=""):
    global failures
    print(("ok   " if cond else "FAIL ") + what + ("" if cond else ": %s" % (detail,)))
    if not cond:
        failures += 1


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True)


PERSONS = [
    ("1", "ŞÜKRÜ ÇAĞRI", "IŞIKLI", ["GSM\t0532 111 22 33", "Ev\t0312 444 55 66",
                                     "Mail\tsukru@ornek.com.tr"]),
    ("2", "İSMAİL", "AĞAOĞLU ÖZ", ["İş\t0216 333 00 00", "Fax\t0216 333 00 01"]),
    ("3", "GÜLŞEN", "ÖZTÜRK", ["GSM\t0555 000 11 22"]),
]


def write_qdb(path):
    lines = ["0 HEAD", "1 GRUP Aile", "2 GRUP Aile", "2 GRUP İş", "1 FIND "]
    for no, name, surname, contacts in PERSONS:
        lines += ["0 ID " + no, "1 NAME " + name, "1 SURN " + surname, "1 PHON"]
        lines += ["2 CONT " + c for c in contacts]
        lines += ["1 NOTE", "2 CONT Not: görüşüldü", "1 GRUP Aile"]
    lines.append("0 TRLR")
    with open(path, "wb") as f:
        f.write("".join(l + "\r\n" for l in lines).encode("cp1254"))


def imported(d, cards, name):
    """Imports cards into a copy of the sample file; returns the new persons."""
    out = os.path.join(d, name + ".qdb")
    r = run("import-vcard", os.path.join(d, "in.qdb"), cards, "--group", "iş", "-o", out)
    check(r.returncode == 0, name + ": import-vcard exits 0", r.stderr.decode())
    doc = json.loads(run("dump", out).stdout.decode("utf-8"))
    return doc["persons"][len(PERSONS):]


def digits(s):
    return "".join(c for c in s if c.isdigit())


with tempfile.TemporaryDirectory() as d:
    write_qdb(os.path.join(d, "in.qdb"))
    cards = os.path.join(d, "ours.vcf")
    r = run("export-vcard", os.path.join(d, "in.qdb"), "-o", cards)
    check(r.returncode == 0, "export-vcard exits 0", r.stderr.decode())
    raw = open(cards, "rb").read()

    # vobject parses every card and sees every name and number.
    parsed = list(vobject.readComponents(raw.decode("utf-8")))
    check(len(parsed) == len(PERSONS), "vobject reads one card per person", len(parsed))
    for card, (no, name, surname, contacts) in zip(parsed, PERSONS):
        check((card.n.value.given, card.n.value.family) == (name, surname),
              "vobject: name of %s" % no, (card.n.value.given, card.n.value.family))
        tels = [t.value for t in card.contents.get("tel", [])]
        want = [c.split("\t")[1] for c in contacts if c.split("\t")[0] in ("GSM", "Ev", "İş", "Fax")]
        check(tels == want, "vobject: numbers of %s" % no, tels)
        check(card.uid.value.startswith("urn:uuid:"), "vobject: UID of %s" % no)

    # abook reads the same file without losing names or numbers.
    r = subprocess.run(["abook", "--convert", "--informat", "vcard", "--infile", cards,
                        "--outformat", "abook", "--outfile", "-"], capture_output=True)
    check(r.returncode == 0, "abook converts our cards", r.stderr)
    entries = [e for e in r.stdout.decode("utf-8").split("\n\n") if "name=" in e]
    check(len(entries) == len(PERSONS), "abook reads one entry per card", len(entries))
    for entry, (no, name, surname, contacts) in zip(entries, PERSONS):
        fields = dict(l.split("=", 1) for l in entry.splitlines() if "=" in l)
        check(fields.get("name") == name + " " + surname, "abook: name of %s" % no, fields)
        numbers = sorted(digits(v) for k, v in fields.items()
                         if k in ("mobile", "phone", "workphone", "fax"))
        want = sorted(digits(c.split("\t")[1]) for c in contacts if not c.startswith("Mail"))
        check(numbers == want, "abook: numbers of %s" % no, (numbers, want))

    # Our reader takes what vobject writes.
    card = vobject.vCard()
    card.add("n").value = vobject.vcard.Name(family="Çelebi", given="Ömer Faruk")
    card.add("fn").value = "Ömer Faruk Çelebi"
    tel = card.add("tel")
    tel.value = "0532 999 88 77"
    tel.type_param = "CELL"
    card.add("email").value = "omer@ornek.com"
    adr = card.add("adr")
    adr.value = vobject.vcard.Address(street="Gül Sk. 7; Kat 2", city="Eskişehir", code="26100")
    adr.type_param = "HOME"
    card.add("org").value = ["Orvak, Bilişim"]
    card.add("note").value = "bir\nıkı"
    path = os.path.join(d, "vobject.vcf")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(card.serialize())
    new = imported(d, path, "vobject")
    check(len(new) == 1, "vobject's card imported", len(new))
    if new:
        p = new[0]
        check((p["FirstName"], p["Surname"]) == ("ÖMER FARUK", "ÇELEBİ"), "vobject card: names",
              (p["FirstName"], p["Surname"]))
        check(sorted(p["Contacts"]) == ["GSM\t0532 999 88 77", "Mail\tomer@ornek.com"],
              "vobject card: contacts", p["Contacts"])
        check((p["HomeAddress1"], p["HomeCity"], p["Firm"], p["Notes"]) ==
              ("Gül Sk. 7; Kat 2", "Eskişehir", "Orvak, Bilişim", ["bir", "ıkı"]),
              "vobject card: address, firm, notes",
              (p["HomeAddress1"], p["HomeCity"], p["Firm"], p["Notes"]))
        check(p["GroupPath"] == "İş" and p["RecordNo"] == "4", "filed under --group, numbered on",
              (p["GroupPath"], p["RecordNo"]))

    # Our reader takes what abook writes (abook leaves VERSION out).
    book = os.path.join(d, "book.abook")
    with open(book, "w", encoding="utf-8") as f:
        f.write("[format]\nprogram=abook\nversion=0.6.1\n\n[0]\nname=Zeynep Doğan\n"
                "email=zeynep@ornek.com\nphone=0312 111 11 11\nmobile=0533 222 22 22\n"
                "workphone=0312 333 33 33\nfax=0312 444 44 44\ncity=İzmir\n")
    path = os.path.join(d, "abook.vcf")
    r = subprocess.run(["abook", "--convert", "--informat", "abook", "--infile", book,
                        "--outformat", "vcard", "--outfile", path], capture_output=True)
    check(r.returncode == 0, "abook writes cards", r.stderr)
    new = imported(d, path, "abook")
    check(len(new) == 1, "abook's card imported", len(new))
    if new:
        p = new[0]
        check((p["FirstName"], p["Surname"]) == ("ZEYNEP", "DOĞAN"), "abook card: names",
              (p["FirstName"], p["Surname"]))
        check(sorted(p["Contacts"]) == sorted(["Ev\t0312 111 11 11", "GSM\t0533 222 22 22",
                                               "İş\t0312 333 33 33", "Fax\t0312 444 44 44",
                                               "Mail\tzeynep@ornek.com"]),
              "abook card: contacts", p["Contacts"])

    # The command line refuses letters the record file cannot hold unless told.
    path = os.path.join(d, "cyr.vcf")
    with open(path, "wb") as f:
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петров;Иван;;;\r\nEND:VCARD\r\n".encode())
    out = os.path.join(d, "cyr.qdb")
    r = run("import-vcard", os.path.join(d, "in.qdb"), path, "-o", out)
    check(r.returncode == 1 and "Иван".upper() in r.stderr.decode() and not os.path.exists(out),
          "unencodable letters listed, nothing written", r.stderr.decode())
    r = run("import-vcard", os.path.join(d, "in.qdb"), path, "--replace-unencodable", "-o", out)
    check(r.returncode == 0 and "1 kişi" in r.stdout.decode(), "imported when told", r.stdout)
    r = run("import-vcard", os.path.join(d, "in.qdb"), os.path.join(d, "yok.vcf"), "-o", out)
    check(r.returncode == 1 and "okunamadı" in r.stderr.decode(), "missing file told", r.stderr)

print("%d failed" % failures)
sys.exit(1 if failures else 0)
