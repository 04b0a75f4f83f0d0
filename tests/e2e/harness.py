"""Drives the real program under a private X server and accessibility bus.

One Desktop per script (Xvfb, session bus, AT-SPI bus, Turkish key map);
one App per group of cases (the program with its own HOME and settings).
Input goes through xdotool only; what the user sees is read through AT-SPI.

Run one script alone (optionally only some of its cases):
    /usr/bin/python3 tests/e2e/test_editing.py build/debug/src/app/zilvaren \
        build/debug/src/app/zilvaren-cli [case_key_commands ...]
Screenshots of failures go to build/e2e-shots/. To watch a run, set
ZILVAREN_E2E_VNC=5900 and point a VNC viewer at that port.
"""
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SHOT_DIR = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "..",
                                         "build", "e2e-shots"))
SEP = "\u00ff"  # group path separator as the dump shows it
# The private display's size; the layout checks run at more than one.
SCREEN = os.environ.get("ZILVAREN_E2E_SCREEN", "1280x1024")

pyatspi = None  # imported once the private buses exist


class Failure(Exception):
    pass


class Stop(BaseException):
    """Ends the whole script (signal or deadline); cleanup still runs."""


# ---------------------------------------------------------------- files

# The address block's lines, in the order the program writes them.
ADDRESS_TAGS = [("HOM1", "HomeAddress1"), ("HOM2", "HomeAddress2"), ("HOM3", "HomePostCode"),
                ("HOM4", "HomeCity"), ("COMP", "Firm"), ("SECT", "Department"),
                ("TITL", "Profession"), ("WRK1", "WorkAddress1"), ("WRK2", "WorkAddress2"),
                ("WRK3", "WorkPostCode"), ("WRK4", "WorkCity")]


def write_qdb(path, header_idno=None, header_group="", groups=(), persons=(),
              find_items=(), extra_header=""):
    """persons: dicts with RecordNo, FirstName, Surname, GroupPath, Notes (list),
    BirthDate ("dd mm yyyy"), EditedAt, RecordedAt, Pictures (list), PictureIndex."""
    lines = ["0 HEAD", "1 SOUR Velmora", "2 VERS 1.0", "2 NAME Velmora",
             "2 CORP Orvak Software", "3 ADDR x", "4 CONT y"]
    if header_idno is not None:
        lines.append("1 IDNO " + header_idno)
    lines.append("1 GRUP " + header_group)
    lines += ["2 GRUP " + g for g in groups]
    lines.append("1 FIND ")
    lines += ["2 ITEM " + w for w in find_items]
    lines += ["2 CHEK ID=1", "2 CHEK AdSoyad=1", "2 CHEK Tel=0", "2 CHEK Adres=0",
              "2 CHEK Firma=0", "2 CHEK Notlar=0", "2 CHEK Grup=0", "2 CHEK Tamami=0",
              "1 SETS ", "2 CHEK SaveAndClose=0", "2 CHEK FindWords=100"]
    if extra_header:
        lines += extra_header.split("\n")
    for p in persons:
        lines.append("0 ID " + p["RecordNo"])
        lines.append("1 NAME " + p.get("FirstName", ""))
        if p.get("Surname"):
            lines.append("1 SURN " + p["Surname"])
        if p.get("BirthDate"):
            lines += ["1 BIRT", "2 DATE " + p["BirthDate"]]
        if p.get("Contacts"):
            lines.append("1 PHON")
            lines += ["2 CONT " + c for c in p["Contacts"]]
        if p.get("Pictures"):
            lines.append("1 OBJE")
            lines += ["2 CONT " + x for x in p["Pictures"]]
            lines.append("2 INDX %d" % p.get("PictureIndex", 0))
        address = [(tag, p[key]) for tag, key in ADDRESS_TAGS if p.get(key)]
        if address:
            lines.append("1 ADRS")
            lines += ["2 %s %s" % tv for tv in address]
        lines.append("1 GRUP " + p.get("GroupPath", ""))
        if p.get("RecordedAt") or p.get("EditedAt"):
            lines.append("1 TIME")
            if p.get("RecordedAt"):
                lines.append("2 RECD " + p["RecordedAt"])
            if p.get("EditedAt"):
                lines.append("2 EDIT " + p["EditedAt"])
        if p.get("Notes"):
            lines.append("1 NOTE")
            lines += ["2 CONT " + n for n in p["Notes"]]
    lines.append("0 TRLR")
    with open(path, "wb") as f:
        f.write("".join(l + "\r\n" for l in lines).encode("cp1254"))


def person(no, name, surname="", group="", **kw):
    d = {"RecordNo": no, "FirstName": name, "Surname": surname, "GroupPath": group}
    d.update(kw)
    return d


# ---------------------------------------------------------------- processes

def _die_with_parent():
    # If the harness itself is killed (test timeout), its children go too.
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def _read_fd_line(fd, timeout=20):
    buf = b""
    end = time.time() + timeout
    os.set_blocking(fd, False)
    while time.time() < end:
        try:
            chunk = os.read(fd, 4096)
        except BlockingIOError:
            time.sleep(0.05)
            continue
        if not chunk:
            break
        buf += chunk
        if b"\n" in buf:
            return buf.split(b"\n")[0].decode()
    raise Failure("no answer on descriptor from helper process")


class Desktop:
    """Xvfb + private session bus + AT-SPI bus for one scenario script."""

    def __init__(self):
        self.procs = []
        self.tmp = tempfile.mkdtemp(prefix="zv-e2e-")

    def start(self):
        r, w = os.pipe()
        # -noreset: without it the server resets when its last client leaves,
        # dropping the key map and refusing connections for a moment.
        self.procs.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", SCREEN + "x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent))
        os.close(w)
        display = ":" + _read_fd_line(r).strip()
        os.close(r)
        # To watch a run: ZILVAREN_E2E_VNC=5900 serves the private display,
        # read-only, to any VNC viewer (needs x11vnc).
        vnc_port = os.environ.get("ZILVAREN_E2E_VNC")
        if vnc_port:
            self.procs.append(subprocess.Popen(
                ["x11vnc", "-display", display, "-rfbport", vnc_port, "-viewonly", "-shared",
                 "-forever", "-nopw", "-quiet"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                preexec_fn=_die_with_parent))
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime,
                   HOME=self.tmp, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"))
        r, w = os.pipe()
        self.procs.append(subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=%d" % w],
            pass_fds=(w,), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent))
        os.close(w)
        bus = _read_fd_line(r).strip()
        os.close(r)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus
        self.procs.append(subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent))
        subprocess.run(["setxkbmap", "tr"], env=env, check=True)
        for k in ("DISPLAY", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"):
            os.environ[k] = env[k]
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        # Give the bus launcher time to register before the first AT-SPI call.
        wait_for(lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], capture_output=True).returncode == 0, 20,
            "AT-SPI bus")
        global pyatspi
        import pyatspi as _p
        pyatspi = _p
        return self

    def stop(self):
        for p in reversed(self.procs):
            stop_process(p)
        shutil.rmtree(self.tmp, ignore_errors=True)


def stop_process(p, grace=3):
    if p.poll() is not None:
        return
    p.send_signal(signal.SIGTERM)
    try:
        p.wait(grace)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait(5)


def wait_for(cond, timeout=10, what="condition", interval=0.1):
    end = time.time() + timeout
    last = None
    while True:
        try:
            v = cond()
            if v:
                return v
        except Failure:
            raise
        except Exception as e:  # the tree changes under us; try again
            last = e
        if time.time() >= end:
            raise Failure("timed out waiting for %s%s" % (what, " (%s)" % last if last else ""))
        time.sleep(interval)


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def screenshot(name):
    path = os.path.join(SHOT_DIR, name + ".png")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["/usr/bin/import", "-window", "root", path], capture_output=True)
    return path


# ---------------------------------------------------------------- AT-SPI

def walk(acc, depth=0, max_depth=40):
    yield acc
    if depth >= max_depth:
        return
    try:
        n = acc.childCount
    except Exception:
        return
    # Big tables: do not descend into every cell unless asked for.
    for i in range(min(n, 400)):
        try:
            c = acc.getChildAtIndex(i)
        except Exception:
            continue
        if c is not None:
            yield from walk(c, depth + 1, max_depth)


def role(acc):
    return acc.getRoleName()


def states(acc):
    return acc.getState()


def has_state(acc, st):
    return states(acc).contains(getattr(pyatspi, "STATE_" + st.upper()))


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, -1)
    except Exception:
        return acc.name


def center(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x + e.width // 2, e.y + e.height // 2


def extents(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def showing(acc):
    s = states(acc)
    return s.contains(pyatspi.STATE_SHOWING) and s.contains(pyatspi.STATE_VISIBLE)


# ---------------------------------------------------------------- the program

class App:
    def __init__(self, desktop, binary, cli, workdir=None, qdb=None, settings=None, args=()):
        self.desktop = desktop
        self.args = list(args)
        self.binary = binary
        self.cli = cli
        self.home = tempfile.mkdtemp(prefix="home-", dir=desktop.tmp)
        self.work = workdir or self.home
        self.qdb = qdb
        self.settings = settings or {}
        self.proc = None
        self.acc = None

    # -- life
    def start(self, wait_for_file=True):
        conf = os.path.join(self.home, "config", "Orvak")
        os.makedirs(conf, exist_ok=True)
        lines = []
        if self.qdb:
            lines += ["[Recent%20Files]", "RecentFile_0=" + self.qdb]
            for i, f in enumerate(self.settings.get("recent", []), 1):
                lines.append("RecentFile_%d=%s" % (i, f))
        # The window's stored placement; None starts it as on a first run.
        page_setup = self.settings.get("page_setup",
                                       {"Left": 0, "Top": 0, "Width": 1200, "Height": 900})
        if page_setup is not None:
            lines += ["", "[PageSetup]"] + ["%s=%s" % kv for kv in page_setup.items()]
        with open(os.path.join(conf, "Zilvaren.conf"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, 0o700, exist_ok=True)
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", LANG="C.UTF-8")
        wait_for(lambda: os.access(self.binary, os.X_OK), 240, "program binary (being rebuilt?)",
                 interval=2)
        self.log = open(os.path.join(self.home, "program.log"), "wb")
        self.proc = subprocess.Popen([self.binary] + self.args, cwd=self.work, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     preexec_fn=_die_with_parent)
        self.acc = wait_for(self._find_app, 30, "program on the accessibility bus")
        self.window = wait_for(lambda: self._frame(), 20, "main window")
        self.wid = wait_for(self._window_id, 10, "X window of the program")
        self.focus_window()
        if self.qdb and wait_for_file:
            wait_for(lambda: self.qdb in self.window.name, 15, "start-up file in the caption")
        return self

    def _find_app(self):
        if self.proc.poll() is not None:
            raise Failure("program exited with %s" % self.proc.returncode)
        d = pyatspi.Registry.getDesktop(0)
        for i in range(d.childCount):
            a = d.getChildAtIndex(i)
            try:
                if a is not None and a.get_process_id() == self.proc.pid:
                    return a
            except Exception:
                pass
        return None

    def _frame(self):
        for i in range(self.acc.childCount):
            c = self.acc.getChildAtIndex(i)
            if c is not None and role(c) == "frame" and showing(c):
                return c
        return None

    def _window_id(self):
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                           capture_output=True, text=True)
        ids = r.stdout.split()
        for w in ids:
            n = subprocess.run(["xdotool", "getwindowname", w], capture_output=True, text=True)
            if n.stdout.startswith(("Zilvaren", "Velmora")):
                return w
        return None

    def focus_window(self):
        # Without a window manager nothing gives the focus back after a
        # dialog closes; a focus already on the window is not announced
        # again, so it passes through the root window first.
        root = subprocess.run(["xdotool", "search", "--maxdepth", "0", ""],
                              capture_output=True, text=True).stdout.split()
        if root:
            xdo("windowfocus", "--sync", root[0])
        xdo("windowfocus", "--sync", self.wid)

    def focus_dialog(self, title):
        """Gives the keyboard to a dialog that opened while the main window
        was being focused (at start-up, with no window manager to do it)."""
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                            "--name", "^%s$" % title], capture_output=True, text=True)
        for wid in r.stdout.split():
            xdo("windowfocus", "--sync", wid)

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self):
        if self.proc:
            stop_process(self.proc, grace=2)
            self.log.close()

    def exited(self, timeout=10):
        try:
            self.proc.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    # -- finding
    def windows(self):
        out = []
        for i in range(self.acc.childCount):
            c = self.acc.getChildAtIndex(i)
            if c is not None:
                out.append(c)
        return out

    def find(self, name=None, role_name=None, root=None, timeout=10, pred=None, visible=True,
             what=None):
        def look():
            roots = [root] if root is not None else self.windows()
            for r in roots:
                for a in walk(r):
                    try:
                        if name is not None and a.name != name:
                            continue
                        if role_name is not None and role(a) != role_name:
                            continue
                        if visible and not showing(a):
                            continue
                        if pred is not None and not pred(a):
                            continue
                        return a
                    except Exception:
                        continue
            return None
        return wait_for(look, timeout, what or "%s %r" % (role_name or "widget", name))

    def find_all(self, role_name, root=None, pred=None, visible=True):
        roots = [root] if root is not None else self.windows()
        out = []
        for r in roots:
            for a in walk(r):
                try:
                    if role(a) == role_name and (showing(a) or not visible) and \
                            (pred is None or pred(a)):
                        out.append(a)
                except Exception:
                    pass
        return out

    def tool(self, prefix):
        """A tool button by the start of its hint ("Ekle" finds "Ekle (Alt+E)")."""
        bar = self.find("ToolBar", "tool bar", root=self.window)
        return self.find(role_name="push button", root=bar,
                         pred=lambda a: a.name == prefix or a.name.startswith(prefix + " ("),
                         what="tool button " + prefix)

    def edit(self, label):
        """A detail edit by its label; brings its page to the front first.
        ("Adres 1" and the like name the first page's edit.)"""
        e = self.find(label, "text", root=self.window, visible=False)
        if not showing(e):
            for tab in self.find_all("page tab", root=self.window):
                self.click(tab)
                if showing(e):
                    break
        return e

    def page(self, name):
        self.click(self.find(name, "page tab", root=self.window))

    def person_list(self):
        return self.find("Personel Listesi", root=self.window,
                         pred=lambda a: role(a) in ("tree", "tree table", "table"))

    def group_tree(self):
        return self.find("Grup ve Alt Gruplar", root=self.window,
                         pred=lambda a: role(a) in ("tree", "tree table", "table"))

    # -- input
    def click(self, acc, button=1, double=False):
        x, y = center(acc)
        self.click_at(x, y, button, double)

    def click_at(self, x, y, button=1, double=False):
        xdo("mousemove", "--sync", x, y)
        time.sleep(0.05)
        if double:
            xdo("click", "--repeat", 2, "--delay", 80, button)
        else:
            xdo("click", button)
        time.sleep(0.15)

    def key(self, *chords):
        for c in chords:
            xdo("key", "--delay", 60, c)
            time.sleep(0.1)

    def type(self, text):
        xdo("type", "--delay", 40, text)
        time.sleep(0.15)

    def drag(self, x0, y0, x1, y1, steps=12):
        xdo("mousemove", "--sync", x0, y0)
        time.sleep(0.1)
        xdo("mousedown", 1)
        time.sleep(0.1)
        # Small first steps pass the start distance; then walk to the target.
        for i in range(1, 4):
            xdo("mousemove", x0 + 3 * i, y0 + 2 * i)
            time.sleep(0.05)
        for i in range(1, steps + 1):
            xdo("mousemove", x0 + 9 + (x1 - x0 - 9) * i // steps,
                y0 + 6 + (y1 - y0 - 6) * i // steps)
            time.sleep(0.05)
        xdo("mousemove", x1, y1 + 1)
        time.sleep(0.1)
        xdo("mousemove", x1, y1)
        time.sleep(0.2)
        xdo("mouseup", 1)
        time.sleep(0.4)

    # -- tables and trees
    def rows(self, table, cols=None):
        """Visible rows as lists of cell texts."""
        t = table.queryTable()
        n, m = t.nRows, t.nColumns
        cols = range(m) if cols is None else cols
        out = []
        for r in range(n):
            out.append([t.getAccessibleAt(r, c).name for c in cols])
        return out

    def cell(self, table, r, c):
        return table.queryTable().getAccessibleAt(r, c)

    def list_rows(self):
        return self.rows(self.person_list(), cols=[0, 1, 2])

    def list_nos(self):
        return [r[0] for r in self.list_rows()]

    def selected_rows(self):
        lst = self.person_list()
        t = lst.queryTable()
        return [r for r in range(t.nRows) if has_state(t.getAccessibleAt(r, 0), "selected")]

    def row_of(self, no):
        nos = self.list_nos()
        if no not in nos:
            raise Failure("record %s not in the list %s" % (no, nos))
        return nos.index(no)

    def click_person(self, no, double=False):
        r = self.row_of(no)
        self.click(self.cell(self.person_list(), r, 1), double=double)

    def group_items(self):
        """(text, accessible) of the group tree's rows in display order."""
        tree = self.group_tree()
        t = tree.queryTable()
        out = []
        for r in range(t.nRows):
            for c in range(t.nColumns):
                a = t.getAccessibleAt(r, c)
                if a.name:
                    out.append((a.name, a))
                    break
        return out

    def group_names(self):
        return [n for n, _ in self.group_items()]

    def group_cell(self, name):
        """The row of the group whose name (before " {n}") is name."""
        def look():
            for text, a in self.group_items():
                if text == name or text.split(" {")[0] == name:
                    return a
            return None
        return wait_for(look, 10, "group row %r" % name)

    def click_group(self, name, button=1):
        a = self.group_cell(name)
        x, y, w, h = extents(a)
        self.click_at(x + min(w // 3, 40), y + h // 2, button)

    def expand_group(self, name):
        """Click the branch sign left of a group (does not focus it)."""
        a = self.group_cell(name)
        if has_state(a, "expanded"):
            return
        x, y, w, h = extents(a)
        self.click_at(x - 10, y + h // 2)

    def focused_group(self):
        # The focus marker is an image AT-SPI does not show; the person's
        # group is selected, and the focused one is when the tree has focus.
        for text, a in self.group_items():
            if has_state(a, "focused") or has_state(a, "selected"):
                return text
        return None

    def status_texts(self):
        bar = self.find(role_name="status bar", root=self.window)
        return [a.name for a in walk(bar) if role(a) == "label"]

    def status_counts(self):
        """The status bar's two counts: all persons, and those in the list."""
        texts = self.status_texts()
        return int(texts[texts.index("Tplm Adet") + 1]), int(texts[texts.index("Listede Adet") + 1])

    def status_note(self):
        """What the status bar's last panel says."""
        texts = self.status_texts()
        return texts[texts.index("Listede Adet") + 2] if len(texts) > texts.index("Listede Adet") + 2 else ""

    # -- detail pages
    def record_no(self):
        return text_of(self.edit("Kayıt No"))

    def caption(self):
        """The caption label above the detail pages (viewing: "no - Name")."""
        labels = self.find_all("label", root=self.window)
        for l in labels:
            n = l.name
            if n == "Telefon - Mail - Web":
                continue
            if n == "---" or " - " in n or n in ("Yeni Kayıt Yapılıyor", "Kayıt Düzeltiliyor") \
                    or n == "Ad Soyad - Yeni - Düzelt":
                return n
        return None

    def edit_time_text(self):
        """The time stamps of the time-stamp label, without its fixed words."""
        for l in self.find_all("label", root=self.window, visible=False):
            if "Kayıt tarihi" in l.name or "Düzeltme tarihi" in l.name:
                t = l.name.replace("Kayıt tarihi :", "").replace("Son Düzeltme tarihi :", "")
                return " ".join(t.split())
        return ""

    def set_field(self, label, text):
        e = self.edit(label)
        self.click(e)
        self.key("ctrl+a")
        self.type(text)

    # -- message boxes and dialogs
    def dialog(self, pred=None, timeout=10, what="dialog"):
        def look():
            for w in self.windows():
                try:
                    if role(w) in ("alert", "dialog", "file chooser") and showing(w) and \
                            (pred is None or pred(w)):
                        return w
                except Exception:
                    pass
            return None
        return wait_for(look, timeout, what)

    def open_dialogs(self):
        out = []
        for w in self.windows():
            try:
                if role(w) in ("alert", "dialog", "file chooser") and showing(w):
                    out.append(w)
            except Exception:
                pass
        return out

    def message_text(self, box):
        texts = [a.name for a in walk(box) if role(a) == "label" and a.name]
        return "\n".join(texts)

    def message(self, timeout=10, containing=None):
        box = self.dialog(lambda w: role(w) == "alert" and
                          (containing is None or containing in self.message_text(w)),
                          timeout, "message box" + (" %r" % containing if containing else ""))
        return box, self.message_text(box)

    def answer(self, box, *names):
        """Click the first button of box whose name is one of names."""
        for a in walk(box):
            if role(a) == "push button" and a.name.replace("&", "") in names:
                self.click(a)
                wait_for(lambda: not self._still_open(box), 10, "box to close")
                return
        raise Failure("no button %s in box" % (names,))

    def _still_open(self, box):
        try:
            return showing(box)
        except Exception:
            return False

    def input_box(self, text, timeout=10):
        box = self.dialog(lambda w: w.name == "Bilgi Girişi", timeout, "input box Bilgi Girişi")
        edit = self.find(role_name="text", root=box)
        self.click(edit)
        self.key("ctrl+a")
        if text:
            self.type(text)
        self.key("Return")
        wait_for(lambda: not self._still_open(box), 10, "input box to close")

    def menu(self, top, item):
        """Open a menu of the menu bar with a click and click one of its items."""
        bar_item = self.find(top, root=self.window,
                             pred=lambda a: role(a) in ("menu", "menu item"))
        self.click(bar_item)
        self.click_menu_item(item)

    def click_menu_item(self, item, timeout=10):
        it = self.find(role_name="menu item", timeout=timeout,
                       pred=lambda a: a.name.replace("&", "") == item,
                       what="menu item %r" % item)
        self.click(it)

    GROUP_MENU = ["Grup Ekle", "Altgrup Ekle", "Düzelt", "Sil", "Hepsini Göster"]

    def _x_windows(self):
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                           capture_output=True, text=True)
        return set(r.stdout.split())

    def _geometry(self, wid):
        r = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid],
                           capture_output=True, text=True)
        g = dict(l.split("=", 1) for l in r.stdout.split() if "=" in l)
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def context_menu_on_group(self, group, item):
        """Right click on a group row and click an item of the popup menu.

        Qt keeps popup menus out of the accessibility tree, so the item is
        found from the popup window's geometry: five rows of equal height."""
        before = self._x_windows()
        self.click_group(group, button=3)
        popup = wait_for(lambda: [w for w in self._x_windows() - before
                                  if self._geometry(w)[3] > 40], 5, "group popup menu")[0]
        x, y, w, h = self._geometry(popup)
        i = self.GROUP_MENU.index(item)
        n = len(self.GROUP_MENU)
        self.click_at(x + w // 3, y + (h * (2 * i + 1)) // (2 * n))

    def file_dialog_enter(self, path):
        dlg = self.dialog(lambda w: role(w) in ("dialog", "file chooser"), 15, "file dialog")
        # The file-name box has the keyboard focus when the dialog opens.
        wait_for(lambda: any(has_state(a, "focused") for a in walk(dlg) if role(a) == "text"),
                 10, "file name box focused")
        self.key("ctrl+a")
        self.type(path)
        self.key("Return")
        wait_for(lambda: not self._still_open(dlg), 10, "file dialog to close")

    # -- stored data
    def save(self, by_button=False):
        """Ctrl+S (or the tool button), then wait until saving is no longer offered."""
        if by_button:
            self.click(self.tool("Dosya Kaydet"))
        else:
            self.focus_window()
            self.key("ctrl+s")
        wait_for(lambda: not has_state(self.tool("Dosya Kaydet"), "enabled"), 10,
                 "save to finish")

    def dump(self, path=None):
        r = subprocess.run([self.cli, "dump", path or self.qdb], capture_output=True)
        return json.loads(r.stdout.decode("utf-8"))


def persons_by_no(doc):
    return {p["RecordNo"]: p for p in doc["persons"]}


def group_counts(doc):
    out = {}

    def rec(gs):
        for g in gs:
            out[g["path"]] = g["memberCount"]
            rec(g["children"])
    rec(doc["groups"])
    return out


# ---------------------------------------------------------------- running cases

class Runner:
    """Runs case functions; each prints ok/FAIL lines per check."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0
        self.binary = os.path.abspath(sys.argv[1])
        self.cli = os.path.abspath(sys.argv[2])
        self.desktop = None
        self.app = None

    def check(self, cond, what, detail=""):
        if cond:
            self.passed += 1
            print("ok   " + what, flush=True)
        else:
            self.failed += 1
            print("FAIL " + what + (": " + str(detail) if detail != "" else ""), flush=True)
            self._shot(what)
        return cond

    def _shot(self, what):
        safe = "".join(ch if ch.isalnum() else "_" for ch in what)[:60]
        try:
            screenshot("%s-%s" % (self.name, safe))
        except Exception:
            pass

    def new_app(self, **kw):
        folder = tempfile.mkdtemp(prefix="case-", dir=self.desktop.tmp)
        qdb = None
        if "persons" in kw or "groups" in kw:
            qdb = os.path.join(folder, kw.pop("file_name", "kayit.qdb"))
            write_qdb(qdb, **{k: v for k, v in kw.items() if k not in ("settings",)})
        self.app = App(self.desktop, self.binary, self.cli, qdb=qdb,
                       settings=kw.get("settings"))
        self.app.folder = folder
        return self.app.start()

    def run(self, cases):
        wanted = sys.argv[3:]  # optional case names, to run a few alone
        cases = [c for c in cases if not wanted or c.__name__ in wanted]

        def stop_now(signum, frame):
            raise Stop("stopped by signal %d" % signum)
        signal.signal(signal.SIGTERM, stop_now)
        signal.signal(signal.SIGALRM, stop_now)
        signal.alarm(280)  # below the CTest timeout, so the cleanup still runs
        self.desktop = Desktop()
        try:
            self.desktop.start()
            for case in cases:
                print("# " + case.__name__, flush=True)
                try:
                    case(self)
                except Exception as e:
                    self.failed += 1
                    msg = str(e) if isinstance(e, Failure) else traceback.format_exc().strip()
                    print("FAIL %s: %s" % (case.__name__, msg), flush=True)
                    self._shot(case.__name__)
                finally:
                    self._end_app()
        except Stop as e:
            self.failed += 1
            print("FAIL %s" % e, flush=True)
        finally:
            self._end_app()
            self.desktop.stop()
        print("%d passed, %d failed" % (self.passed, self.failed), flush=True)
        sys.exit(1 if self.failed else 0)

    def _end_app(self):
        app, self.app = self.app, None
        if not app:
            return
        code = app.proc.poll() if app.proc else None
        if code not in (None, 0):
            print("     (program ended with %s)" % code)
            app.log.flush()
            with open(app.log.name, "rb") as f:
                tail = f.read()[-600:].decode("utf-8", "replace")
            print("     " + tail.replace("\n", "\n     "))
        app.stop()
