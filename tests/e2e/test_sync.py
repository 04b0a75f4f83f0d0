#!/usr/bin/python3
"""Sync with a CardDAV server from the window: "Dosya → Sunucuyla Eşitle…",
the login dialog the first time, the result message, and a second sync
that brings what another client wrote."""
import os
import sys

from harness import Runner, has_state, person, wait_for

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sync"))
from radicale_server import Radicale  # noqa: E402

PERSONS = [person("1", "ALİ", "KAYA", "Aile", Contacts=["GSM\t0532 111 22 33"]),
           person("2", "AYŞE", "ER", "Aile")]


def case_sync_from_the_window(t):
    server = Radicale({"ofis": "gizli şifre"}).start()
    try:
        app = t.new_app(header_idno="1", header_group="Aile", groups=["Aile"], persons=PERSONS)
        app.menu("Dosya", "Sunucuyla Eşitle…")
        dialog = app.dialog(lambda w: w.name == "Sunucuyla Eşitle", 10, "login dialog")
        for label, kind, text in (("Sunucu adresi", "text", server.url),
                                  ("Kullanıcı adı", "text", "ofis"),
                                  ("Şifre", "password text", "gizli şifre")):
            app.click(app.find(label, role_name=kind, root=dialog))
            app.type(text)
        app.click(app.find(role_name="push button", root=dialog,
                           pred=lambda a: a.name.replace("&", "") == "Eşitle"))
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
    finally:
        server.stop()


if __name__ == "__main__":
    Runner("sync").run([case_sync_from_the_window])
