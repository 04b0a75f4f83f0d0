#!/usr/bin/python3
"""Adding, browsing and deleting a person's pictures through the buttons and the
real file dialog; what reaches the disk is checked in the folder and the saved file."""
import os
import struct
import subprocess

from harness import (Runner, has_state, person, persons_by_no, role, wait_for, walk)

GROUPS = ["Aile"]


def start(t, pictures=(), **kw):
    persons = [person("1", "ALİ", "KAYA", "Aile", Pictures=list(pictures)),
               person("2", "AYŞE", "ER", "Aile")]
    args = dict(header_idno="1", header_group="Aile", groups=GROUPS, persons=persons)
    args.update(kw)
    return t.new_app(**args)


def make_jpeg(path, w, h, colour="red"):
    subprocess.run(["/usr/bin/convert", "-size", "%dx%d" % (w, h), "xc:" + colour, path],
                   check=True)


def make_wmf(path):
    """A placeable metafile, 200 x 100 at 96 units an inch, one blue rectangle."""
    head = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 200, 100, 96, 0)
    checksum = 0
    for (w,) in struct.iter_unpack("<H", head):
        checksum ^= w
    records = (struct.pack("<IHhh", 5, 0x020C, 100, 200) +
               struct.pack("<IHHIH", 7, 0x02FC, 0, 0x00FF0000, 0) +
               struct.pack("<IHH", 4, 0x012D, 0) +
               struct.pack("<IHhhhh", 7, 0x041B, 100, 200, 0, 0) +
               struct.pack("<IH", 3, 0))
    meta = struct.pack("<HHHIHIH", 1, 9, 0x0300, 9 + len(records) // 2, 1, 7, 0)
    with open(path, "wb") as f:
        f.write(head + struct.pack("<H", checksum) + meta + records)


def button(app, name):
    return app.find(name, "push button", root=app.window)


def selector(app, current):
    """The picture selector; it takes the chosen picture's name once it has one."""
    return app.find(role_name="combo box", root=app.window,
                    pred=lambda a: a.name in ("Resimler", current), what="picture selector")


def picture_hint(app):
    """The hint of the shown picture, empty when the box is empty."""
    for a in walk(app.window):
        try:
            if a.name == "Resim" and role(a) in ("label", "image", "icon"):
                return a.description if has_state(a, "showing") else ""
        except Exception:
            pass
    return ""


def add_picture(app, path):
    app.click(button(app, "Resim Ekle"))
    dlg = app.dialog(lambda w: role(w) in ("dialog", "file chooser"), 15, "picture dialog")
    title = dlg.name
    app.file_dialog_enter(path)
    return title


def case_add_and_browse(t):
    app = start(t)
    outside = os.path.join(app.home, "camera")
    os.makedirs(outside)
    src = os.path.join(outside, "photo.jpg")
    make_jpeg(src, 640, 480)
    wmf = os.path.join(outside, "plan.wmf")
    make_wmf(wmf)
    make_jpeg(os.path.join(app.folder, "photo.jpg"), 10, 10)  # another person's file

    title = add_picture(app, src)
    t.check(title == "ALİ KAYA için Resim Dosyası", "dialog title names the person", title)
    t.check(wait_for(lambda: app.caption() == "Kayıt Düzeltiliyor", 5, "edit started"),
            "adding starts an edit")
    t.check(os.path.exists(os.path.join(app.folder, "photo1.jpg")),
            "copied beside the record file under a free name", os.listdir(app.folder))
    hint = wait_for(lambda: picture_hint(app), 5, "picture shown")
    t.check(hint == "photo1.jpg\nW x H : 640 x 480 Pixels", "hint names the picture and its size",
            hint)
    add_picture(app, wmf)
    hint = wait_for(lambda: "plan.wmf" in picture_hint(app) and picture_hint(app), 5,
                    "metafile shown")
    t.check(hint == "plan.wmf\nW x H : 200 x 100 Pixels", "metafile shown with its size", hint)

    app.click(app.tool("Tamam"))
    wait_for(lambda: app.caption().startswith("1 - "), 5, "edit confirmed")
    # Browse back to the first picture with the keyboard.
    app.click(selector(app, "plan.wmf"))
    app.key("Up", "Return")
    hint = wait_for(lambda: "photo1.jpg" in picture_hint(app) and picture_hint(app), 5,
                    "first picture again")
    t.check(hint.startswith("photo1.jpg"), "browsing shows the chosen picture", hint)
    app.save(by_button=True)
    p = persons_by_no(app.dump())["1"]
    t.check(p["Pictures"] == ["photo1.jpg", "plan.wmf"], "saved pictures", p["Pictures"])
    t.check(p["PictureIndex"] == 0, "the picture chosen last is the one shown first",
            p["PictureIndex"])


def case_delete_waits_for_tamam(t):
    app = start(t, pictures=["photo.jpg", "sub\\inner.jpg"])
    photo = os.path.join(app.folder, "photo.jpg")
    make_jpeg(photo, 50, 60)
    os.makedirs(os.path.join(app.folder, "sub"))
    inner = os.path.join(app.folder, "sub", "inner.jpg")
    make_jpeg(inner, 30, 30, "blue")
    app.click_person("2")
    app.click_person("1")
    wait_for(lambda: picture_hint(app), 5, "picture shown")

    app.click(button(app, "Resim Sil"))
    box, text = app.message(containing="Silinecektir")
    t.check(text == "Bu Resim Kayıtlardan Silinecektir. Eminmisiniz?", "warning question", text)
    app.answer(box, "İptal", "Cancel")
    t.check(app.caption() == "1 - Ali Kaya", "Cancel: nothing happens", app.caption())

    app.click(button(app, "Resim Sil"))
    box, _ = app.message(containing="Silinecektir")
    app.answer(box, "Evet", "Yes")
    wait_for(lambda: app.caption() == "Kayıt Düzeltiliyor", 5, "edit started")
    t.check(os.path.exists(photo), "file kept while the edit is open")
    app.click(app.tool("İptal"))
    wait_for(lambda: app.caption() == "1 - Ali Kaya", 5, "cancelled")
    t.check(os.path.exists(photo), "İptal keeps the file")

    for _ in range(2):
        app.click(button(app, "Resim Sil"))
        box, _ = app.message(containing="Silinecektir")
        app.answer(box, "Evet", "Yes")
    t.check(not has_state(button(app, "Resim Sil"), "enabled"), "nothing left to delete")
    app.click(app.tool("Tamam"))
    wait_for(lambda: app.caption() == "1 - Ali Kaya", 5, "confirmed")
    # "Geri Al" brings the pictures back, so their files stay...
    t.check(os.path.exists(photo), "the file stays while the step can be undone")
    app.focus_window()
    app.key("ctrl+z")
    wait_for(lambda: picture_hint(app), 5, "picture shown again after Ctrl+Z")
    t.check(has_state(button(app, "Resim Sil"), "enabled"), "Ctrl+Z brings the pictures back")
    app.key("ctrl+y")
    wait_for(lambda: not has_state(button(app, "Resim Sil"), "enabled"), 5, "redone")
    app.save(by_button=True)
    p = persons_by_no(app.dump())["1"]
    t.check(p["Pictures"] == [], "saved without pictures", p["Pictures"])
    t.check(os.path.exists(photo), "saved, the step can still be undone: the file stays")
    # ...until nothing can: the saved file is closed.
    app.click(app.tool("Yeni Dosya"))
    t.check(wait_for(lambda: not os.path.exists(photo), 5, "file deleted") is True,
            "the file goes once no step can bring it back")
    t.check(os.path.exists(inner), "a file in a sub-folder is never deleted")


if __name__ == "__main__":
    Runner("pictures").run([case_add_and_browse, case_delete_waits_for_tamam])
