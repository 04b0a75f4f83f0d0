#include "print/PdfFile.h"

#include "platform/SafeFile.h"

#include <QPdfWriter>

namespace {

const QString kPdfFailure = QStringLiteral("\"%1\" PDF dosyası yazılamadı.");

} // namespace

void writePdf(const QString& path, const std::function<bool(QPagedPaintDevice&)>& pages) {
    SafeFile file(path);
    if (!file.open())
        throw file.error(kPdfFailure);
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setCreator(QStringLiteral("Velmora"));
        if (!pages(pdf) && file.errorString().isEmpty())
            throw ZilvarenError(kPdfFailure.arg(path));
    }
    if (!file.commit())
        throw file.error(kPdfFailure);
}
