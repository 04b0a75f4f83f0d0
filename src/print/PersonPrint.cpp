#include "print/PersonPrint.h"

#include "person/PictureDecoding.h"
#include "print/PrintPage.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr int kMaxCellLines = 3;

} // namespace

bool printPersonList(QPagedPaintDevice& device, const PrintHeading& heading,
                     const std::vector<const PersonRecord*>& persons) {
    return printTable(
        device, QStringLiteral("Velmora — Personel Listesi"), heading,
        {{QStringLiteral("No"), 0.16},
         {QStringLiteral("Ad"), 0.42},
         {QStringLiteral("Soyad"), 0.42}},
        persons.size(), [&](const Page& page, const std::vector<qreal>& widths, size_t row) {
            const PersonRecord& p = *persons[row];
            return PrintRow{{page.lines(p.RecordNo, page.text(), widths[0], kMaxCellLines),
                             page.lines(p.FirstName, page.text(), widths[1], kMaxCellLines),
                             page.lines(p.Surname, page.text(), widths[2], kMaxCellLines)}};
        });
}

bool printPersonCard(QPagedPaintDevice& device, const PrintHeading& heading, const PersonRecord& p,
                     const QString& pictureFolder) {
    Page page(device);
    // Every line of the card: a section's title, or a field and its value.
    struct Line {
        QString label;
        QString text;
        bool section = false;
    };
    std::vector<Line> items;
    // A section with the fields that have a value; none when none has.
    const auto section = [&](const char* title,
                             std::initializer_list<std::pair<const char*, QString>> fields) {
        bool any = false;
        for (const auto& [label, value] : fields) {
            if (value.isEmpty())
                continue;
            if (!any)
                items.push_back({{}, QString::fromUtf8(title), true});
            any = true;
            items.push_back({QString::fromUtf8(label), value, false});
        }
    };
    section("Temel Bilgiler", {{"Kayıt No", p.RecordNo},
                               {"Adı", p.FirstName},
                               {"Soyadı", p.Surname},
                               {"Doğum Yeri", p.BirthPlace},
                               {"Doğum Tarihi", birthDateText(p.BirthDate)},
                               {"Cinsiyeti", sexText(p.Sex)},
                               {"Medeni Hali", maritalText(p.MaritalStatus)},
                               {"Grup", groupTitle(p.GroupPath)}});
    if (!p.Contacts.isEmpty()) {
        items.push_back({{}, QStringLiteral("Telefon - Mail - Web"), true});
        for (const QString& entry : p.Contacts) {
            const ContactEntry c = ContactEntry::parse(entry);
            items.push_back({c.kind, c.value, false});
        }
    }
    section("Ev - Aile", {{"Adres 1", p.HomeAddress1},
                          {"Adres 2", p.HomeAddress2},
                          {"Posta Kod", p.HomePostCode},
                          {"Şehir", p.HomeCity}});
    section("İşyeri", {{"Firma", p.Firm},
                       {"Bölüm", p.Department},
                       {"Meslek", p.Profession},
                       {"Adres 1", p.WorkAddress1},
                       {"Adres 2", p.WorkAddress2},
                       {"Posta Kod", p.WorkPostCode},
                       {"Şehir", p.WorkCity}});
    if (!p.Notes.isEmpty()) {
        items.push_back({{}, QStringLiteral("Notlar"), true});
        for (const QString& note : p.Notes)
            items.push_back({{}, note.isEmpty() ? QStringLiteral(" ") : note, false});
    }
    section("Kayıt", {{"Kayıt tarihi", p.RecordedAt}, {"Son Düzeltme tarihi", p.EditedAt}});

    // The picture shown on the detail pages, beside the first lines.
    const qreal pictureSide = page.width() * 0.25;
    QImage picture;
    if (!p.Pictures.isEmpty()) {
        const qsizetype shown = std::clamp<qsizetype>(p.PictureIndex, 0, p.Pictures.size() - 1);
        picture = pictures::loadPicture(QDir(pictureFolder).filePath(p.Pictures[shown]),
                                        QSize(int(pictureSide), int(pictureSide)))
                      .image;
    }
    const qreal labelWidth = page.width() * 0.3;
    const qreal line = page.lineHeight(page.text());
    const qreal pad = page.gap();
    // Each wrapped line of a value is a line of the page: a long note
    // goes on over pages.
    struct Printed {
        QString label;
        QString text;
        bool section;
        qreal indent; // the room the picture takes on the right
    };
    std::vector<Printed> rows;
    qreal y = 0;
    for (const Line& item : items) {
        const qreal beside = !picture.isNull() && y < pictureSide + pad ? pictureSide + pad : 0;
        if (item.section) {
            rows.push_back({{}, item.text, true, beside});
            y += line + pad;
            continue;
        }
        const QStringList wrapped =
            page.lines(item.text, page.text(), page.width() - labelWidth - beside - pad, 0);
        for (qsizetype i = 0; i < wrapped.size(); ++i) {
            rows.push_back({i == 0 ? item.label : QString(), wrapped[i], false, beside});
            y += line;
        }
    }
    std::vector<qreal> heights;
    for (const Printed& r : rows)
        heights.push_back(r.section ? line + pad : line);
    const std::vector<size_t> starts = pageStarts(heights, page.bodyHeight(), page.bodyHeight());

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QString title = QStringLiteral("Velmora — Kişi Kartı: ") +
                          QString(p.FirstName + u' ' + p.Surname).trimmed();
    for (size_t pg = 0; pg < starts.size(); ++pg) {
        if (pg > 0)
            device.newPage();
        page.drawFrame(painter, title, heading, int(pg) + 1, int(starts.size()));
        qreal at = page.headingHeight();
        if (pg == 0 && !picture.isNull()) {
            const QSizeF size =
                QSizeF(picture.size()).scaled(pictureSide, pictureSide, Qt::KeepAspectRatio);
            painter.drawImage(
                QRectF(page.width() - size.width(), at + pad, size.width(), size.height()),
                picture);
        }
        const size_t end = pg + 1 < starts.size() ? starts[pg + 1] : rows.size();
        for (size_t i = starts[pg]; i < end; ++i) {
            const Printed& r = rows[i];
            const qreal right = page.width() - r.indent;
            if (r.section) {
                painter.setFont(page.bold());
                painter.drawText(QRectF(0, at + pad, right, line), Qt::AlignLeft | Qt::AlignVCenter,
                                 r.text);
                painter.drawLine(QPointF(0, at + pad + line), QPointF(right, at + pad + line));
                at += line + pad;
                continue;
            }
            painter.setFont(page.text());
            const QFontMetricsF fm(page.text(), &device);
            painter.drawText(QRectF(0, at, labelWidth - pad, line),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             fm.elidedText(r.label, Qt::ElideRight, labelWidth - pad));
            painter.save();
            painter.setClipRect(QRectF(labelWidth, at, right - labelWidth, line));
            painter.drawText(QRectF(labelWidth, at, right - labelWidth, line),
                             Qt::AlignLeft | Qt::AlignVCenter, r.text);
            painter.restore();
            at += line;
        }
    }
    return painter.end();
}
