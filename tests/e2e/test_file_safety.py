#!/usr/bin/python3
"""What protects the user's work on disk: the lock of an open file, and the
recovery file written when the program is ended from outside."""
import os
import signal
import subprocess
import tempfile

from harness import App, Runner, has_state, person, persons_by_no, wait_for, write_qdb

PEOPLE = [person("1", "ALİ", "KAYA", "Aile"), person("2", "AYŞE", "ER", "Aile")]


def start(t):
    return t.new_app(header_idno="1", header_group="Aile", groups=["Aile"], persons=PEOPLE)


def case_second_window_opens_read_only(t):
    first = start(t)
    before = open(first.qdb, "rb").read()
    second = App(t.desktop, t.binary, t.cli, qdb=first.qdb)
    try:
        second.start(wait_for_file=False)
        box, text = second.message(containing="başka bir pencerede açık")
        t.check(os.uname().nodename in text, "the question names the holder's host", text)
        second.answer(box, "Evet", "Yes")
        wait_for(lambda: "(salt okunur)" in second.window.name, 10, "read-only caption")
        t.check(second.list_nos() == ["1", "2"], "the held file is shown", second.list_nos())
        # A change, then Ctrl+S: the save dialog, never a write over the file.
        second.click(second.tool("Grup Ekle"))
        second.input_box("Yeni")
        second.focus_window()
        second.key("ctrl+s")
        dialog = second.dialog(lambda w: w.name == "Zilvaren Dosyası Kaydet", 10, "save dialog")
        t.check(dialog is not None, "Kaydet of a read-only window asks for a name")
        second.key("Escape")
        t.check(open(first.qdb, "rb").read() == before, "the held file is untouched")
    finally:
        second.stop()
    # The first window still saves over its own file.
    first.click(first.tool("Grup Ekle"))
    first.input_box("Yeni")
    first.click_group("Aile")
    first.click_person("2")
    first.save()
    t.check(first.dump()["focusedRecordNo"] == "2", "the holder saves as usual")


def case_sigterm_keeps_typed_work(t):
    app = start(t)
    before = open(app.qdb, "rb").read()
    recovery = os.path.join(os.path.dirname(app.qdb), "kayit.kurtarma.qdb")
    app.click_person("2")
    app.page("İşyeri")
    app.set_field("Firma", "Yıldız AŞ")
    wait_for(lambda: app.caption() == "Kayıt Düzeltiliyor", 10, "edit started")
    app.proc.send_signal(signal.SIGTERM)
    t.check(app.exited(10), "SIGTERM ends the program without a question")
    t.check(open(app.qdb, "rb").read() == before, "the record file is not written")
    t.check(os.path.exists(recovery), "the open edit went to the recovery file")
    if os.path.exists(recovery):
        kept = persons_by_no(app.dump(recovery))
        t.check(kept["2"]["Firm"] == "Yıldız AŞ", "the typed firm is kept", kept["2"])

    again = App(t.desktop, t.binary, t.cli, qdb=app.qdb)
    try:
        again.start(wait_for_file=False)
        box, text = again.message(containing="geri yüklensin mi")
        again.answer(box, "Evet", "Yes")
        wait_for(lambda: app.qdb in again.window.name, 10, "file opened")
        again.save()
        t.check(persons_by_no(again.dump())["2"]["Firm"] == "Yıldız AŞ",
                "restored and saved, the typed firm reaches the file")
        t.check(not os.path.exists(recovery), "the recovery file goes once saved")
    finally:
        again.stop()


def case_save_on_a_full_disk_keeps_file_and_changes(t):
    # A real full disk: a small tmpfs, which only root may mount.
    if os.geteuid() != 0:
        print("skip: mounting a tmpfs needs root")
        return
    full = tempfile.mkdtemp(prefix="full-", dir=t.desktop.tmp)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", full]).returncode:
        print("skip: no tmpfs here")
        return
    app = None
    try:
        qdb = os.path.join(full, "kayit.qdb")
        write_qdb(qdb, header_idno="1", header_group="Aile", groups=["Aile"], persons=PEOPLE)
        before = open(qdb, "rb").read()
        app = t.app = App(t.desktop, t.binary, t.cli, qdb=qdb)
        app.start()
        st = os.statvfs(full)
        fill = os.path.join(full, "doldurma")
        with open(fill, "wb") as f:
            f.write(b"x" * (st.f_bavail * st.f_frsize - 512))
        files = sorted(os.listdir(full))
        app.click(app.tool("Grup Ekle"))
        app.input_box("Yeni")
        app.click_group("Aile")
        app.click_person("2")
        app.focus_window()
        app.key("ctrl+s")
        box, text = app.message(containing="Diskte yer kalmadı")
        t.check("Dosyaya yazılamadı" in text, "the message names the step", text)
        app.answer(box, "OK", "Tamam")
        t.check(has_state(app.tool("Dosya Kaydet"), "enabled"), "Kaydet is still offered")
        t.check(open(qdb, "rb").read() == before, "the file keeps its bytes")
        t.check(sorted(os.listdir(full)) == files, "no temporary file is left", os.listdir(full))
        os.remove(fill)
        app.save()
        t.check(app.dump()["focusedRecordNo"] == "2", "with room again, the same save goes through")
    finally:
        if app:
            app.stop()
        subprocess.run(["umount", full])


if __name__ == "__main__":
    Runner("file_safety").run([case_second_window_opens_read_only,
                               case_sigterm_keeps_typed_work,
                               case_save_on_a_full_disk_keeps_file_and_changes])
