#!/usr/bin/python3
"""Printing from the window: a group's list to PDF through "Dosya → PDF
Olarak Kaydet…", read back with pdftotext, and the print preview of Ctrl+P."""
import os
import subprocess

from harness import Runner, person, wait_for

PERSONS = [person("1", "ALİ", "KAYA", "Aile"), person("2", "ŞÜKRÜ", "ÖZIŞIK", "Aile"),
           person("3", "VELİ", "ER", "İş")]


def case_print_a_group(t):
    app = t.new_app(header_idno="1", header_group="", groups=["Aile", "İş"], persons=PERSONS)
    app.click_group("Aile")
    wait_for(lambda: app.list_nos() == ["1", "2"], 10, "the group's persons listed")
    app.menu("Dosya", "PDF Olarak Kaydet…")
    choice = app.dialog(lambda w: w.name == "PDF Olarak Kaydet", 10, "what to print")
    app.key("Return")  # the list, the first choice
    wait_for(lambda: not app._still_open(choice), 10, "choice closed")
    pdf = os.path.join(app.folder, "aile listesi.pdf")
    app.file_dialog_enter(pdf)
    box, text = app.message(containing="PDF dosyası yazıldı")
    app.answer(box, "OK", "Tamam")
    out = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True).stdout.decode()
    t.check("Grup: Aile" in out and "Sayfa 1 / 1" in out, "heading with the group, page number",
            out)
    t.check("ŞÜKRÜ" in out and "ÖZIŞIK" in out and "ALİ" in out,
            "the group's persons, Turkish letters right", out)
    t.check("VELİ" not in out, "only the persons the list shows", out)
    fonts = subprocess.run(["pdffonts", pdf], capture_output=True).stdout.decode()
    t.check(fonts.count(" yes ") >= 1, "the fonts are embedded", fonts)

    # Ctrl+P: the same choice, then the print preview.
    app.focus_window()
    app.key("ctrl+p")
    choice = app.dialog(lambda w: w.name == "Yazdır", 10, "what to print")
    app.key("Return")
    preview = app.dialog(lambda w: w.name == "Baskı Önizleme", 20, "print preview")
    t.check(preview is not None, "the print preview opens")
    app.key("Escape")
    wait_for(lambda: not app._still_open(preview), 10, "preview closed")


if __name__ == "__main__":
    Runner("print").run([case_print_a_group])
