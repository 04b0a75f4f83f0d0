#!/usr/bin/python3
"""The install tree and the Debian package as a user meets them: installed
into a temporary prefix, the desktop entry, the file type and the metainfo
validated, the file type queried with xdg-mime, the package's Depends and
contents read back, and Debian's checker (lintian) run over the package."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

BUILD = os.path.abspath(sys.argv[1])
failures = 0
APP = "com.orvak.Velmora"
MIME = "application/x-velmora-qdb"


def check(cond, what, detail=""):
    global failures
    if not cond:
        failures += 1
        print("FAIL:", what, detail)
    else:
        print("ok  ", what)


def run(*args, env=None):
    r = subprocess.run(list(args), capture_output=True, env=env)
    return r.returncode, (r.stdout + r.stderr).decode("utf-8", "replace")


work = tempfile.mkdtemp()
try:
    # Installed as a user installs it: a prefix, and DESTDIR on top.
    prefix = os.path.join(work, "prefix")
    code, out = run("cmake", "--install", BUILD, "--prefix", prefix)
    check(code == 0, "cmake --install into a prefix", out)
    staged = os.path.join(work, "staged")
    code, out = run("cmake", "--install", BUILD, "--prefix", "/opt/velmora",
                    env=dict(os.environ, DESTDIR=staged))
    check(code == 0 and os.path.exists(os.path.join(staged, "opt/velmora/bin/zilvaren")),
          "DESTDIR is honoured", out)
    share = os.path.join(prefix, "share")
    expected = ["bin/zilvaren", "bin/zilvaren-cli", "libexec/zilvaren/zilvaren-cli-desktop",
                "share/applications/%s.desktop" % APP,
                "share/mime/packages/%s.xml" % APP, "share/metainfo/%s.metainfo.xml" % APP,
                "share/icons/hicolor/scalable/apps/%s.svg" % APP,
                "share/man/man1/zilvaren.1.gz", "share/man/man1/zilvaren-cli.1.gz",
                "share/doc/zilvaren/copyright", "share/doc/zilvaren/changelog.gz"]
    expected += ["share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, APP) for n in (16, 32, 48, 64, 128, 256)]
    missing = [f for f in expected if not os.path.exists(os.path.join(prefix, f))]
    check(not missing, "every file is installed", missing)
    # The installed command line finds its print and sync program.
    pdf = os.path.join(work, "liste.pdf")
    record = os.path.join(work, "kayit.qdb")
    with open(record, "wb") as f:
        f.write(b"0 HEAD\r\n0 ID 1\r\n1 NAME ALI\r\n0 TRLR\r\n")
    code, out = run(os.path.join(prefix, "bin/zilvaren-cli"), "print", record, "-o", pdf)
    check(code == 0 and os.path.exists(pdf), "the installed zilvaren-cli prints", out)

    desktop = os.path.join(share, "applications", APP + ".desktop")
    code, out = run("desktop-file-validate", desktop)
    check(code == 0 and out.strip() == "", "desktop-file-validate says nothing", out)
    code, out = run("appstreamcli", "validate", "--no-net",
                    os.path.join(share, "metainfo", APP + ".metainfo.xml"))
    check(code == 0, "appstreamcli validate accepts the metainfo", out)
    code, out = run("update-mime-database", os.path.join(share, "mime"))
    check(code == 0 and "rror" not in out, "the MIME package is well formed", out)
    run("update-desktop-database", os.path.join(share, "applications"))

    # What the desktop sees: a record file by its name and by its first
    # bytes, and the program that opens it.
    env = dict(os.environ, XDG_DATA_DIRS=share + ":/usr/share",
               XDG_DATA_HOME=os.path.join(work, "home-share"), XDG_CURRENT_DESKTOP="")
    named = os.path.join(work, "personel kayıtları.qdb")
    with open(named, "wb") as f:
        f.write(b"0 HEAD\r\n1 SOUR Velmora\r\n0 TRLR\r\n")
    unnamed = os.path.join(work, "eski-dosya")
    shutil.copy(named, unnamed)
    for path, how in ((named, "by its name"), (unnamed, "by its first bytes")):
        code, out = run("xdg-mime", "query", "filetype", path, env=env)
        check(out.strip() == MIME, "xdg-mime knows a record file " + how, out)
    code, out = run("xdg-mime", "query", "default", MIME, env=env)
    check(out.strip() == APP + ".desktop", "the program opens record files", out)

    # The package: Depends found by dpkg-shlibdeps, and what it holds.
    packages = os.path.join(work, "packages")
    code, out = run("cpack", "-G", "DEB", "-B", packages, "--config",
                    os.path.join(BUILD, "CPackConfig.cmake"))
    debs = glob.glob(os.path.join(packages, "zilvaren_*.deb"))
    check(code == 0 and len(debs) == 1, "cpack makes one package", out[-2000:])
    if debs:
        code, depends = run("dpkg-deb", "-f", debs[0], "Depends")
        check(all(lib in depends for lib in ("libqt6widgets6", "libqt6network6",
                                              "libqt6keychain1", "libjpeg")),
              "Depends come from the libraries linked", depends)
        code, contents = run("dpkg-deb", "-c", debs[0])
        check(all(f in contents for f in ("./usr/bin/zilvaren", "./usr/bin/zilvaren-cli",
                                           "./usr/libexec/zilvaren/zilvaren-cli-desktop",
                                           "./usr/share/applications/%s.desktop" % APP,
                                           "./usr/share/mime/packages/%s.xml" % APP)),
              "the package holds the programs and their desktop files", contents)
        # Debian's own checker: no error and no warning.
        if shutil.which("lintian"):
            code, out = run("lintian", "--tag-display-limit", "0", debs[0])
            found = [l for l in out.splitlines() if l.startswith(("E:", "W:"))]
            check(not found, "lintian reports no error and no warning", "\n".join(found))
        else:
            print("skip: lintian is not installed (scripts/install-deps.sh installs it)")
finally:
    shutil.rmtree(work, ignore_errors=True)

print("%s, %d failed" % ("all passed" if not failures else "some failed", failures))
sys.exit(1 if failures else 0)
