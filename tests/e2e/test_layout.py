#!/usr/bin/python3
"""The window and its dialogs as a user first sees them: size, placement,
nothing pushed off the screen; screenshots of each for a reviewer.

ZILVAREN_E2E_SCREEN (e.g. 1024x768) and QT_FONT_DPI (144 = a font at
150 %, with QT_ENABLE_HIGHDPI_SCALING=0 so only the font grows) set the
conditions; the shots go to build/e2e-shots/layout-.../."""
import os
import time

import harness
from harness import Runner, extents, person, wait_for

LONG_FIRST = "MUHAMMED ABDULLAH ABDURRAHMAN ABDÜLKADİR"
LONG_LAST = "KARAMUSTAFAPAŞAOĞULLARI YILDIRIMBEYAZIT"
CONDITIONS = harness.SCREEN + ("-dpi" + os.environ["QT_FONT_DPI"]
                               if os.environ.get("QT_FONT_DPI") else "")


def shot(name):
    time.sleep(0.3)  # let the last paint reach the server
    return harness.screenshot(os.path.join("layout-" + CONDITIONS, name))


def screen_size():
    w, h = harness.SCREEN.split("x")
    return int(w), int(h)


def inside_screen(app, wid, what, t):
    x, y, w, h = app._geometry(wid)
    sw, sh = screen_size()
    t.check(x >= 0 and y >= 0 and x + w <= sw and y + h <= sh, what + " lies on the screen",
            (x, y, w, h))


def all_tabs_showing(app, t):
    pages = app.find("Temel Bilgiler", "page tab", root=app.window).parent
    px, py, pw, ph = extents(pages)
    tabs = [c for c in (pages.getChildAtIndex(i) for i in range(pages.childCount))
            if harness.role(c) == "page tab"]
    cut = [tab.name for tab in tabs
           if extents(tab)[0] < px or extents(tab)[0] + extents(tab)[2] > px + pw]
    t.check(len(tabs) == 5 and not cut, "every page tab is in sight", cut or len(tabs))


def case_first_start(t):
    app = t.new_app(settings={"page_setup": None})
    x, y, w, h = app._geometry(app.wid)
    sw, sh = screen_size()
    if not os.environ.get("QT_FONT_DPI"):
        t.check((w, h) == (651, 513), "a first start has the designed size", (w, h))
    t.check(abs(x + w // 2 - sw // 2) <= 2 and abs(y + h // 2 - sh // 2) <= 2,
            "and is centred", (x, y, w, h))
    inside_screen(app, app.wid, "the window", t)
    all_tabs_showing(app, t)
    shot("main-empty")


def case_person_and_dialogs(t):
    app = t.new_app(settings={"page_setup": None}, header_idno="1", header_group="Aile",
                    groups=["Aile"],
                    persons=[person("1", LONG_FIRST, LONG_LAST, "Aile",
                                    Contacts=["GSM\t0532 111 22 33", "Mail\tali@ornek.com.tr"],
                                    RecordedAt="01.01.2020  10:00:00"),
                             person("2", "AYŞE", "ER", "Aile")])
    before = app._geometry(app.wid)
    app.click_person("2")
    app.click_person("1")
    t.check(app._geometry(app.wid) == before, "a long name and time stamps never resize the window",
            (before, app._geometry(app.wid)))
    inside_screen(app, app.wid, "the window with a long name", t)
    shot("main-person")
    for page in ("Ev - Aile", "İşyeri", "Notlar", "Aidat"):
        app.page(page)
        shot("page-" + page.replace(" ", ""))
    app.page("Temel Bilgiler")

    app.set_field("Doğum Yeri", "ankara")
    wait_for(lambda: app.caption() == "Kayıt Düzeltiliyor", 10, "edit started")
    shot("main-editing")
    app.click(app.tool("İptal"))

    dialogs = [("Ara ve Bul", "find"), ("Genel Ayarlar", "settings"),
               ("Program Hakkında", "about")]
    for tool, name in dialogs:
        app.click(app.tool(tool))
        dialog = app.dialog(timeout=10, what=name)
        dwid = wait_for(lambda: [w for w in app._x_windows() if w != app.wid], 10,
                        "dialog window")[0]
        inside_screen(app, dwid, "the %s dialog" % name, t)
        shot("dialog-" + name)
        app.key("Escape")
        wait_for(lambda: not app._still_open(dialog), 10, name + " to close")

    # The contact entry dialog and the dial window, from the contact buttons.
    app.click(app.find(role_name="push button", root=app.window,
                       pred=lambda a: a.name == "Ekle", what="contact add button"))
    box = app.dialog(timeout=10, what="contact entry dialog")
    shot("dialog-contact")
    app.key("Escape")
    wait_for(lambda: not app._still_open(box), 10, "contact dialog to close")
    if app.caption() == "Kayıt Düzeltiliyor":
        app.click(app.tool("İptal"))

    tel = app.find(role_name="list", root=app.window, pred=lambda a: a.name == "Telefon - Mail - Web")
    app.click(tel.getChildAtIndex(0))
    app.click(app.find(role_name="push button", root=app.window,
                       pred=lambda a: a.name == "Çevir", what="Çevir"))
    dial = app.dialog(lambda w: w.name == "Telefon Çevirme İşlemi", 10, "dial window")
    dwid = wait_for(lambda: [w for w in app._x_windows() if w != app.wid], 10, "dial window")[0]
    inside_screen(app, dwid, "the dial window", t)
    shot("dialog-dial")
    app.click(app.find("Kapat", "push button", root=dial))
    app.key("Escape")


def case_office_dialogs(t):
    """The print choice, the birthdays and the table import dialogs."""
    today = time.strftime("%d %m 1980")
    app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"],
                    persons=[person("1", LONG_FIRST, LONG_LAST, "Aile", BirthDate=today),
                             person("2", "AYŞE", "ER", "Aile")])
    table = os.path.join(app.folder, "tablo.csv")
    with open(table, "w", encoding="utf-8") as f:
        f.write("Given Name,Family Name,Phone 1 - Type,Phone 1 - Value,E-mail 1 - Value,"
                "Address 1 - Street,Birthday,Notes\n" +
                "Şükrü,Özışık,Mobile,0532 111 22 33,sukru@ornek.com,%s,1970-03-05,not\n"
                % ("Çok Uzun Bir Cadde Adı " * 4))

    def open_dialog(name, open_it):
        open_it()
        dialog = app.dialog(lambda w: w.name == name, 15, name)
        dwid = wait_for(lambda: [w for w in app._x_windows() if w != app.wid], 10,
                        "dialog window")[0]
        inside_screen(app, dwid, "the %s dialog" % name, t)
        shot("dialog-" + name.replace(" ", ""))
        app.key("Escape")
        wait_for(lambda: not app._still_open(dialog), 10, name + " to close")

    open_dialog("Yazdır", lambda: app.key("ctrl+p"))
    open_dialog("Doğum Günleri", lambda: app.menu("Personel", "Doğum Günleri…"))
    open_dialog("Tablo İçe Aktar", lambda: (app.menu("Dosya", "Tablo İçe Aktar…"),
                                            app.file_dialog_enter(table)))


def case_placement_from_a_bigger_screen(t):
    app = t.new_app(settings={"page_setup": {"Left": 3000, "Top": 2000,
                                             "Width": 3000, "Height": 2500}})
    inside_screen(app, app.wid, "a window placed on a bigger screen", t)
    shot("main-clamped")


if __name__ == "__main__":
    Runner("layout-" + CONDITIONS).run([case_first_start, case_person_and_dialogs,
                                       case_office_dialogs, case_placement_from_a_bigger_screen])
