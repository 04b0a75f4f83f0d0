#include "VCardBench.h"

#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "platform/Clock.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kPersons = 100000;
constexpr int kRuns = 3;

const char* kNames[] = {"AHMET", "AYŞE", "İSMAİL", "ÇAĞLA", "ŞÜKRÜ", "IŞIL", "ÖZGÜR", "GÜLŞEN"};
const char* kSurnames[] = {"YILMAZ", "DEMİR", "ŞAHİN", "ÇELİK", "ÖZTÜRK", "DOĞAN"};

std::vector<PersonRecord> makePersons() {
    std::vector<PersonRecord> persons(kPersons);
    for (int i = 0; i < kPersons; ++i) {
        PersonRecord& p = persons[size_t(i)];
        p.RecordNo = QString::number(i + 1);
        p.FirstName = QString::fromUtf8(kNames[i % std::size(kNames)]);
        p.Surname = QString::fromUtf8(kSurnames[i % std::size(kSurnames)]);
        p.Contacts = {QStringLiteral("Ev\t0312 %1").arg(1000000 + i),
                      QStringLiteral("GSM\t0532 %1").arg(2000000 + i),
                      QStringLiteral("Mail\tkisi%1@ornek.com").arg(i)};
        p.HomeAddress1 = QStringLiteral("Atatürk Cad. No: %1").arg(i % 300);
        p.HomeCity = QStringLiteral("Eskişehir");
        p.HomePostCode = QStringLiteral("26100");
        p.Notes = {QStringLiteral("Toplantıda görüşüldü.")};
        p.RecordedAt = QStringLiteral("07.12.2006  10:15:00");
    }
    return persons;
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

QByteArray abookFile(const std::vector<const PersonRecord*>& persons) {
    QByteArray out = "# abook addressbook file\n\n[format]\nprogram=abook\nversion=0.6.1\n\n";
    for (size_t i = 0; i < persons.size(); ++i) {
        const PersonRecord& p = *persons[i];
        QByteArray contacts;
        for (const QString& entry : p.Contacts) {
            const ContactEntry c = ContactEntry::parse(entry);
            const char* field = c.kind == u"Mail"  ? "email"
                                : c.kind == u"GSM" ? "mobile"
                                : c.kind == u"İş"  ? "workphone"
                                : c.kind == u"Fax" ? "fax"
                                : c.kind == u"Web" ? "url"
                                                   : "phone";
            contacts += QByteArray("\n") + field + '=' + c.value.toUtf8();
        }
        out += "\n[" + QByteArray::number(qulonglong(i)) +
               "]\nname=" + (p.FirstName + u' ' + p.Surname).toUtf8() + contacts +
               "\naddress=" + p.HomeAddress1.toUtf8() + "\ncity=" + p.HomeCity.toUtf8() +
               "\nzip=" + p.HomePostCode.toUtf8() + "\nnotes=" + p.Notes.join(u' ').toUtf8() + "\n";
    }
    return out;
}

void benchVCard() {
    QTemporaryDir dir;
    const std::vector<PersonRecord> persons = makePersons();
    std::vector<const PersonRecord*> list;
    for (const PersonRecord& p : persons)
        list.push_back(&p);

    // Best of three runs each, for us and for abook: the machine is shared.
    const QString ours = dir.filePath(QStringLiteral("ours.vcf"));
    QElapsedTimer t;
    double exportMs = 1e12;
    for (int run = 0; run < kRuns; ++run) {
        t.restart();
        writeVCardFile(ours, list, {});
        exportMs = std::min(exportMs, msSince(t));
    }

    QFile in(ours);
    in.open(QIODevice::ReadOnly);
    const ManualClock clock(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    t.restart();
    const VCardImportPlan plan = planVCardImport(in, QStringLiteral("Aile"), 1, clock);
    const double importMs = msSince(t);

    std::printf("\nvCard, %d persons (export and abook: best of %d)\n", kPersons, kRuns);
    std::printf("  our export   %9.1f ms  %6.2f µs/card  (%lld bytes)\n", exportMs,
                exportMs * 1000 / kPersons, static_cast<long long>(in.size()));
    std::printf("  our import   %9.1f ms  %6.2f µs/card  (%zu persons read)\n", importMs,
                importMs * 1000 / kPersons, plan.persons.size());

    const QString abook = QStandardPaths::findExecutable(QStringLiteral("abook"));
    if (abook.isEmpty()) {
        std::printf("  abook        not installed; no comparison\n");
        return;
    }
    const QString book = dir.filePath(QStringLiteral("book.abook"));
    QFile bookFile(book);
    bookFile.open(QIODevice::WriteOnly);
    bookFile.write(abookFile(list));
    bookFile.close();
    QProcess process;
    double abookMs = 1e12;
    const QString theirs = dir.filePath(QStringLiteral("abook.vcf"));
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(theirs); // abook will not write over a file
        t.restart();
        process.start(abook, {QStringLiteral("--convert"), QStringLiteral("--informat"),
                              QStringLiteral("abook"), QStringLiteral("--infile"), book,
                              QStringLiteral("--outformat"), QStringLiteral("vcard"),
                              QStringLiteral("--outfile"), theirs});
        process.waitForFinished(-1);
        abookMs = std::min(abookMs, msSince(t));
    }
    std::printf("  abook        %9.1f ms  %6.2f µs/card  (--convert abook -> vcard, exit %d)\n",
                abookMs, abookMs * 1000 / kPersons, process.exitCode());
    std::printf("  our export per card is %.2f times abook's (target: at most 1)\n",
                exportMs / abookMs);
}
