#!/usr/bin/env python3
"""End-to-end checks of zilvaren-cli (dump, save and the other commands), and
of what both programs answer to --help and --version.

Arguments: zilvaren-cli, zilvaren, the project's version."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

CLI, GUI, VERSION = sys.argv[1:4]
failures = 0


def check(cond, what):
    global failures
    if not cond:
        failures += 1
        print("FAIL:", what)


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True)


# --help and --version answer on standard output and exit 0, the window's
# program too, without a display; a wrong command line is an error.
NO_DISPLAY = {k: v for k, v in os.environ.items()
              if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
for program, name in ((CLI, "zilvaren-cli"), (GUI, "zilvaren")):
    for flag in ("--help", "-h"):
        r = subprocess.run([program, flag], capture_output=True, env=NO_DISPLAY, timeout=30)
        check(r.returncode == 0 and r.stdout.decode().startswith("usage: %s " % name)
              and r.stderr == b"", "%s %s: usage on standard output, exit 0: %r"
              % (name, flag, (r.returncode, r.stdout[:80], r.stderr[:200])))
    r = subprocess.run([program, "--version"], capture_output=True, env=NO_DISPLAY, timeout=30)
    check(r.returncode == 0 and r.stdout.decode() == "%s %s\n" % (name, VERSION),
          "%s --version: %r" % (name, (r.returncode, r.stdout, r.stderr[:200])))
for args in ((), ("kaydet", "a.qdb"), ("--yardim",)):
    r = subprocess.run([CLI, *args], capture_output=True)
    check(r.returncode == 2 and r.stdout == b"" and r.stderr.startswith(b"usage: zilvaren-cli "),
          "a wrong command line %r: usage on standard error, exit 2" % (args,))

SAMPLE = ("0 HEAD\r\n1 IDNO 2\r\n1 GRUP Aile\r\n2 GRUP Aile\r\n1 FIND \r\n2 ITEM ışık\r\n"
          "0 ID 1\r\n1 NAME ŞÜKRÜ\r\n1 GRUP Aile\xffKuz\r\n0 ID 2\r\n1 NAME ALİ\r\n"
          "1 BIRT\r\n2 DATE 05 03 1970\r\n0 TRLR\r\n").encode("cp1254")

with tempfile.TemporaryDirectory() as d:
    src = os.path.join(d, "in.qdb")
    out = os.path.join(d, "out.qdb")
    with open(src, "wb") as f:
        f.write(SAMPLE)

    r = run("dump", src)
    check(r.returncode == 0, "dump exits 0")
    doc = json.loads(r.stdout.decode("utf-8"))
    check(doc["error"] is None, "no error")
    check(doc["focusedRecordNo"] == "2", "focused person")
    check(doc["find"]["items"] == ["ışık"], "find words decoded")
    check(doc["persons"][0]["FirstName"] == "ŞÜKRÜ", "Turkish letters")
    check(doc["persons"][0]["GroupPath"] == "Aile\u00ffKuz", "path separator as ÿ")
    check(doc["persons"][1]["BirthDateText"] == "05.03.1970", "date text")
    check(doc["persons"][1]["GroupPath"] == "Belli Değil", "no group")
    aile = doc["groups"][0]
    check(aile["memberCount"] == 1 and aile["children"][0]["name"] == "Kuz", "groups")

    check(run("save", src, out).returncode == 0, "save exits 0")
    check(run("save", out, out).returncode == 0, "save onto itself")
    check(os.path.exists(os.path.join(d, "out.BAK")), "backup kept")
    with open(out, "rb") as f:
        saved = f.read()
    check(saved.startswith(b"0 HEAD\r\n") and saved.endswith(b"0 TRLR\r\n"), "written whole")
    check(b"1 IDNO 2\r\n" in saved, "focused person written")

    bad = os.path.join(d, "bad.qdb")
    with open(bad, "wb") as f:
        f.write(b"0 ID 1\r\n0 TRLR\r\n1 SETS \r\n2 CHEK FindWords=x\r\n")
    r = run("dump", bad)
    check(r.returncode == 1, "dump of a bad file exits 1")
    doc = json.loads(r.stdout.decode("utf-8"))
    check(doc["error"]["message"] == "'x' is not a valid integer value", "error member")
    check(len(doc["persons"]) == 1, "what was read is printed")
    r = run("save", bad, os.path.join(d, "never.qdb"))
    check(r.returncode != 0 and not os.path.exists(os.path.join(d, "never.qdb")),
          "save of a bad file writes nothing")
    check(run("save", os.path.join(d, "missing.qdb"), out).returncode != 0, "missing input")

    # A file its owner made read-only is not replaced, in a writable folder
    # and by root too; nothing beside it changes.
    locked = os.path.join(d, "kilitli.qdb")
    with open(locked, "wb") as f:
        f.write(SAMPLE)
    os.chmod(locked, 0o444)
    r = run("save", src, locked)
    check(r.returncode == 1 and "Dosya salt okunur." in r.stderr.decode("utf-8"),
          "a read-only file is refused: " + r.stderr.decode("utf-8"))
    with open(locked, "rb") as f:
        check(f.read() == SAMPLE, "the read-only file keeps its content")
    check(sorted(n for n in os.listdir(d) if "kilitli" in n) == ["kilitli.qdb"],
          "no backup and no temporary file beside it")

    # A file that is not a record file is refused by name, never rewritten.
    book = os.path.join(d, "rehber.txt")
    with open(book, "wb") as f:
        f.write(b"Ad;Soyad;Cep Telefonu\r\nAli;Kaya;0532 111 22 33\r\n")
    for args in (["dump", book], ["save", book, book]):
        r = run(*args)
        check(r.returncode == 1 and "bir kayıt dosyası değil" in r.stderr.decode("utf-8")
              and book in r.stderr.decode("utf-8"), "not a record file: " + args[0])
    with open(book, "rb") as f:
        check(f.read().startswith(b"Ad;Soyad"), "the other file is left as it was")

    # A backup opened to recover from is saved with its own backup beside it.
    bak = os.path.join(d, "personel.BAK")
    with open(bak, "wb") as f:
        f.write(SAMPLE)
    r = run("save", bak, bak)
    check(r.returncode == 0, "save of a .BAK file: " + r.stderr.decode())
    check(os.path.isfile(bak) and os.path.isfile(bak + ".BAK"), ".BAK file and its backup both kept")
    with open(bak + ".BAK", "rb") as f:
        check(f.read() == SAMPLE, "its previous content is the backup")

    # Saving through a link writes the target; the link still opens it.
    real = os.path.join(d, "real")
    os.mkdir(real)
    target = os.path.join(real, "hedef.qdb")
    with open(target, "wb") as f:
        f.write(SAMPLE)
    link = os.path.join(d, "kisayol.qdb")
    os.symlink(target, link)
    r = run("save", src, link)
    check(r.returncode == 0, "save through a link")
    check(os.path.islink(link) and os.path.realpath(link) == target, "the link stays a link")
    with open(os.path.join(real, "hedef.BAK"), "rb") as f:
        check(f.read() == SAMPLE, "the target's old content is its backup")
    with open(link, "rb") as f:
        check(f.read() == saved, "the link opens the new content")

# Inputs that are not regular files are refused at once by every
# subcommand (a FIFO would block for ever).
with tempfile.TemporaryDirectory() as d:
    fifo = os.path.join(d, "boru.qdb")
    os.mkfifo(fifo)
    good = os.path.join(d, "iyi.qdb")
    with open(good, "wb") as f:
        f.write(SAMPLE)
    for args in (["dump", fifo], ["dump", "/dev/zero"], ["dump", d],
                 ["save", fifo, os.path.join(d, "o.qdb")],
                 ["import", good, fifo, "-o", os.path.join(d, "o.qdb")],
                 ["import", good, "/dev/zero", "-o", os.path.join(d, "o.qdb")]):
        try:
            r = subprocess.run([CLI, *args], capture_output=True, timeout=20)
            check(r.returncode != 0 and r.stderr, "refused: " + " ".join(args))
        except subprocess.TimeoutExpired:
            check(False, "hangs: " + " ".join(args))
    check(not os.path.exists(os.path.join(d, "o.qdb")), "nothing written for refused input")

    # Group paths read by names: a trailing separator or an empty line
    # makes no group, two in a row make an empty name, and a save keeps
    # the tree as it was read.
    odd = os.path.join(d, "bos.qdb")
    with open(odd, "wb") as f:
        f.write("1 GRUP \r\n2 GRUP A\r\n2 GRUP A\xff\r\n2 GRUP \r\n2 GRUP B\xff\xff\r\n"
                "2 GRUP \xffC\r\n0 TRLR\r\n".encode("cp1254"))
    before = json.loads(run("dump", odd).stdout.decode("utf-8"))["groups"]
    shape = [(g["name"], [c["name"] for c in g["children"]]) for g in before]
    check(shape == [("A", []), ("B", [""]), ("", ["C"])], "groups as the path rule reads them: %r" % shape)
    check(run("save", odd, odd).returncode == 0, "save of empty-named groups")
    after = json.loads(run("dump", odd).stdout.decode("utf-8"))["groups"]
    check(before == after, "empty-named groups round-trip: %r" % after)

# An existing file in a read-only folder: the new file cannot be made.
# Root ignores permissions, so the check runs as an unprivileged user.
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
if (os.geteuid() == 0 and shutil.which("setpriv")
        and subprocess.run(NOBODY + ["test", "-x", CLI]).returncode == 0):
    d = tempfile.mkdtemp()
    os.chmod(d, 0o755)
    src = os.path.join(d, "in.qdb")
    with open(src, "wb") as f:
        f.write(SAMPLE)
    os.chmod(src, 0o666)
    os.chmod(d, 0o555)
    r = subprocess.run(NOBODY + [CLI, "save", src, src], capture_output=True)
    message = r.stderr.decode("utf-8", "replace")
    check(r.returncode != 0, "read-only folder: save fails")
    check("Cannot create file" in message and "Erişim izni yok." in message,
          "read-only folder: the step and the reason are named: " + message)
    with open(src, "rb") as f:
        check(f.read() == SAMPLE, "read-only folder: the file is untouched")
    shutil.rmtree(d)

# Printing: a long list over many pages, each with its heading, column
# heads and page number; a group's list; one person's card; a folder that
# is not there.
with tempfile.TemporaryDirectory() as d:
    many = os.path.join(d, "kalabalik.qdb")
    lines = ["0 HEAD", "1 GRUP Aile", "2 GRUP Aile", "2 GRUP İş"]
    for i in range(1, 3001):
        lines += ["0 ID %d" % i, "1 NAME KİŞİ%d" % i, "1 SURN ŞAHİNOĞLU",
                  "1 GRUP " + ("Aile" if i % 2 else "İş")]
    lines += ["0 ID 9999", "1 NAME ÇAĞLA", "1 SURN ÖZGÜR", "1 PHON", "2 CONT GSM\t0532 111 22 33",
              "1 NOTE", "2 CONT bir not", "1 GRUP İş", "0 TRLR"]
    with open(many, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1254"))
    pdf = os.path.join(d, "liste.pdf")
    r = run("print", many, "-o", pdf)
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True).stdout.decode()
    pages = text.split("\f")[:-1]
    check(r.returncode == 0 and len(pages) > 50, "3 001 persons printed")
    check(all("Sayfa %d / %d" % (n + 1, len(pages)) in p and "Soyad" in p and "Personel Listesi" in p
              for n, p in enumerate(pages)), "every page has its heading, column heads and number")
    r = run("print", many, "--group", "iş", "-o", pdf)
    text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True).stdout.decode()
    check(r.returncode == 0 and "Grup: İş" in text and "KİŞİ2\n" in text and "KİŞİ1\n" not in text,
          "a group's list holds that group's persons")
    r = run("print", many, "--person", "9999", "-o", pdf)
    text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True).stdout.decode()
    check(r.returncode == 0 and "ÇAĞLA" in text and "0532 111 22 33" in text and "bir not" in text,
          "a person's card holds its fields")
    r = run("print", many, "-o", os.path.join(d, "yok", "liste.pdf"))
    check(r.returncode != 0 and "PDF dosyası yazılamadı" in r.stderr.decode(), "a missing folder is reported")

# Duplicates and merging by record number: the groups as lines, the merge
# written to the output, and every request that names no clear persons
# refused with nothing written.
with tempfile.TemporaryDirectory() as d:
    src = os.path.join(d, "mukerrer.qdb")
    with open(src, "wb") as f:
        f.write(("0 HEAD\r\n0 ID 7\r\n1 NAME ŞÜKRÜ\r\n1 SURN ÖZIŞIK\r\n1 PHON\r\n"
                 "2 CONT Ev\t0212 000 00 00\r\n0 ID 8\r\n1 NAME SUKRU\r\n1 SURN OZISIK\r\n"
                 "1 PHON\r\n2 CONT GSM\t0532 111 22 33\r\n0 ID 9\r\n1 NAME AYŞE\r\n0 ID 9\r\n"
                 "1 NAME FATMA\r\n0 TRLR\r\n").encode("cp1254"))
    r = run("duplicates", src)
    check(r.returncode == 0 and r.stdout.decode() == "7 8\taynı ad\n", "duplicates: %r" % r.stdout)
    out = os.path.join(d, "birlesik.qdb")
    for args, why in ((["7"], "no person to drop"), (["7", "7"], "a person with itself"),
                      (["7", "8", "8"], "a person twice"), (["7", "5"], "an unknown number"),
                      (["7", "9"], "a number two persons have")):
        r = run("merge", src, *args, "-o", out)
        check(r.returncode != 0 and r.stderr and not os.path.exists(out), "merge refuses " + why)
    r = run("merge", src, "7", "8", "-o", out)
    persons = json.loads(run("dump", out).stdout.decode("utf-8"))["persons"]
    check(r.returncode == 0 and [p["RecordNo"] for p in persons] == ["7", "9", "9"] and
          persons[0]["Contacts"] == ["Ev\t0212 000 00 00", "GSM\t0532 111 22 33"],
          "merge: %r" % persons[:1])
    check(run("duplicates", out).stdout == b"", "no duplicates left")

# A full disk, for real: a small tmpfs filled to its last 512 bytes. Every
# command that writes fails with the step and the reason, and leaves the
# disk as it was. Mounting needs root.
if os.geteuid() == 0 and shutil.which("mount"):
    d = tempfile.mkdtemp()
    full = os.path.join(d, "full")
    os.mkdir(full)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", full],
                      capture_output=True).returncode == 0:
        try:
            big = os.path.join(d, "big.qdb")
            with open(big, "wb") as f:
                f.write(SAMPLE + b"".join(b"0 ID %d\r\n1 NAME KISI%d\r\n" % (i, i)
                                          for i in range(3, 200)) + b"0 TRLR\r\n")
            target = os.path.join(full, "target.qdb")
            with open(target, "wb") as f:
                f.write(SAMPLE)
            with open(os.path.join(full, "target.BAK"), "wb") as f:
                f.write(b"older")
            st = os.statvfs(full)
            with open(os.path.join(full, "fill"), "wb") as f:
                f.write(b"x" * (st.f_bavail * st.f_frsize - 512))
            before = sorted(os.listdir(full))
            for args in (["save", big, target], ["export", big, "-o", os.path.join(full, "e.csv")],
                         ["export-vcard", big, "-o", os.path.join(full, "e.vcf")],
                         ["tools", big, "--renumber", "-o", target],
                         ["print", big, "-o", os.path.join(full, "liste.pdf")]):
                r = run(*args)
                message = r.stderr.decode("utf-8", "replace")
                check(r.returncode != 0 and "Diskte yer kalmadı." in message
                      and "yazılamadı" in message,
                      "full disk: %s fails with the step and the reason: %s" % (args[0], message))
                check(sorted(os.listdir(full)) == before, "full disk: %s leaves no file" % args[0])
            with open(target, "rb") as f:
                check(f.read() == SAMPLE, "full disk: the record file keeps its bytes")
            with open(os.path.join(full, "target.BAK"), "rb") as f:
                check(f.read() == b"older", "full disk: the backup of before is kept")
        finally:
            subprocess.run(["umount", full])
    shutil.rmtree(d)

# A protected file on the command line: protect, every reading with the
# password from a file or the environment, what is written protected again
# except the exports, wrong and missing passwords refused with exit 1.
with tempfile.TemporaryDirectory() as d:
    plain = os.path.join(d, "plain.qdb")
    prot = os.path.join(d, "korunan.qdb")
    key = os.path.join(d, "parola.txt")
    with open(plain, "wb") as f:
        f.write(SAMPLE)
    with open(key, "w", encoding="utf-8") as f:
        f.write("gizli şifre\n")
    r = run("protect", plain, "-o", prot, "--password-file", key)
    data = open(prot, "rb").read()
    check(r.returncode == 0 and data.startswith(b"ZILVAREN-PROTECTED") and b"ALI" not in data
          and "ŞÜKRÜ".encode("cp1254") not in data, "protect writes the protected form")
    r = run("protect", prot, "-o", os.path.join(d, "x.qdb"), "--password-file", key)
    check(r.returncode == 1 and "zaten parola ile korunuyor" in r.stderr.decode(),
          "a protected file is not protected twice")
    r = run("dump", prot)
    check(r.returncode == 1 and "Dosya parola ile korunuyor; --password-file verin."
          in r.stderr.decode(), "no password: exit 1 and the reason")
    r = subprocess.run([CLI, "dump", prot], capture_output=True,
                       env=dict(os.environ, ZILVAREN_PASSWORD="yanlış"))
    check(r.returncode == 1 and "Parola yanlış." in r.stderr.decode(), "a wrong password: exit 1")
    r = subprocess.run([CLI, "dump", prot], capture_output=True,
                       env=dict(os.environ, ZILVAREN_PASSWORD="gizli şifre"))
    check(r.returncode == 0 and json.loads(r.stdout)["focusedRecordNo"] == "2",
          "the environment's password opens it")
    out = os.path.join(d, "araclar.qdb")
    r = run("tools", prot, "--renumber", "-o", out, "--password-file", key)
    check(r.returncode == 0 and open(out, "rb").read().startswith(b"ZILVAREN-PROTECTED"),
          "what a command writes from a protected file is protected")
    csv = os.path.join(d, "Export.csv")
    r = run("export", prot, "-o", csv, "--password-file", key)
    check(r.returncode == 0 and "ŞÜKRÜ".encode("cp1254") in open(csv, "rb").read(),
          "an export is plain")
    pdf = os.path.join(d, "liste.pdf")
    r = run("print", prot, "-o", pdf, "--password-file", key)
    check(r.returncode == 0 and os.path.getsize(pdf) > 0, "printing reads a protected file")
    back = os.path.join(d, "geri.qdb")
    r = run("unprotect", prot, "-o", back, "--password-file", key)
    r2 = run("dump", back)
    check(r.returncode == 0 and r2.returncode == 0
          and json.loads(r2.stdout) == json.loads(run("dump", plain).stdout),
          "unprotect gives the same file back")
    data = bytearray(open(prot, "rb").read())
    data[-5] ^= 1
    with open(prot, "wb") as f:
        f.write(data)
    r = run("dump", prot, "--password-file", key)
    check(r.returncode == 1 and "Dosya bozuk veya değiştirilmiş" in r.stderr.decode()
          and b"persons" not in r.stdout, "a changed byte refuses the file whole")

print(f"{0 if failures else 1} passed, {failures} failed")
sys.exit(1 if failures else 0)
