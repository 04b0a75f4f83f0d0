#!/usr/bin/python3
"""Group commands of the tree's popup menu, and the three mouse drags."""
from harness import (Runner, SEP, Failure, extents, group_counts, has_state, person,
                     persons_by_no, wait_for)


def start(t):
    return t.new_app(header_idno="1", header_group="Aile",
                     groups=["Aile", "Aile" + SEP + "Kuzenler", "Aileler", "İş"],
                     persons=[person("1", "ALİ", "KAYA", "Aile"),
                              person("2", "AYŞE", "ER", "Aile"),
                              person("3", "KEMAL", "UZ", "Aile" + SEP + "Kuzenler"),
                              person("4", "LEYLA", "AK", "Aileler"),
                              person("5", "BORA", "TAN", "İş")])


def names(app):
    return [n.rsplit(" {", 1)[0] for n in app.group_names()]


def settle(what, cond, timeout=5):
    try:
        return wait_for(cond, timeout, what)
    except Failure:
        return False


def case_group_commands(t):
    app = start(t)
    app.context_menu_on_group("İş", "Grup Ekle")
    app.input_box("Dost")
    settle("new group", lambda: "Dost {0}" in app.group_names())
    t.check(names(app) == ["Aile", "Aileler", "Dost", "İş"],
            "Grup Ekle puts the new group before the focused one", app.group_names())
    t.check(app.list_nos() == [], "new empty group focused: list empty", app.list_nos())

    app.context_menu_on_group("Dost", "Grup Ekle")
    app.input_box("aileler")
    box, text = app.message(containing="Aynı İsim")
    t.check("Aynı İsim Kullanılamaz" in text, "same name refused", text)
    app.answer(box, "OK", "Tamam")

    app.context_menu_on_group("Aileler", "Altgrup Ekle")
    app.input_box("Torunlar")
    app.expand_group("Aileler")
    settle("sub-group", lambda: "Torunlar {0}" in app.group_names())
    t.check(names(app)[:3] == ["Aile", "Aileler", "Torunlar"],
            "Altgrup Ekle adds a child", app.group_names())

    app.context_menu_on_group("Aile", "Düzelt")
    app.input_box("Akraba")
    settle("rename", lambda: "Akraba {3}" in app.group_names())
    t.check("Akraba {3}" in app.group_names(), "Düzelt renames", app.group_names())

    app.context_menu_on_group("İş", "Sil")
    box, text = app.message(containing="silinecektir")
    t.check(text.startswith("İş ve altgrupları"), "delete asks first", text)
    app.answer(box, "Evet", "Yes")
    settle("delete", lambda: "İş" not in names(app))
    t.check("İş" not in names(app), "Sil removes the group", app.group_names())

    app.save()
    doc = app.dump()
    got = persons_by_no(doc)
    t.check(sorted(got) == ["1", "2", "3", "4"], "persons of the deleted group gone", sorted(got))
    t.check(got["1"]["GroupPath"] == "Akraba" and
            got["3"]["GroupPath"] == "Akraba" + SEP + "Kuzenler" and
            got["4"]["GroupPath"] == "Aileler", "rename rewrites paths of the group only",
            [got[n]["GroupPath"] for n in ("1", "3", "4")])
    counts = group_counts(doc)
    t.check(("Dost" in counts and "Aileler" + SEP + "Torunlar" in counts), "new groups saved",
            sorted(counts))


def case_show_all_then_tab(t):
    app = start(t)
    app.context_menu_on_group("Aile", "Hepsini Göster")
    settle("all", lambda: len(app.list_nos()) == 5)
    t.check(len(app.list_nos()) == 5, "Hepsini Göster lists every person", app.list_nos())
    app.click_person("4")
    # The tree comes just before the list in the tab order.
    tree = app.group_tree()
    reached = False
    for _ in range(3):
        app.key("shift+Tab")
        reached = settle("tree focus", lambda: has_state(tree, "focused"), 0.5)
        if reached:
            break
    t.check(reached, "Tab reaches the group tree")
    t.check(len(app.list_nos()) == 5, "focus entering the tree does not filter the list",
            app.list_nos())


def case_delete_group_of_shown_person(t):
    app = start(t)
    app.click_group("İş")
    settle("İş", lambda: app.list_nos() == ["5"])
    app.click_person("5")
    settle("shown", lambda: app.record_no() == "5")
    app.context_menu_on_group("İş", "Sil")
    box, _ = app.message(containing="silinecektir")
    app.answer(box, "Evet", "Yes")
    settle("gone", lambda: "İş" not in names(app))
    t.check(app.record_no() == "", "Kayıt No emptied after its group is deleted",
            app.record_no())
    t.check(app.caption() == "---", "caption emptied", app.caption())


def row_point(app, no, where):
    """A point on a person row: above/on/below part of the row."""
    x, y, w, h = extents(app.cell(app.person_list(), app.row_of(no), 1))
    dy = {"above": 1, "on": h // 2, "below": h - 2}[where]
    return x + w // 2, y + dy


def case_drag_person_onto_group(t):
    app = start(t)
    x0, y0 = row_point(app, "2", "on")
    gx, gy, gw, gh = extents(app.group_cell("İş"))
    app.drag(x0, y0, gx + 20, gy + gh // 2)
    settle("drop", lambda: "İş {2}" in app.group_names())
    t.check("İş {2}" in app.group_names() and "Aile {2}" in app.group_names(),
            "counts follow the dragged person", app.group_names())
    t.check(app.list_nos() == ["1"], "moved person leaves the filtered list", app.list_nos())
    app.save()
    got = persons_by_no(app.dump())
    t.check(got["2"]["GroupPath"] == "İş", "dragged person filed in the target group",
            got["2"]["GroupPath"])


def case_drag_person_within_list(t):
    app = t.new_app(header_idno="1", header_group="G", groups=["G"],
                    persons=[person(n, nm, "", "G") for n, nm in
                             (("1", "ALİ"), ("2", "BEKİR"), ("3", "CEM"), ("4", "DENİZ"))])
    x0, y0 = row_point(app, "1", "on")
    x1, y1 = row_point(app, "3", "below")
    app.drag(x0, y0, x1, y1)
    settle("reorder", lambda: app.list_nos() == ["2", "3", "1", "4"])
    t.check(app.list_nos() == ["2", "3", "1", "4"], "dropped below CEM", app.list_nos())
    app.click_person("4")
    x0, y0 = row_point(app, "4", "on")
    x1, y1 = row_point(app, "2", "above")
    app.drag(x0, y0, x1, y1)
    settle("reorder", lambda: app.list_nos() == ["4", "2", "3", "1"])
    t.check(app.list_nos() == ["4", "2", "3", "1"], "dropped above BEKİR", app.list_nos())
    app.save()
    order = [p["RecordNo"] for p in app.dump()["persons"]]
    t.check(order == ["4", "2", "3", "1"], "saved in the dragged order", order)


def case_drag_group_onto_group(t):
    app = start(t)
    gx, gy, gw, gh = extents(app.group_cell("Aileler"))
    tx, ty, tw, th = extents(app.group_cell("İş"))
    app.drag(gx + 20, gy + gh // 2, tx + 20, ty + th // 2)
    settle("moved", lambda: "Aileler" not in names(app))
    app.expand_group("İş")
    settle("shown", lambda: "Aileler {1}" in app.group_names())
    t.check(names(app) == ["Aile", "İş", "Aileler"], "group moved under the target",
            app.group_names())
    t.check("İş {2}" in app.group_names(), "target counts the moved persons", app.group_names())
    app.save()
    doc = app.dump()
    t.check(persons_by_no(doc)["4"]["GroupPath"] == "İş" + SEP + "Aileler",
            "paths of the moved group's persons", persons_by_no(doc)["4"]["GroupPath"])
    t.check([g["name"] for g in doc["groups"][1]["children"]] == ["Aileler"]
            if len(doc["groups"]) > 1 else False, "saved as a sub-group",
            [g["path"] for g in doc["groups"]])


if __name__ == "__main__":
    Runner("groups_dragdrop").run([case_group_commands, case_show_all_then_tab,
                                   case_delete_group_of_shown_person,
                                   case_drag_person_onto_group, case_drag_person_within_list,
                                   case_drag_group_onto_group])
