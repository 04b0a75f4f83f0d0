"""A Radicale CardDAV server of the tests' own, on 127.0.0.1 and a free
port, with a plain htpasswd file and, on request, a certificate of its own
(which the program must refuse)."""
import base64
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.parse
import urllib.request


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Radicale:
    def __init__(self, users, tls=False):
        self.dir = tempfile.mkdtemp(prefix="radicale-")
        self.port = free_port()
        self.users = users
        self.tls = tls
        self.proc = None

    @property
    def url(self):
        return "%s://127.0.0.1:%d/" % ("https" if self.tls else "http", self.port)

    def start(self):
        with open(os.path.join(self.dir, "users"), "w", encoding="utf-8") as f:
            for user, password in self.users.items():
                f.write("%s:%s\n" % (user, password))
        tls = ""
        if self.tls:
            cert = os.path.join(self.dir, "cert.pem")
            key = os.path.join(self.dir, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days",
                            "2", "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                           check=True, capture_output=True)
            tls = "ssl = True\ncertificate = %s\nkey = %s\n" % (cert, key)
        config = os.path.join(self.dir, "config")
        with open(config, "w", encoding="utf-8") as f:
            f.write("[server]\nhosts = 127.0.0.1:%d\n%s\n"
                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %s\n"
                    "htpasswd_encryption = plain\ndelay = 0\n\n"
                    "[storage]\nfilesystem_folder = %s\n\n"
                    "[rights]\ntype = owner_only\n\n[web]\ntype = none\n\n"
                    "[logging]\nlevel = warning\n"
                    % (self.port, tls, os.path.join(self.dir, "users"),
                       os.path.join(self.dir, "collections")))
        self.log = open(os.path.join(self.dir, "log"), "wb")
        self.proc = subprocess.Popen(["/usr/bin/python3", "-m", "radicale", "--config", config],
                                     stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return self
            except OSError:
                if self.proc.poll() is not None:
                    break
                time.sleep(0.1)
        raise RuntimeError("Radicale did not start: " + open(os.path.join(self.dir, "log")).read())

    def stop(self):
        if self.proc:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    # -- a second client, for changes made elsewhere
    def request(self, user, method, path, body=None, headers=None):
        if not path.startswith("%") and "%" not in path:
            path = urllib.parse.quote(path, safe="/")
        req = urllib.request.Request(self.url.rstrip("/") + path, data=body, method=method)
        token = base64.b64encode(("%s:%s" % (user, self.users[user])).encode("utf-8")).decode()
        req.add_header("Authorization", "Basic " + token)
        for k, v in (headers or {}).items():
            req.add_header(k, v)
        try:
            with urllib.request.urlopen(req, timeout=30) as r:
                return r.status, r.read(), r.headers
        except urllib.error.HTTPError as e:
            return e.code, e.read(), e.headers

    def make_book(self, user, name):
        body = ('<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" '
                'xmlns:c="urn:ietf:params:xml:ns:carddav"><d:set><d:prop><d:resourcetype>'
                '<d:collection/><c:addressbook/></d:resourcetype><d:displayname>%s'
                '</d:displayname></d:prop></d:set></d:mkcol>' % name).encode()
        return self.request(user, "MKCOL", "/%s/%s/" % (user, name), body,
                            {"Content-Type": "application/xml"})[0]

    def cards(self, user, book):
        """href: vCard text of every card in the book."""
        body = (b'<?xml version="1.0"?><d:propfind xmlns:d="DAV:"><d:prop><d:getetag/>'
                b'</d:prop></d:propfind>')
        status, data, _ = self.request(user, "PROPFIND", book, body, {"Depth": "1"})
        import re
        hrefs = [h for h in re.findall(r"<[^>]*href>([^<]+)</", data.decode()) if h.endswith(".vcf")]
        out = {}
        for h in hrefs:
            s, card, _ = self.request(user, "GET", h)
            if s == 200:
                out[h] = card.decode("utf-8")
        return out

    def books(self, user):
        import re
        body = (b'<?xml version="1.0"?><d:propfind xmlns:d="DAV:"><d:prop><d:resourcetype/>'
                b'</d:prop></d:propfind>')
        status, data, _ = self.request(user, "PROPFIND", "/%s/" % user, body, {"Depth": "1"})
        text = data.decode()
        return [h for h in re.findall(r"<[^>]*href>([^<]+)</", text)
                if urllib.parse.unquote(h).rstrip("/") != "/" + user]


if __name__ == "__main__":
    # For the benchmark: a server for user "bench", its address on the
    # first line, until standard input closes.
    import sys
    server = Radicale({"bench": "bench"}).start()
    print(server.url, flush=True)
    try:
        sys.stdin.read()
    finally:
        server.stop()
