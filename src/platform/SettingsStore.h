#pragma once

#include <QSettings>
#include <QStringList>

#include <optional>

// The per-user settings under Software\Orvak\Zilvaren, with the key and
// value names the program has always used.
class SettingsStore {
public:
    SettingsStore();

    // Recent record files, newest first, in the order of their
    // "RecentFile_n" numbers.
    QStringList recentFiles() const;
    // Replaces the whole "Recent Files" key.
    void writeRecentFiles(const QStringList& files);

    struct PageSetup {
        std::optional<int> left, top, width, height;
        std::optional<int> comPort;
        std::optional<bool> quickDial;
    };
    PageSetup pageSetup() const;
    void writePageSetup(const PageSetup& values);

    // The device a port number stands for, from the "Ports" key ("COM2" ->
    // "/dev/ttyUSB0"), when the user has set one.
    std::optional<QString> portDevice(int portNum) const;

    // Minutes without input after which a protected file locks; 0 never.
    int idleLockMinutes() const;
    void writeIdleLockMinutes(int minutes);
    static constexpr int kMaxIdleLockMinutes = 24 * 60;

private:
    mutable QSettings settings_;
};
