#!/usr/bin/python3
"""Adding, editing, confirming, cancelling and deleting persons."""
import datetime
import time

from harness import (Runner, SEP, Failure, has_state, person, persons_by_no, wait_for, text_of)

PERSONS = [person("1", "ALİ", "KAYA", "Aile", Firm="ESKİ"),
           person("2", "AYŞE", "ER", "Aile"),
           person("3", "BORA", "TAN", "İş")]
GROUPS = ["Aile", "İş"]


def start(t, **kw):
    args = dict(header_idno="1", header_group="Aile", groups=GROUPS, persons=PERSONS)
    args.update(kw)
    return t.new_app(**args)


def caption_is(app, text, timeout=5):
    try:
        # "No - Name Surname": an empty surname leaves a trailing blank.
        return wait_for(lambda: (app.caption() or "").rstrip() == text, timeout,
                        "caption %r" % text)
    except Failure:
        return False


def no_message(app, wait=1.5):
    """True when no message box shows up within a short while."""
    end = time.time() + wait
    while time.time() < end:
        boxes = [b for b in app.open_dialogs() if app.message_text(b)]
        if boxes:
            return app.message_text(boxes[0])
        time.sleep(0.2)
    return None


def case_mouse_commands(t):
    app = start(t)
    save_enabled = lambda: has_state(app.tool("Dosya Kaydet"), "enabled")
    app.click(app.tool("Ekle"))
    t.check(caption_is(app, "Yeni Kayıt Yapılıyor"), "Ekle: adding caption", app.caption())
    t.check(app.record_no() == "4", "Ekle proposes record number 4", app.record_no())
    t.check(not has_state(app.person_list(), "enabled"), "list locked while adding")
    app.set_field("Adı", "mehmet")
    t.check(text_of(app.edit("Adı")) == "MEHMET", "name typed in upper case (i -> İ)",
            text_of(app.edit("Adı")))
    app.set_field("Soyad", "yıldız")
    app.click(app.tool("Tamam"))
    t.check(caption_is(app, "4 - Mehmet Yıldız"), "Tamam: caption of the new person",
            app.caption())
    t.check(app.list_nos()[-1] == "4", "new person at the end of the list", app.list_nos())
    t.check("." in app.edit_time_text(), "record time shown")
    t.check(app.group_cell("Aile").name == "Aile {3}", "group counts the new person",
            app.group_cell("Aile").name)

    app.click_person("1")
    app.click(app.tool("Düzelt"))
    t.check(caption_is(app, "Kayıt Düzeltiliyor"), "Düzelt: editing caption", app.caption())
    app.set_field("Firma", "YENİ")
    app.click(app.tool("İptal"))
    t.check(caption_is(app, "1 - Ali Kaya"), "İptal: back to viewing", app.caption())
    t.check(text_of(app.edit("Firma")) == "ESKİ", "İptal: stored firm shown again",
            text_of(app.edit("Firma")))

    app.click(app.tool("Düzelt"))
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    caption_is(app, "1 - Ali Kaya")
    app.click_person("2")
    app.click(app.tool("Sil"))
    wait_for(lambda: "2" not in app.list_nos(), 5, "row removed")
    t.check(save_enabled(), "modified flag set")
    app.save(by_button=True)
    got = persons_by_no(app.dump())
    t.check(sorted(got) == ["1", "3", "4"], "saved: 4 added, 2 deleted", sorted(got))
    p4 = got.get("4", {})
    t.check((p4.get("FirstName"), p4.get("Surname"), p4.get("GroupPath")) ==
            ("MEHMET", "YILDIZ", "Aile"), "saved new person", p4)
    t.check(got["1"]["Firm"] == "ORVAK", "saved edit", got["1"]["Firm"])


def case_key_commands(t):
    app = start(t)
    app.click_person("1")
    # Alt+E add, Alt+T confirm
    app.key("alt+e")
    t.check(caption_is(app, "Yeni Kayıt Yapılıyor"), "Alt+E starts adding", app.caption())
    app.set_field("Adı", "deniz")
    app.key("alt+t")
    if not t.check(caption_is(app, "4 - Deniz"), "Alt+T confirms", app.caption()):
        app.click(app.tool("Tamam"))
        caption_is(app, "4 - Deniz")
    # Alt+E add, Ctrl+Return confirm
    app.key("alt+e")
    caption_is(app, "Yeni Kayıt Yapılıyor")
    app.set_field("Adı", "ece")
    app.key("ctrl+Return")
    t.check(caption_is(app, "5 - Ece"), "Ctrl+Return confirms", app.caption())
    # The keys work whichever page is in front.
    app.page("İşyeri")
    app.key("alt+e")
    if t.check(caption_is(app, "Yeni Kayıt Yapılıyor"), "Alt+E adds with İşyeri in front",
               app.caption()):
        app.key("Escape")
    app.page("Temel Bilgiler")
    # F2 edit, Esc cancel
    app.click_person("1")
    app.key("F2")
    t.check(caption_is(app, "Kayıt Düzeltiliyor"), "F2 starts editing", app.caption())
    app.set_field("Firma", "X")
    app.key("Escape")
    box, text = app.message(containing="iptal edilsin mi")
    t.check(caption_is(app, "Kayıt Düzeltiliyor"), "Esc asks before dropping typed work",
            app.caption())
    app.answer(box, "Evet", "Yes")
    t.check(caption_is(app, "1 - Ali Kaya"), "Esc cancels once confirmed", app.caption())
    t.check(text_of(app.edit("Firma")) == "ESKİ", "Esc: firm restored")
    # F2 edit, Alt+I cancel
    app.key("F2")
    caption_is(app, "Kayıt Düzeltiliyor")
    app.set_field("Firma", "Y")
    app.key("alt+i")
    t.check(caption_is(app, "1 - Ali Kaya"), "Alt+I cancels", app.caption())
    # Alt+S delete
    app.click_person("2")
    app.key("alt+s")
    try:
        wait_for(lambda: "2" not in app.list_nos(), 5, "row removed")
    except Failure:
        pass
    t.check("2" not in app.list_nos(), "Alt+S deletes", app.list_nos())
    app.save()
    got = persons_by_no(app.dump())
    t.check(sorted(got) == ["1", "3", "4", "5"], "saved after key commands", sorted(got))
    t.check(got["1"]["Firm"] == "ESKİ", "cancelled edits not stored", got["1"]["Firm"])


def case_edit_while_other_group_focused(t):
    """Clicking another group during an edit must not move or duplicate the person."""
    app = start(t)
    app.click_person("1")
    app.click(app.tool("Düzelt"))
    app.set_field("Firma", "ORVAK")
    app.click_group("İş")
    app.click(app.tool("Tamam"))
    msg = no_message(app)
    t.check(msg is None, "no duplicate-number message", msg)
    if msg:
        app.answer(app.open_dialogs()[0], "OK", "Tamam")
        app.click(app.tool("İptal"))
    t.check(app.alive(), "program still running")
    counts = [app.group_cell("Aile").name, app.group_cell("İş").name]
    t.check(counts == ["Aile {2}", "İş {1}"], "tree counts unchanged by the edit", counts)
    app.save()
    doc = app.dump()
    got = persons_by_no(doc)
    t.check(got["1"]["GroupPath"] == "Aile" and got["1"]["Firm"] == "ORVAK",
            "edited person keeps its group, edit saved",
            (got["1"]["GroupPath"], got["1"]["Firm"]))
    t.check(sorted(got) == ["1", "2", "3"], "no person lost or duplicated", sorted(got))


def case_edit_after_show_all(t):
    """After Hepsini Göster no group is focused; an edit keeps the person's group."""
    app = start(t)
    app.context_menu_on_group("Aile", "Hepsini Göster")
    wait_for(lambda: len(app.list_nos()) == 3, 5, "all persons listed")
    app.click_person("3")
    app.key("F2")
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    caption_is(app, "3 - Bora Tan")
    t.check(app.group_cell("Aile").name == "Aile {2}" and app.group_cell("İş").name == "İş {1}",
            "counts in the tree unchanged",
            [app.group_cell("Aile").name, app.group_cell("İş").name])
    app.save()
    got = persons_by_no(app.dump())
    t.check(got["3"]["GroupPath"] == "İş", "person keeps its group", got["3"]["GroupPath"])
    t.check(got["3"]["Firm"] == "ORVAK", "edit saved")


def case_birth_date_typed(t):
    app = start(t)
    app.click_person("2")
    box = app.find("Doğum tarihi girildi", "check box", root=app.window)
    t.check(not has_state(box, "checked"), "date box clear for a person without date")
    date = app.find("Doğ. Tarihi", "spin button", root=app.window)
    # Tab from the field above selects the day section, as a user would reach it.
    app.click(app.edit("Doğum Yeri"))
    app.key("Tab")
    if not has_state(date, "focused"):
        app.key("Tab")
    day = 15 if datetime.date.today().day != 15 else 16
    app.type(str(day))
    want = datetime.date.today().replace(day=day).strftime("%d.%m.%Y")
    app.click(app.tool("Tamam"))
    caption_is(app, "2 - Ayşe Er")
    t.check(has_state(box, "checked"), "date box ticked after typing a date")
    app.save()
    got = persons_by_no(app.dump())
    t.check(got["2"]["BirthDateText"] == want, "typed date saved (%s)" % want,
            got["2"]["BirthDateText"])


def case_notes_with_empty_last_line(t):
    notes = ["birinci satır", "", "üçüncü", ""]
    app = start(t, persons=[person("1", "ALİ", "KAYA", "Aile", Notes=notes)] + PERSONS[1:])
    before = persons_by_no(app.dump())["1"]["Notes"]
    t.check(before == notes, "file read with the empty last note line", before)
    app.click_person("1")
    app.key("F2")
    app.set_field("Firma", "ORVAK")
    app.click(app.tool("Tamam"))
    caption_is(app, "1 - Ali Kaya")
    app.save()
    after = persons_by_no(app.dump())["1"]["Notes"]
    t.check(after == before, "notes kept exactly through an edit", "%r -> %r" % (before, after))


def case_edit_time_label(t):
    app = start(t, persons=[person("1", "ALİ", "KAYA", "Aile",
                                   RecordedAt="01.02.2003  04:05:06",
                                   EditedAt="02.03.2004  05:06:07")])
    t.check("01.02.2003" in app.edit_time_text(), "time stamps shown for a stored person",
            app.edit_time_text())
    app.click(app.tool("Ekle"))
    caption_is(app, "Yeni Kayıt Yapılıyor")
    t.check(app.edit_time_text() == "", "no time stamp on a new record", app.edit_time_text())
    app.click(app.tool("İptal"))
    caption_is(app, "1 - Ali Kaya")
    app.click_person("1")
    app.click(app.tool("Sil"))
    wait_for(lambda: app.list_nos() == [], 5, "list empty")
    t.check(app.edit_time_text() == "", "no time stamp after deleting the only person",
            app.edit_time_text())
    t.check(app.caption() == "---", "pages emptied after deleting the only person",
            app.caption())
    # Yeni Dosya from a file with a person on show
    app.stop()
    app = start(t, persons=[person("1", "ALİ", "KAYA", "Aile",
                                   RecordedAt="01.02.2003  04:05:06")])
    app.click(app.tool("Yeni Dosya"))
    box = None
    try:
        box, _ = app.message(timeout=2)
    except Failure:
        pass
    if box:
        app.answer(box, "Hayır", "No")
    wait_for(lambda: "Unnamed.qdb" in app.window.name, 5, "new file")
    t.check(app.edit_time_text() == "", "no time stamp after Yeni Dosya", app.edit_time_text())


if __name__ == "__main__":
    Runner("editing").run([case_mouse_commands, case_key_commands,
                           case_edit_while_other_group_focused, case_edit_after_show_all,
                           case_birth_date_typed, case_notes_with_empty_last_line,
                           case_edit_time_label])
