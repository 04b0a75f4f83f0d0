#include "print/PersonPrint.h"

#include "person/PictureDecoding.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int kMaxCellLines = 3;

// The fonts and sizes of a page on one device.
class Page {
public:
    explicit Page(QPagedPaintDevice& device)
        : device_(device), text_(QStringLiteral("DejaVu Sans"), 9),
          bold_(QStringLiteral("DejaVu Sans"), 9, QFont::Bold),
          title_(QStringLiteral("DejaVu Sans"), 12, QFont::Bold),
          small_(QStringLiteral("DejaVu Sans"), 8) {
        for (QFont* f : {&text_, &bold_, &title_, &small_})
            f->setStyleHint(QFont::SansSerif);
    }

    QPagedPaintDevice& device() { return device_; }
    const QFont& text() const { return text_; }
    const QFont& bold() const { return bold_; }
    qreal width() const { return device_.width(); }
    qreal height() const { return device_.height(); }
    qreal lineHeight(const QFont& f) const { return QFontMetricsF(f, &device_).lineSpacing(); }
    qreal gap() const { return lineHeight(text_) / 3; }

    // Where the body of a page begins, below the heading.
    qreal headingHeight() const { return lineHeight(title_) + 2 * lineHeight(text_) + gap() * 2; }
    qreal footerHeight() const { return lineHeight(small_) + gap() * 2; }
    qreal bodyHeight() const { return height() - headingHeight() - footerHeight(); }

    void drawFrame(QPainter& p, const QString& title, const PrintHeading& h, int page,
                   int pages) const {
        qreal y = 0;
        p.setFont(title_);
        p.drawText(QRectF(0, y, width(), lineHeight(title_)), Qt::AlignLeft | Qt::AlignVCenter,
                   title);
        y += lineHeight(title_);
        p.setFont(text_);
        const QFontMetricsF fm(text_, &device_);
        p.drawText(QRectF(0, y, width(), lineHeight(text_)), Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(QStringLiteral("Dosya: ") + QDir::toNativeSeparators(h.file),
                                 Qt::ElideMiddle, width()));
        y += lineHeight(text_);
        p.drawText(
            QRectF(0, y, width() * 0.7, lineHeight(text_)), Qt::AlignLeft | Qt::AlignVCenter,
            fm.elidedText(QStringLiteral("Grup: ") + h.group, Qt::ElideRight, width() * 0.7));
        p.drawText(QRectF(0, y, width(), lineHeight(text_)), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Tarih: ") + h.date);
        y += lineHeight(text_) + gap();
        p.drawLine(QPointF(0, y), QPointF(width(), y));
        p.setFont(small_);
        p.drawText(QRectF(0, height() - lineHeight(small_), width(), lineHeight(small_)),
                   Qt::AlignHCenter | Qt::AlignVCenter,
                   QStringLiteral("Sayfa %1 / %2").arg(page).arg(pages));
    }

    // The lines text takes in width, at most maxLines (the last one cut
    // short with "…" when more would follow).
    QStringList lines(const QString& text, const QFont& font, qreal width, int maxLines) const {
        QStringList out;
        if (text.isEmpty())
            return out;
        QTextLayout layout(text, font, &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        std::vector<std::pair<int, int>> spans;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            spans.emplace_back(line.textStart(), line.textLength());
        }
        layout.endLayout();
        for (size_t i = 0; i < spans.size(); ++i) {
            if (maxLines > 0 && int(i) == maxLines - 1 && spans.size() > size_t(maxLines)) {
                out.append(
                    QFontMetricsF(font, &device_)
                        .elidedText(text.mid(spans[i].first).simplified(), Qt::ElideRight, width));
                break;
            }
            out.append(text.mid(spans[i].first, spans[i].second).trimmed());
        }
        return out;
    }

private:
    QPagedPaintDevice& device_;
    QFont text_, bold_, title_, small_;
};

// Page breaks for items of the given heights: the first item of each
// page. An item taller than a page has a page of its own.
std::vector<size_t> pageStarts(const std::vector<qreal>& heights, qreal room, qreal firstRoom) {
    std::vector<size_t> starts{0};
    qreal used = 0;
    qreal available = firstRoom;
    for (size_t i = 0; i < heights.size(); ++i) {
        if (used > 0 && used + heights[i] > available) {
            starts.push_back(i);
            used = 0;
            available = room;
        }
        used += heights[i];
    }
    return starts;
}

} // namespace

bool printPersonList(QPagedPaintDevice& device, const PrintHeading& heading,
                     const std::vector<const PersonRecord*>& persons) {
    Page page(device);
    const qreal widths[] = {page.width() * 0.16, page.width() * 0.42, page.width() * 0.42};
    const QString heads[] = {QStringLiteral("No"), QStringLiteral("Ad"), QStringLiteral("Soyad")};
    const qreal pad = page.gap();
    const qreal line = page.lineHeight(page.text());
    const auto cells = [&](const PersonRecord& p) {
        return std::array<QStringList, 3>{
            page.lines(p.RecordNo, page.text(), widths[0] - 2 * pad, kMaxCellLines),
            page.lines(p.FirstName, page.text(), widths[1] - 2 * pad, kMaxCellLines),
            page.lines(p.Surname, page.text(), widths[2] - 2 * pad, kMaxCellLines)};
    };
    const auto rowHeight = [&](const std::array<QStringList, 3>& c) {
        const qsizetype n = std::max({c[0].size(), c[1].size(), c[2].size(), qsizetype(1)});
        return qreal(n) * line + pad;
    };
    // The layout pass keeps only each row's height.
    std::vector<qreal> heights;
    heights.reserve(persons.size());
    for (const PersonRecord* p : persons)
        heights.push_back(rowHeight(cells(*p)));
    const qreal headRow = page.lineHeight(page.bold()) + pad;
    const qreal room = page.bodyHeight() - headRow;
    const std::vector<size_t> starts = pageStarts(heights, room, room);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (size_t pg = 0; pg < starts.size(); ++pg) {
        if (pg > 0)
            device.newPage();
        page.drawFrame(painter, QStringLiteral("Velmora — Personel Listesi"), heading, int(pg) + 1,
                       int(starts.size()));
        qreal y = page.headingHeight();
        painter.fillRect(QRectF(0, y, page.width(), headRow), QColor(225, 230, 235));
        painter.setFont(page.bold());
        qreal x = 0;
        for (int c = 0; c < 3; ++c) {
            painter.drawText(QRectF(x + pad, y, widths[c] - 2 * pad, headRow),
                             Qt::AlignLeft | Qt::AlignVCenter, heads[c]);
            x += widths[c];
        }
        y += headRow;
        painter.setFont(page.text());
        const size_t end = pg + 1 < starts.size() ? starts[pg + 1] : persons.size();
        for (size_t i = starts[pg]; i < end; ++i) {
            const auto c = cells(*persons[i]);
            if ((i - starts[pg]) % 2 == 1)
                painter.fillRect(QRectF(0, y, page.width(), heights[i]), QColor(246, 247, 248));
            x = 0;
            for (int k = 0; k < 3; ++k) {
                painter.save();
                painter.setClipRect(QRectF(x, y, widths[k], heights[i]));
                for (qsizetype l = 0; l < c[k].size(); ++l)
                    painter.drawText(
                        QRectF(x + pad, y + pad / 2 + qreal(l) * line, widths[k] - 2 * pad, line),
                        Qt::AlignLeft | Qt::AlignVCenter, c[k][l]);
                painter.restore();
                x += widths[k];
            }
            y += heights[i];
        }
    }
    return painter.end();
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
