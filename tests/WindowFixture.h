#pragma once

#include "TestSupport.h"
#include "app/TForm_Main.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpener.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class RecordingShell : public ShellOpener {
public:
    QStringList opened;
    void open(const QString& target) override { opened.append(target); }
};

// What a window test needs: its own folder and settings, scripted
// prompts, a fixed clock.
struct WindowFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<ManualClock> clock;
    RecordingShell shell;

    void reset() {
        dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           dir->filePath(QStringLiteral("config")));
        prompts = std::make_unique<ScriptedPrompts>();
        clock = std::make_unique<ManualClock>(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)));
        shell.opened.clear();
    }

    // Writes a record file and makes it the one opened at start-up.
    QString startWith(const QString& name, const QStringList& lines) {
        const QString file = dir->filePath(name);
        writeFile(file, recordBytes(lines));
        SettingsStore().writeRecentFiles({file});
        return file;
    }

    MainWindowServices services() {
        settings = std::make_unique<SettingsStore>();
        return {*prompts, *settings, *clock, shell};
    }

    // The main window shown and active, its start-up file opened.
    std::unique_ptr<TForm_Main> openWindow() {
        auto w = std::make_unique<TForm_Main>(services());
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        w->openStartupFile();
        return w;
    }
};
