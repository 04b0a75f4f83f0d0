#pragma once

#include <QObject>

#include <memory>

class ActivityNote;
class Clock;
class ElidedLabel;
class Prompts;
class TForm_Main;

// What an office takes out of the file and brings into it, in the main
// window: "Excel Olarak Dışa Aktar…", "Tablo İçe Aktar…" and "Personel →
// Doğum Günleri…", and the word in the status bar when a file is opened
// on someone's birthday.
class OfficeCommands : public QObject {
    Q_OBJECT
public:
    OfficeCommands(TForm_Main& window, Prompts& prompts, const Clock& clock);
    ~OfficeCommands() override;

    void ExcelOlarakDisaAktarClick();
    void TabloIceAktarClick();
    void DogumGunleriClick();

    // "Bugün doğum günü: …", hidden while no one has a birthday today.
    ElidedLabel* Label_DogumGunu;

private:
    void noteTodaysBirthdays();
    // Holds the window while a long piece of work runs (true), then
    // releases it (false).
    void holdWindow(bool held, const QString& doing);

    TForm_Main& window_;
    Prompts& prompts_;
    const Clock& clock_;
    std::unique_ptr<ActivityNote> activity_;
};
