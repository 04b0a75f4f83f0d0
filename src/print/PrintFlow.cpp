#include "print/PrintFlow.h"

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "print/PdfFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

PrintHeading PrintFlow::heading() const {
    const QString group = s_.groupPath();
    return {s_.fileName(), group.isEmpty() ? QStringLiteral("Tüm kişiler") : groupTitle(group),
            s_.clock.now().toString(u"dd.MM.yyyy")};
}

std::function<bool(QPagedPaintDevice&)> PrintFlow::choosePages(const QString& caption) {
    std::vector<const PersonRecord*> persons = s_.listedPersons();
    const PersonRecord* person = s_.shownPerson();
    QStringList choices;
    if (!persons.empty())
        choices.append(
            QStringLiteral("Listedeki kişiler (%1 kişi, ekrandaki sırayla)").arg(persons.size()));
    if (person)
        choices.append(QStringLiteral("Kişinin kartı: %1 %2 (tüm sayfaları)")
                           .arg(person->FirstName, person->Surname)
                           .trimmed());
    if (choices.isEmpty()) {
        s_.prompts.showMessage(QStringLiteral("Yazdırılacak kişi yok."));
        return {};
    }
    const std::optional<int> chosen =
        s_.prompts.chooseItem(caption, QStringLiteral("Ne yazdırılsın?"), choices);
    if (!chosen)
        return {};
    const PrintHeading h = heading();
    if (persons.empty() || *chosen == 1) {
        const PersonRecord card = *person;
        const QString folder = s_.pictureFolder();
        return
            [h, card, folder](QPagedPaintDevice& d) { return printPersonCard(d, h, card, folder); };
    }
    return [h, persons](QPagedPaintDevice& d) { return printPersonList(d, h, persons); };
}

void PrintFlow::YazdirClick() {
    const auto pages = choosePages(QStringLiteral("Yazdır"));
    if (!pages)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(QFileInfo(s_.fileName()).completeBaseName());
    QPrintPreviewDialog preview(&printer, s_.parent);
    preview.setWindowTitle(QStringLiteral("Baskı Önizleme"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&pages](QPrinter* p) { pages(*p); });
    preview.exec();
}

void PrintFlow::PdfOlarakKaydetClick() {
    const auto pages = choosePages(QStringLiteral("PDF Olarak Kaydet"));
    if (!pages)
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
    if (!path)
        return;
    if (QFileInfo::exists(*path) &&
        s_.prompts.ask(*path + QStringLiteral(" İsimli bir dosya mevcuttur.\rSilinerek "
                                              "Değiştirilmesini İstermisiniz ?"),
                       PromptIcon::Information,
                       {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
        return;
    try {
        writePdf(*path, pages);
    } catch (const ZilvarenError& e) {
        s_.prompts.showError(e.message());
        return;
    }
    s_.prompts.showMessage(QStringLiteral("\"%1\" PDF dosyası yazıldı.").arg(*path));
}
