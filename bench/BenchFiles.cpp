#include "BenchFiles.h"

#include "platform/Cp1254.h"
#include "store/RecordDocument.h"

#include <random>

namespace {

const char* kNames[] = {"AHMET", "MEHMET", "AYŞE",  "FATMA",  "İSMAİL", "ÇAĞLA",
                        "ŞÜKRÜ", "IŞIL",   "ÖZGÜR", "ZEYNEP", "EMRE",   "GÜLŞEN"};
const char* kSurnames[] = {"YILMAZ", "KAYA",   "DEMİR", "ŞAHİN",  "ÇELİK",
                           "YILDIZ", "ÖZTÜRK", "AYDIN", "ARSLAN", "DOĞAN"};
const char* kCities[] = {"ANKARA", "İSTANBUL", "İZMİR", "BURSA", "ESKİŞEHİR", "TRABZON"};

template <typename Array> QString pick(std::mt19937& rng, const Array& array) {
    return QString::fromUtf8(array[rng() % std::size(array)]);
}

// Each top-level group with its sub-groups; persons go into the second and
// third levels.
std::vector<std::vector<GroupNode*>> makeGroups(GroupNode& root) {
    std::vector<std::vector<GroupNode*>> byTop;
    for (int a = 0; a < 8; ++a) {
        GroupNode* top = root.addChild(QStringLiteral("Bölüm %1").arg(a + 1));
        std::vector<GroupNode*>& members = byTop.emplace_back();
        for (int b = 0; b < 5; ++b) {
            GroupNode* mid = top->addChild(QStringLiteral("Şube %1").arg(b + 1));
            members.push_back(mid);
            for (int c = 0; c < 4; ++c)
                members.push_back(mid->addChild(QStringLiteral("Ekip %1").arg(c + 1)));
        }
    }
    return byTop;
}

} // namespace

QByteArray generateRecordFile(int count) {
    std::mt19937 rng(count);
    RecordDocument doc;
    auto root = std::make_unique<GroupNode>();
    const auto groups = makeGroups(*root);
    GroupNode* focusedGroup = groups[1][0];
    PersonRecord* focusedPerson = nullptr;
    std::vector<std::unique_ptr<PersonRecord>> persons;
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = QStringLiteral("%1").arg(i + 1, 5, 10, QLatin1Char('0'));
        p->FirstName = pick(rng, kNames);
        p->Surname = pick(rng, kSurnames);
        p->BirthPlace = pick(rng, kCities);
        p->BirthDate = 20000 + double(rng() % 15000);
        p->Sex = rng() % 2 ? u'M' : u'F';
        p->MaritalStatus = rng() % 2 ? u'E' : u'B';
        p->Contacts = {QStringLiteral("GSM\t05%1").arg(rng() % 1000000000),
                       QStringLiteral("Ev\t0312 %1").arg(rng() % 10000000),
                       QStringLiteral("Mail\tkisi%1@ornek.com.tr").arg(i)};
        p->HomeAddress1 = QStringLiteral("Atatürk Cad. No: %1").arg(rng() % 300);
        p->HomeCity = pick(rng, kCities);
        p->HomePostCode = QString::number(6000 + rng() % 1000);
        p->Firm = QStringLiteral("Orvak Yazılım");
        p->Profession = QStringLiteral("Mühendis");
        const auto& top = i % 2 == 0 ? groups[0] : groups[1 + rng() % (groups.size() - 1)];
        GroupNode* group = top[rng() % top.size()];
        p->GroupPath = BuildGroupPath(group);
        resolveGroupPath(*root, p->GroupPath, true);
        p->RecordedAt = QStringLiteral("07.12.2006  10:15:00");
        p->Notes = {QStringLiteral("Toplantıda görüşüldü."), QStringLiteral("Yıllık izin: 14 gün")};
        if (group == focusedGroup && !focusedPerson)
            focusedPerson = p.get();
        persons.push_back(std::move(p));
    }
    doc.groups().setRoot(std::move(root));
    doc.persons().setPersons(std::move(persons));
    doc.persons().setFocusedPerson(focusedPerson);
    doc.groups().setFocusedGroup(focusedGroup);
    return doc.compose();
}

QByteArray generateAddressBook(int records) {
    std::mt19937 rng(records + 1);
    QString text;
    for (int i = 0; i < records; ++i) {
        QStringList f(29);
        f[0] = pick(rng, kNames);
        f[1] = pick(rng, kSurnames);
        f[5] = QStringLiteral("kisi%1@ornek.com.tr").arg(i);
        f[6] = QStringLiteral("\"Cumhuriyet Mah. %1. Sok.\"").arg(rng() % 200);
        f[7] = pick(rng, kCities);
        f[8] = QString::number(6000 + rng() % 1000);
        f[11] = QStringLiteral("0312 %1").arg(rng() % 10000000);
        f[13] = QStringLiteral("0532 %1").arg(rng() % 10000000);
        f[24] = QStringLiteral("Orvak Yazılım");
        f[25] = QStringLiteral("Mühendis");
        f[28] = QStringLiteral("\"Fuarda tanışıldı.\r\nTekrar aranacak.\"");
        text += f.join(QLatin1Char(';'));
        text += QStringLiteral("\r\n");
    }
    return cp1254::encode(text);
}
