#!/usr/bin/python3
"""zilvaren-cli sync against a real CardDAV server: Radicale, started here
on 127.0.0.1, with a second client that changes cards in between."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from radicale_server import Radicale, free_port  # noqa: E402

CLI = sys.argv[1]
USER, PASSWORD = "ayşe", "şifre ğüş"
failures = 0


def check(cond, what, detail=""):
    global failures
    if not cond:
        failures += 1
        print("FAIL:", what, detail)
    else:
        print("ok  ", what)


def record_file(path, persons):
    lines = ["0 HEAD", "1 GRUP Aile", "2 GRUP Aile"]
    for no, name, extra in persons:
        lines += ["0 ID " + no, "1 NAME " + name] + extra + ["1 GRUP Aile"]
    lines.append("0 TRLR")
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1254"))


def dump(path):
    return json.loads(subprocess.run([CLI, "dump", path], capture_output=True).stdout)


def card(uid, given, family="", extra=()):
    return ("\r\n".join(["BEGIN:VCARD", "VERSION:3.0", "UID:" + uid, "N:%s;%s;;;" % (family, given),
                         "FN:%s %s" % (given, family)] + list(extra) + ["END:VCARD"]) +
            "\r\n").encode("utf-8")


work = tempfile.mkdtemp()
server = Radicale({USER: PASSWORD, "veli": "v"}).start()
secret = os.path.join(work, "sifre")
with open(secret, "w", encoding="utf-8") as f:
    f.write(PASSWORD + "\n")


def sync(path, url=None, user=USER, password_file=secret, env=None, timeout=120):
    args = [CLI, "sync", path, "--url", url or server.url, "--user", user]
    if password_file:
        args += ["--password-file", password_file]
    started = time.monotonic()
    r = subprocess.run(args, capture_output=True, timeout=timeout,
                       env=dict(os.environ, **(env or {})))
    return r.returncode, r.stdout.decode(), r.stderr.decode(), time.monotonic() - started


try:
    # The first sync from the server's root: the user has no address book,
    # so one is made, named after the file; Turkish letters in the name and
    # the password travel as UTF-8.
    qdb = os.path.join(work, "personel.qdb")
    record_file(qdb, [("1", "ALİ", ["1 SURN KAYA", "1 PHON", "2 CONT GSM\t0532 111 22 33"]),
                      ("2", "AYŞE", [])])
    code, out, err, _ = sync(qdb)
    check(code == 0 and "2 kart gönderildi" in out, "first sync sends both persons", out + err)
    books = server.books(USER)
    check(len(books) == 1 and books[0].rstrip("/").endswith("personel"), "a book named after the file", books)
    book = books[0]
    cards = server.cards(USER, book)
    check(len(cards) == 2 and any("TEL;TYPE=CELL,VOICE:0532 111 22 33" in c for c in cards.values()),
          "the cards are on the server", cards)
    persons = {p["FirstName"]: p for p in dump(qdb)["persons"]}
    check(all(p["Identity"].startswith("urn:uuid:") for p in persons.values()),
          "identities are in the file", persons)
    check(os.path.exists(os.path.join(work, "personel.sync")), "the state lies beside the file")

    # Another client adds a card and changes one.
    ali_href = next(h for h, c in cards.items() if "ALİ" in c)
    ali = cards[ali_href].replace("END:VCARD", "TITLE:Mühendis\r\nEND:VCARD")
    server.request(USER, "PUT", ali_href, ali.encode("utf-8"), {"Content-Type": "text/vcard"})
    server.request(USER, "PUT", book + "telefon-1.vcf", card("telefon-1", "DENİZ", "SU"),
                   {"Content-Type": "text/vcard"})
    code, out, err, _ = sync(qdb)
    persons = {p["FirstName"]: p for p in dump(qdb)["persons"]}
    check(code == 0 and "2 kişi alındı" in out, "the other client's changes come", out + err)
    check(persons.get("ALİ", {}).get("Profession") == "Mühendis", "the changed card reaches its person",
          persons.get("ALİ"))
    check("DENİZ" in persons and persons["DENİZ"]["GroupPath"] == "Belli Değil",
          "the new card is a new person", list(persons))
    check(os.path.exists(os.path.join(work, "personel.BAK")), "the file was saved with a backup")

    # Both sides change AYŞE: exit 3, and both versions stay.
    text = open(qdb, "rb").read().decode("cp1254").replace("1 NAME AYŞE", "1 NAME AYŞE\r\n1 SURN YEREL")
    with open(qdb, "wb") as f:
        f.write(text.encode("cp1254"))
    cards = server.cards(USER, book)
    ayse_href = next(h for h, c in cards.items() if "AYŞE" in c)
    server.request(USER, "PUT", ayse_href,
                   cards[ayse_href].replace("END:VCARD", "ORG:Sunucu\r\nEND:VCARD").encode("utf-8"),
                   {"Content-Type": "text/vcard"})
    code, out, err, _ = sync(qdb)
    doc = dump(qdb)
    kept = [p for p in doc["persons"] if p["FirstName"] == "AYŞE"]
    check(code == 3 and "1 çakışma" in out, "a conflict ends with exit code 3", (code, out, err))
    check(sorted(p["GroupPath"] for p in kept) == ["Aile", "Çakışmalar"] and
          any(p["Surname"] == "YEREL" for p in kept) and any(p["Firm"] == "Sunucu" for p in kept),
          "both versions stay, the server's in the conflict group", kept)

    # A wrong password, and a server that is not there: a message, and the
    # file as it was.
    before = open(qdb, "rb").read()
    wrong = os.path.join(work, "yanlis")
    with open(wrong, "w") as f:
        f.write("yanlış\n")
    code, out, err, _ = sync(qdb, password_file=wrong)
    check(code not in (0, 3) and "kabul etmedi" in err, "a wrong password is refused", err)
    code, out, err, took = sync(qdb, url="http://127.0.0.1:%d/" % free_port())
    check(code not in (0, 3) and "kabul etmedi" in err and took < 60, "a server that is down", err)
    check(open(qdb, "rb").read() == before, "a failed sync leaves the file as it was")

    # The password from the environment; a file not there yet is made from
    # the address book.
    made = os.path.join(work, "yeni.qdb")
    code, out, err, _ = sync(made, url=server.url.rstrip("/") + book, password_file=None,
                             env={"ZILVAREN_DAV_PASSWORD": PASSWORD})
    names = sorted(p["FirstName"] for p in dump(made)["persons"]) if os.path.exists(made) else []
    # (the conflict's second person goes with the next sync of its file)
    check(code == 0 and names == ["ALİ", "AYŞE", "DENİZ"], "a new file is made from the book",
          (code, err, names))

    # A card the file cannot hold stays on the server, untouched.
    cyrillic = card("ivan-1", "Иван", "Петров")
    server.request(USER, "PUT", book + "ivan.vcf", cyrillic, {"Content-Type": "text/vcard"})
    code, out, err, _ = sync(qdb)
    check(code == 0 and "Иван" in out, "a card the file cannot hold is named", out + err)
    code, out, err, _ = sync(qdb)
    check(code == 0 and server.request(USER, "GET", book + "ivan.vcf")[0] == 200,
          "and stays on the server")

    # A server that takes the connection and never answers: a message
    # within a minute.
    import socket
    import threading
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(5)
    held = []
    threading.Thread(target=lambda: [held.append(silent.accept()) for _ in range(3)],
                     daemon=True).start()
    code, out, err, took = sync(os.path.join(work, "sessiz.qdb"),
                                url="http://127.0.0.1:%d/" % silent.getsockname()[1])
    check(code not in (0, 3) and "yanıt vermiyor" in err and took < 60,
          "a silent server is given up within a minute", (took, err))
    silent.close()

    # A sync killed part way, then run again: every person has one card.
    many = os.path.join(work, "kalabalik.qdb")
    record_file(many, [(str(i), "KİŞİ%d" % i, []) for i in range(1, 61)])
    args = [CLI, "sync", many, "--url", server.url, "--user", "veli"]
    p = subprocess.Popen(args, env=dict(os.environ, ZILVAREN_DAV_PASSWORD="v"),
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(0.4)
    p.kill()
    p.wait()
    code, out, err, _ = sync(many, user="veli", password_file=None,
                             env={"ZILVAREN_DAV_PASSWORD": "v"})
    vbooks = server.books("veli")
    names = [re.search(r"FN:(.*)", c).group(1).strip()
             for b in vbooks for c in server.cards("veli", b).values()]
    check(code == 0 and len(names) == 60 and len(set(names)) == 60,
          "a killed sync, run again, leaves no duplicate card", (code, err, len(names)))

    # Several books: refused and listed, until the address names one.
    server.make_book(USER, "ikinci")
    other = os.path.join(work, "baska.qdb")
    code, out, err, _ = sync(other)
    check(code not in (0, 3) and "birden çok adres defteri" in err and "ikinci" in err,
          "several books are listed", err)

    # A certificate that cannot be verified is refused, never passed over.
    tls = Radicale({USER: PASSWORD}, tls=True).start()
    try:
        code, out, err, took = sync(os.path.join(work, "tls.qdb"), url=tls.url)
        check(code not in (0, 3) and "sertifika" in err and took < 60, "TLS errors are refused", err)
        check(not os.path.exists(os.path.join(tls.dir, "collections", "collection-root", USER)),
              "nothing reached the unverified server")
    finally:
        tls.stop()
finally:
    server.stop()
    shutil.rmtree(work, ignore_errors=True)

print("%s passed, %d failed" % ("all" if not failures else "some", failures))
sys.exit(1 if failures else 0)
