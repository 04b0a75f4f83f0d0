#include "person/ShellTargets.h"

#include <QtTest>

class TestShellTargets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void web_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("url"); // empty: refused
        QTest::newRow("bare host") << "www.orvak.com.tr" << "http://www.orvak.com.tr";
        QTest::newRow("host and port") << "intranet:8080/rehber" << "http://intranet:8080/rehber";
        QTest::newRow("https") << " https://orvak.com.tr/a?b=1 " << "https://orvak.com.tr/a?b=1";
        QTest::newRow("upper-case scheme") << "HTTP://orvak.com.tr" << "http://orvak.com.tr";
        QTest::newRow("file URL") << "file:///etc/passwd" << "";
        QTest::newRow("local path") << "/usr/bin/xterm" << "";
        QTest::newRow("relative path") << "../gizli.txt" << "";
        QTest::newRow("windows path") << "C:\\\\Windows\\\\calc.exe" << "";
        QTest::newRow("other scheme") << "javascript:alert(1)" << "";
        QTest::newRow("smb") << "smb://sunucu/paylasim" << "";
        QTest::newRow("blank inside") << "www.orvak .com" << "";
        QTest::newRow("empty") << "" << "";
    }
    void web() {
        QFETCH(QString, entry);
        QFETCH(QString, url);
        const ShellTarget t = webTarget(entry);
        QCOMPARE(t.url, url);
        QCOMPARE(t.refusal.isEmpty(), !url.isEmpty());
    }

    void mail_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("url");
        QTest::newRow("address") << " ali@orvak.com.tr " << "mailto:ali@orvak.com.tr";
        QTest::newRow("two at signs") << "a@b@c" << "";
        QTest::newRow("a scheme") << "mailto:ali@orvak.com.tr" << "";
        QTest::newRow("blank") << "ali @orvak.com.tr" << "";
        QTest::newRow("a path") << "/tmp/x@y" << "";
        QTest::newRow("no at sign") << "ali" << "";
    }
    void mail() {
        QFETCH(QString, entry);
        QFETCH(QString, url);
        QCOMPARE(mailTarget(entry).url, url);
    }
};

QTEST_GUILESS_MAIN(TestShellTargets)
#include "test_shell_targets.moc"
