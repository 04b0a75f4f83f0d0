#pragma once

#include "print/PrintStyles.h"

#include <QString>

#include <functional>
#include <vector>

class Clock;
class Prompts;
class QPagedPaintDevice;
class QWidget;

// What the window lends its printing.
struct PrintFlowServices {
    Prompts& prompts;
    const Clock& clock;
    QWidget* parent;
    // The rows of the person list, in the order shown.
    std::function<std::vector<const PersonRecord*>()> listedPersons;
    // The person the detail pages show; nullptr for none.
    std::function<const PersonRecord*()> shownPerson;
    std::function<QString()> fileName;
    // The focused group's path; empty when none is focused.
    std::function<QString()> groupPath;
    std::function<QString()> pictureFolder;
};

// "Yazdır…" (with a print preview) and "PDF Olarak Kaydet…": the person
// list as shown in one of the print styles, or the card of the person
// shown, as the user chooses.
class PrintFlow {
public:
    explicit PrintFlow(PrintFlowServices services) : s_(std::move(services)) {}
    // Where a word for the status bar goes (the labels left out).
    void setShowStatus(std::function<void(const QString&)> show) { showStatus_ = std::move(show); }
    void YazdirClick();
    void PdfOlarakKaydetClick();

private:
    // The pages the user chose to print (no pages when there is nothing,
    // or the user cancelled) and the word for the status bar.
    PrintJob choosePages(const QString& caption);
    PrintHeading heading() const;

    void noteStatus(const QString& text) const;

    PrintFlowServices s_;
    std::function<void(const QString&)> showStatus_;
};
