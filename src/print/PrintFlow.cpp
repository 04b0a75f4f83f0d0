#include "print/PrintFlow.h"

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "print/PdfFile.h"
#include "print/PrintChoiceDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

PrintHeading PrintFlow::heading() const {
    const QString group = s_.groupPath();
    return {s_.fileName(), group.isEmpty() ? QStringLiteral("Tüm kişiler") : groupTitle(group),
            s_.clock.now().toString(u"dd.MM.yyyy")};
}

PrintJob PrintFlow::choosePages(const QString& caption) {
    const std::vector<const PersonRecord*> persons = s_.listedPersons();
    const PersonRecord* person = s_.shownPerson();
    if (persons.empty() && !person) {
        s_.prompts.showMessage(QStringLiteral("Yazdırılacak kişi yok."));
        return {};
    }
    PrintChoiceDialog choice(caption, int(persons.size()),
                             person ? QString(person->FirstName + u' ' + person->Surname).trimmed()
                                    : QString(),
                             s_.parent);
    if (choice.exec() != QDialog::Accepted)
        return {};
    const PrintHeading h = heading();
    if (choice.cardChosen()) {
        const PersonRecord card = *person;
        const QString folder = s_.pictureFolder();
        return {
            [h, card, folder](QPagedPaintDevice& d) { return printPersonCard(d, h, card, folder); },
            {}};
    }
    PrintJob job = printJob(choice.options(), h, persons, s_.clock.now().date());
    if (!job.pages)
        s_.prompts.showMessage(job.note);
    return job;
}

void PrintFlow::noteStatus(const QString& text) const {
    if (showStatus_)
        showStatus_(text);
}

void PrintFlow::YazdirClick() {
    const PrintJob job = choosePages(QStringLiteral("Yazdır"));
    if (!job.pages)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(QFileInfo(s_.fileName()).completeBaseName());
    QPrintPreviewDialog preview(&printer, s_.parent);
    preview.setWindowTitle(QStringLiteral("Baskı Önizleme"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&job](QPrinter* p) { job.pages(*p); });
    noteStatus(job.note);
    preview.exec();
}

void PrintFlow::PdfOlarakKaydetClick() {
    const PrintJob job = choosePages(QStringLiteral("PDF Olarak Kaydet"));
    if (!job.pages)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("PDF Olarak Kaydet");
    request.filter = QStringLiteral("PDF dosyaları (*.pdf)|*.pdf");
    request.defaultSuffix = QStringLiteral("pdf");
    const QFileInfo file(s_.fileName());
    request.directory = file.absolutePath();
    request.fileName =
        file.absoluteDir().filePath(file.completeBaseName() + QStringLiteral(".pdf"));
    const std::optional<QString> path = s_.prompts.saveFileName(request);
    if (!path || !mayReplaceFile(s_.prompts, *path))
        return;
    try {
        writePdf(*path, job.pages);
    } catch (const ZilvarenError& e) {
        s_.prompts.showError(e.message());
        return;
    }
    noteStatus(job.note);
    s_.prompts.showMessage(QStringLiteral("\"%1\" PDF dosyası yazıldı.").arg(*path));
}
