#!/usr/bin/python3
"""Sync with a CardDAV server from the window: "Dosya → Sunucuyla Eşitle…",
the login dialog the first time (a failed first login keeps the address and
user for the next try), the result message, a second sync that brings what
another client wrote, and a third that takes away the person on screen."""
import os
import sys

from harness import Runner, has_state, person, role, showing, text_of, wait_for, walk

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sync"))
from radicale_server import Radicale  # noqa: E402

PERSONS = [person("1", "ALİ", "KAYA", "Aile", Contacts=["GSM\t0532 111 22 33"],
                  Pictures=["ali1.jpg", "ali2.jpg"]),
           person("2", "AYŞE", "ER", "Aile")]


def case_sync_from_the_window(t):
    server = Radicale({"ofis": "gizli şifre"}).start()
    try:
        app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"], persons=PERSONS)
        def login_dialog():
            app.menu("Dosya", "Sunucuyla Eşitle…")
            return app.dialog(lambda w: w.name == "Sunucuyla Eşitle", 10, "login dialog")

        def press(dialog, name):
            app.click(app.find(role_name="push button", root=dialog,
                               pred=lambda a: a.name.replace("&", "") == name))

        # A wrong password, then "İptal": the address and the user stay for
        # the next try, the password does not.
        dialog = login_dialog()
        for label, kind, text in (("Sunucu adresi", "text", server.url),
                                  ("Kullanıcı adı", "text", "ofis"),
                                  ("Şifre", "password text", "yanlış")):
            app.click(app.find(label, role_name=kind, root=dialog))
            app.type(text)
        press(dialog, "Eşitle")
        wait_for(lambda: any("kabul etmedi" in a.name
                             for a in walk(dialog) if role(a) == "label" and showing(a)),
                 60, "the login asked again with the reason")
        press(dialog, "İptal")
        dialog = login_dialog()
        typed = {label: text_of(app.find(label, role_name=kind, root=dialog))
                 for label, kind in (("Sunucu adresi", "text"), ("Kullanıcı adı", "text"),
                                     ("Şifre", "password text"))}
        t.check(typed == {"Sunucu adresi": server.url, "Kullanıcı adı": "ofis", "Şifre": ""},
                "a failed first sync keeps the address and user, not the password", typed)
        app.click(app.find("Şifre", role_name="password text", root=dialog))
        app.type("gizli şifre")
        press(dialog, "Eşitle")
        box, text = app.message(containing="Eşitleme tamamlandı", timeout=60)
        t.check("2 kart gönderildi" in text, "both persons are sent", text)
        app.answer(box, "OK", "Tamam")
        books = server.books("ofis")
        cards = server.cards("ofis", books[0]) if books else {}
        t.check(len(cards) == 2, "two cards on the server", cards)
        doc = app.dump()
        t.check(all(p["Identity"] for p in doc["persons"]), "the sync saved the file with identities",
                [p["Identity"] for p in doc["persons"]])
        t.check(os.path.exists(os.path.join(app.folder, "kayit.BAK")), "saved with a backup")
        t.check("geri alınamaz" in app.status_note(), "the status bar says the sync ends the history",
                app.status_note())
        t.check(not has_state(app.find(role_name="menu item", visible=False,
                                       pred=lambda a: a.name.replace("&", "").startswith("Geri Al")),
                              "enabled"), "nothing before the sync can be undone")

        # Another client adds a card; the next sync asks nothing and shows it.
        server.request("ofis", "PUT", books[0] + "telefon.vcf",
                       b"BEGIN:VCARD\r\nVERSION:3.0\r\nUID:telefon\r\nN:SU;DEN\xc4\xb0Z;;;\r\n"
                       b"FN:DEN\xc4\xb0Z SU\r\nCATEGORIES:Aile\r\nEND:VCARD\r\n",
                       {"Content-Type": "text/vcard"})
        app.menu("Dosya", "Sunucuyla Eşitle…")
        box, text = app.message(containing="Eşitleme tamamlandı", timeout=60)
        t.check("1 kişi alındı" in text, "the new card comes without a second login", text)
        app.answer(box, "OK", "Tamam")
        wait_for(lambda: "3" in app.list_nos(), 10, "the new person in the list")
        t.check(app.list_nos() == ["1", "2", "3"], "the list shows the new person", app.list_nos())
        t.check(not has_state(app.tool("Dosya Kaydet"), "enabled"), "nothing is left unsaved")

        # Another client deletes ALİ, the person on screen: the pages clear,
        # the picture count too.
        counter = app.find(role_name="label", root=app.window,
                           pred=lambda a: a.description == "Resim Sayısı")
        t.check(counter.name == "2", "ALİ's two pictures are counted", counter.name)
        server.request("ofis", "DELETE", _card_of(server, books[0], "KAYA"))
        app.menu("Dosya", "Sunucuyla Eşitle…")
        box, text = app.message(containing="Eşitleme tamamlandı", timeout=60)
        t.check("1 kişi silindi" in text, "ALİ is deleted here", text)
        app.answer(box, "OK", "Tamam")
        wait_for(lambda: app.caption() == "---", 10, "the detail pages cleared")
        t.check(counter.name == "0", "the picture count is cleared with the pages", counter.name)
        t.check(app.list_nos() == ["2", "3"], "the list follows", app.list_nos())
    finally:
        server.stop()


def _card_of(server, book, surname):
    """The path of the card whose N line begins with surname."""
    for href, data in server.cards("ofis", book).items():
        if ("\nN:" + surname + ";") in data:
            return href
    raise AssertionError("no card of " + surname)


if __name__ == "__main__":
    Runner("sync").run([case_sync_from_the_window])
