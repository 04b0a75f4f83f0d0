#include "TestSupport.h"
#include "platform/Cp1254.h"
#include "platform/SecretBytes.h"
#include "platform/SettingsStore.h"
#include "platform/TurkishText.h"

#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = cp1254::decode(all);
        QCOMPARE(text.size(), 256);
        QString bad;
        QCOMPARE(cp1254::encode(text, &bad), all);
        QVERIFY(bad.isEmpty());
        QCOMPARE(text.at(0xFD), QChar(u'ı'));
        QCOMPARE(text.at(0xDD), QChar(u'İ'));
        QCOMPARE(text.at(0xFF), QChar(u'ÿ'));
    }

    // Runs of text are converted eight characters at a time where they can
    // be: a byte (or a character) of every kind at every place of a run
    // gives what it gives alone, a line break in a one-line value becomes
    // a blank, and a character the code page lacks is reported wherever it is.
    void conversionAtEveryPlace() {
        std::array<QChar, 256> single;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            single[size_t(b)] = cp1254::decode(QByteArrayView(&byte, 1)).at(0);
        }
        for (int size = 1; size <= 20; ++size) {
            for (int at = 0; at < size; ++at) {
                for (int b = 0; b < 256; ++b) {
                    QByteArray bytes(size, 'k');
                    bytes[at] = char(b);
                    QString expected(size, u'k');
                    expected[at] = single[size_t(b)];
                    const QString text = cp1254::decode(bytes);
                    QString bad;
                    QByteArray line(size, '\0');
                    cp1254::encodeLineInto(line.data(), text);
                    QByteArray lineExpected = bytes;
                    if (b == '\r' || b == '\n')
                        lineExpected[at] = ' ';
                    if (text != expected || cp1254::encode(text, &bad) != bytes || !bad.isEmpty() ||
                        line != lineExpected)
                        QFAIL(qPrintable(
                            QStringLiteral("byte %1 at %2 of %3").arg(b).arg(at).arg(size)));
                }
                QString text(size, u'k');
                text[at] = u'ж';
                QString bad;
                QByteArray expected(size, 'k');
                expected[at] = '?';
                QCOMPARE(cp1254::encode(text, &bad), expected);
                QCOMPARE(bad, QStringLiteral("ж"));
            }
        }
    }

    void unencodableCharactersAreReported() {
        QString bad;
        const QByteArray bytes = cp1254::encode(u"Ağ€→ж→", &bad);
        QCOMPARE(bytes.size(), 6);
        QCOMPARE(bad, QString::fromUtf8("→ж"));
        QCOMPARE(cp1254::unencodableCharacters(u"ŞÇÖ€x"), QString());
    }

    void upperCaseKey_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("dotted i") << QStringLiteral("istanbul") << QStringLiteral("İSTANBUL");
        QTest::newRow("dotless i") << QStringLiteral("ışık") << QStringLiteral("IŞIK");
        QTest::newRow("Turkish letters") << QStringLiteral("çğöşü") << QStringLiteral("ÇĞÖŞÜ");
        QTest::newRow("separator kept") << path("aile|kuzen") << path("AİLE|KUZEN");
        QTest::newRow("sharp s keeps length")
            << QStringLiteral("straße") << QStringLiteral("STRAßE");
    }
    void upperCaseKey() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QCOMPARE(TurkceUpperCase(text), key);
        QCOMPARE(TurkceUpperCase(text).size(), text.size());
        // The comparison without a copy agrees with the copy, for the key
        // and for texts one letter off.
        QVERIFY(TurkceKeyEquals(text, key));
        QVERIFY(!TurkceKeyEquals(text, QString(key).replace(0, 1, QLatin1Char('X'))));
        QVERIFY(!TurkceKeyEquals(text + QLatin1Char('a'), key));
    }

    void containsWithoutCopy_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("inside") << QStringLiteral("kuzey ışık") << QStringLiteral("IŞI");
        QTest::newRow("at the end") << QStringLiteral("istanbul") << QStringLiteral("BUL");
        QTest::newRow("dotted i is not I") << QStringLiteral("istanbul") << QStringLiteral("IST");
        QTest::newRow("restarts after a partial match")
            << QStringLiteral("aaab") << QStringLiteral("AAB");
        QTest::newRow("longer than the text") << QStringLiteral("ab") << QStringLiteral("ABC");
        QTest::newRow("empty key") << QStringLiteral("ab") << QString();
        QTest::newRow("empty text") << QString() << QStringLiteral("A");
        QTest::newRow("separator") << path("aile|kuzen") << path("E|K");
    }
    // Always the answer of the copy and QString::contains.
    void containsWithoutCopy() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QCOMPARE(TurkceKeyContains(text, key), TurkceUpperCase(text).contains(key));
    }

    // Every UTF-16 unit upper-cases as the simple Unicode mapping does,
    // but for the Turkish i letters and the path separator.
    void upperCaseOfEveryCharacter() {
        for (int u = 0; u < 0x10000; ++u) {
            const QChar c{char16_t(u)};
            QChar expected = c.toUpper();
            if (u == 'i')
                expected = QChar(u'İ');
            else if (u == 0x131 /* ı */)
                expected = QChar(u'I');
            else if (u == 0xFF /* ÿ */)
                expected = c;
            if (TurkceUpperChar(c) != expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(u, 4, 16, QLatin1Char('0'))));
        }
    }

    void byteOfEachCharacter() {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QCOMPARE(cp1254::encodeChar(cp1254::decode(QByteArrayView(&byte, 1)).at(0)), b);
        }
        QCOMPARE(cp1254::encodeChar(QChar(u'ж')), -1);
        QByteArray out("x");
        QString bad;
        cp1254::appendEncoded(out, u"ŞÇ→", &bad);
        QCOMPARE(out, QByteArray("x\xDE\xC7?"));
        QCOMPARE(bad, QString::fromUtf8("→"));
    }

    void sameGroupNames() {
        QCOMPARE(TurkceUpperCase(u"ışık"), TurkceUpperCase(u"IŞIK"));
        QCOMPARE(TurkceUpperCase(u"istanbul"), TurkceUpperCase(u"İSTANBUL"));
        QVERIFY(TurkceUpperCase(u"istanbul") != TurkceUpperCase(u"ISTANBUL"));
    }

    void titleCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("two words")
            << QStringLiteral("AHMET YILMAZ") << QStringLiteral("Ahmet Yılmaz");
        QTest::newRow("dotted capital") << QStringLiteral("İSMAİL") << QStringLiteral("İsmail");
        QTest::newRow("Turkish capitals")
            << QStringLiteral("ÇAĞLAR ŞÜKRÜ ÖZ") << QStringLiteral("Çağlar Şükrü Öz");
        QTest::newRow("after digit stays") << QStringLiteral("7A") << QStringLiteral("7A");
        QTest::newRow("lower stays") << QStringLiteral("ahmet") << QStringLiteral("ahmet");
    }
    void titleCase() {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QCOMPARE(TurkceTitleCase(text), title);
    }

    void keyMapping() {
        QCOMPARE(TurkceKeyMap(u'i'), QChar(u'İ'));
        QCOMPARE(TurkceKeyMap(u'ı'), QChar(u'I'));
        QCOMPARE(TurkceKeyMap(u'a'), QChar(u'a'));
    }

    void collatorIgnoresCaseTheTurkishWay() {
        const TurkishCollator c;
        QCOMPARE(c.compare(QStringLiteral("ılık"), QStringLiteral("ILIK")), 0);
        QCOMPARE(c.compare(QStringLiteral("iz"), QStringLiteral("İZ")), 0);
        QVERIFY(c.compare(QStringLiteral("iz"), QStringLiteral("IZ")) != 0);
        QVERIFY(c.compare(QStringLiteral("10"), QStringLiteral("9")) < 0);
        QVERIFY(c.compare(QStringLiteral("çam"), QStringLiteral("dam")) < 0);
    }

    void settingsStore() {
        QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        {
            QSettings raw(QStringLiteral("Orvak"), QStringLiteral("Zilvaren"));
            raw.beginGroup(QStringLiteral("Recent Files"));
            for (int i : {10, 2, 0, 1})
                raw.setValue(QStringLiteral("RecentFile_%1").arg(i), QStringLiteral("f%1").arg(i));
            raw.endGroup();
        }
        SettingsStore store;
        QCOMPARE(store.recentFiles(), QStringList({QStringLiteral("f0"), QStringLiteral("f1"),
                                                   QStringLiteral("f2"), QStringLiteral("f10")}));
        store.writeRecentFiles({QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(store.recentFiles(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));

        QVERIFY(!store.pageSetup().left);
        SettingsStore::PageSetup p;
        p.left = 10;
        p.top = 20;
        p.width = 700;
        p.height = 500;
        p.comPort = 3;
        p.quickDial = true;
        store.writePageSetup(p);
        const SettingsStore::PageSetup back = SettingsStore().pageSetup();
        QCOMPARE(*back.left, 10);
        QCOMPARE(*back.height, 500);
        QCOMPARE(*back.comPort, 3);
        QCOMPARE(*back.quickDial, true);
        QVERIFY(!store.portDevice(2));
    }

    // Other programs read the password as UTF-8: no Turkish letter may be
    // lost or confused with another.
    void passwordIsUtf8_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("Turkish letters") << QStringLiteral("ğüşıöç ĞÜŞİÖÇ");
        QTest::newRow("beyond the BMP") << QStringLiteral("anahtar \U0001F511");
    }
    void passwordIsUtf8() {
        QFETCH(QString, typed);
        const SecretBytes secret = SecretBytes::fromText(typed);
        const auto bytes = secret.read();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
                 typed.toUtf8());
    }

    // Between readings the pages of a secret cannot be touched at all; a
    // reading inside another keeps them open until the outer one ends.
    void secretIsClosedBetweenReadings() {
        const SecretBytes secret = SecretBytes::fromText(u"parola");
        const unsigned char* at = nullptr;
        {
            const auto outer = secret.read();
            at = outer.data();
            {
                const auto inner = secret.read();
            }
            QCOMPARE(outer.data()[0], 'p');
        }
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGSEGV, SIG_DFL);
            volatile unsigned char touched = *at;
            (void)touched;
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGSEGV);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
