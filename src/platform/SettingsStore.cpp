#include "platform/SettingsStore.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

const QString kRecentFiles = QStringLiteral("Recent Files");
const QString kRecentPrefix = QStringLiteral("RecentFile_");
const QString kPageSetup = QStringLiteral("PageSetup");
const QString kPorts = QStringLiteral("Ports");
const QString kIdleLock = QStringLiteral("Protection/IdleLockMinutes");
constexpr int kDefaultIdleLockMinutes = 10;

std::optional<int> readInt(const QSettings& s, const QString& key) {
    if (!s.contains(key))
        return std::nullopt;
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

SettingsStore::SettingsStore() : settings_(QStringLiteral("Orvak"), QStringLiteral("Zilvaren")) {}

QStringList SettingsStore::recentFiles() const {
    settings_.beginGroup(kRecentFiles);
    // The store lists names in text order (RecentFile_10 before _2); the
    // list's order is that of the numbers.
    std::vector<std::pair<long long, QString>> entries;
    const QStringList keys = settings_.childKeys();
    for (const QString& key : keys) {
        bool ok = false;
        const long long n = key.startsWith(kRecentPrefix)
                                ? key.mid(kRecentPrefix.size()).toLongLong(&ok)
                                : 0;
        entries.emplace_back(ok ? n : std::numeric_limits<long long>::max(),
                             settings_.value(key).toString());
    }
    settings_.endGroup();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList files;
    for (auto& e : entries)
        files.append(e.second);
    return files;
}

void SettingsStore::writeRecentFiles(const QStringList& files) {
    settings_.remove(kRecentFiles);
    settings_.beginGroup(kRecentFiles);
    for (qsizetype i = 0; i < files.size(); ++i)
        settings_.setValue(kRecentPrefix + QString::number(i), files[i]);
    settings_.endGroup();
    settings_.sync();
}

SettingsStore::PageSetup SettingsStore::pageSetup() const {
    PageSetup p;
    settings_.beginGroup(kPageSetup);
    p.left = readInt(settings_, QStringLiteral("Left"));
    p.top = readInt(settings_, QStringLiteral("Top"));
    p.width = readInt(settings_, QStringLiteral("Width"));
    p.height = readInt(settings_, QStringLiteral("Height"));
    p.comPort = readInt(settings_, QStringLiteral("ComPort"));
    if (const auto q = readInt(settings_, QStringLiteral("QuickDial")))
        p.quickDial = *q != 0;
    settings_.endGroup();
    return p;
}

void SettingsStore::writePageSetup(const PageSetup& values) {
    settings_.beginGroup(kPageSetup);
    const auto put = [this](const char* key, const std::optional<int>& v) {
        if (v)
            settings_.setValue(QString::fromLatin1(key), *v);
    };
    put("Left", values.left);
    put("Top", values.top);
    put("Width", values.width);
    put("Height", values.height);
    put("ComPort", values.comPort);
    if (values.quickDial)
        settings_.setValue(QStringLiteral("QuickDial"), *values.quickDial ? 1 : 0);
    settings_.endGroup();
    settings_.sync();
}

std::optional<QString> SettingsStore::portDevice(int portNum) const {
    const QString key = kPorts + QStringLiteral("/COM") + QString::number(portNum);
    if (!settings_.contains(key))
        return std::nullopt;
    return settings_.value(key).toString();
}

int SettingsStore::idleLockMinutes() const {
    const int minutes = readInt(settings_, kIdleLock).value_or(kDefaultIdleLockMinutes);
    return std::clamp(minutes, 0, kMaxIdleLockMinutes);
}

void SettingsStore::writeIdleLockMinutes(int minutes) {
    settings_.setValue(kIdleLock, std::clamp(minutes, 0, kMaxIdleLockMinutes));
    settings_.sync();
}
