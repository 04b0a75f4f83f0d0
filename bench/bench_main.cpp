// Times the program's own record-file operations on generated files of
// 1 000, 10 000 and 100 000 persons.
#include "store/RecordDocument.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"
#include "VCardBench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

const char* kNames[] = {"AHMET", "MEHMET", "AYŞE", "FATMA", "İSMAİL", "ÇAĞLA", "ŞÜKRÜ", "IŞIL",
                        "ÖZGÜR", "ZEYNEP", "EMRE", "GÜLŞEN"};
const char* kSurnames[] = {"YILMAZ", "KAYA", "DEMİR", "ŞAHİN", "ÇELİK", "YILDIZ", "ÖZTÜRK",
                           "AYDIN", "ARSLAN", "DOĞAN"};
const char* kCities[] = {"ANKARA", "İSTANBUL", "İZMİR", "BURSA", "ESKİŞEHİR", "TRABZON"};

// A few hundred groups in three levels.
std::vector<GroupNode*> makeGroups(GroupNode& root) {
    std::vector<GroupNode*> leaves;
    for (int a = 0; a < 8; ++a) {
        GroupNode* top = root.addChild(QStringLiteral("Bölüm %1").arg(a + 1));
        for (int b = 0; b < 6; ++b) {
            GroupNode* mid = top->addChild(QStringLiteral("Şube %1").arg(b + 1));
            leaves.push_back(mid);
            for (int c = 0; c < 5; ++c)
                leaves.push_back(mid->addChild(QStringLiteral("Ekip %1").arg(c + 1)));
        }
    }
    return leaves;
}

QByteArray generate(int count) {
    std::mt19937 rng(count);
    auto pick = [&rng](auto& array) {
        return QString::fromUtf8(array[rng() % std::size(array)]);
    };
    RecordDocument doc;
    auto root = std::make_unique<GroupNode>();
    const std::vector<GroupNode*> groups = makeGroups(*root);
    std::vector<std::unique_ptr<PersonRecord>> persons;
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = QStringLiteral("%1").arg(i + 1, 5, 10, QLatin1Char('0'));
        p->FirstName = pick(kNames);
        p->Surname = pick(kSurnames);
        p->BirthPlace = pick(kCities);
        p->BirthDate = 20000 + double(rng() % 15000);
        p->Sex = rng() % 2 ? u'M' : u'F';
        p->MaritalStatus = rng() % 2 ? u'E' : u'B';
        p->Contacts = {QStringLiteral("GSM\t05%1").arg(rng() % 1000000000),
                       QStringLiteral("Ev\t0312 %1").arg(rng() % 10000000),
                       QStringLiteral("Mail\tkisi%1@example.com").arg(i)};
        p->HomeAddress1 = QStringLiteral("Atatürk Cad. No: %1").arg(rng() % 300);
        p->HomeCity = pick(kCities);
        p->HomePostCode = QString::number(6000 + rng() % 1000);
        p->Firm = QStringLiteral("Orvak Yazılım");
        p->Profession = QStringLiteral("Mühendis");
        p->GroupPath = BuildGroupPath(groups[rng() % groups.size()]);
        p->RecordedAt = QStringLiteral("07.12.2006  10:15:00");
        p->Notes = {QStringLiteral("Toplantıda görüşüldü."), QStringLiteral("Yıllık izin: 14 gün")};
        persons.push_back(std::move(p));
    }
    doc.groups().setRoot(std::move(root));
    doc.persons().setPersons(std::move(persons));
    return doc.compose(doc.persons().personAt(0), nullptr);
}

long peakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("%10s %12s %12s %8s %12s %10s\n", "persons", "read bytes", "open", "ratio",
                "save", "peak MiB");
    for (int count : {1000, 10000, 100000}) {
        const QString path = dir.filePath(QStringLiteral("bench%1.qdb").arg(count));
        {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return 1;
            f.write(generate(count));
        }
        QElapsedTimer t;
        t.start();
        QFile raw(path);
        if (!raw.open(QIODevice::ReadOnly))
            return 1;
        const qint64 bytes = raw.readAll().size();
        const double readMs = double(t.nsecsElapsed()) / 1e6;

        RecordDocument doc;
        t.restart();
        RecordFileData data = readRecordFile(path);
        doc.load(data);
        const double openMs = double(t.nsecsElapsed()) / 1e6;

        t.restart();
        saveRecordFile(path, doc.compose(doc.persons().personAt(0), nullptr));
        const double saveMs = double(t.nsecsElapsed()) / 1e6;

        std::printf("%10d %9.1f ms %9.1f ms %8.1f %9.1f ms %10ld   (%lld bytes)\n", count, readMs,
                    openMs, openMs / std::max(readMs, 0.001), saveMs, peakMemoryMiB(),
                    static_cast<long long>(bytes));
    }
    benchVCard();
    return 0;
}
