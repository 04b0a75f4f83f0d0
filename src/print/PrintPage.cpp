#include "print/PrintPage.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

Page::Page(QPagedPaintDevice& device)
    : device_(device), text_(QStringLiteral("DejaVu Sans"), 9),
      bold_(QStringLiteral("DejaVu Sans"), 9, QFont::Bold),
      title_(QStringLiteral("DejaVu Sans"), 12, QFont::Bold),
      small_(QStringLiteral("DejaVu Sans"), 8) {
    // Latin and Turkish letters need no shaping: without it, and without
    // kerning, a long list prints in a sixth less time.
    for (QFont* f : {&text_, &bold_, &title_, &small_}) {
        f->setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
        f->setKerning(false);
    }
}

qreal Page::width() const {
    return device_.width();
}

qreal Page::height() const {
    return device_.height();
}

qreal Page::lineHeight(const QFont& f) const {
    return QFontMetricsF(f, &device_).lineSpacing();
}

QFontMetricsF Page::metrics(const QFont& f) const {
    return QFontMetricsF(f, &device_);
}

qreal Page::headingHeight() const {
    return lineHeight(title_) + 2 * lineHeight(text_) + gap() * 2;
}

qreal Page::footerHeight() const {
    return lineHeight(small_) + gap() * 2;
}
void Page::drawFrame(QPainter& p, const QString& title, const PrintHeading& h, int page,
                     int pages) const {
    qreal y = 0;
    p.setFont(title_);
    p.drawText(QRectF(0, y, width(), lineHeight(title_)), Qt::AlignLeft | Qt::AlignVCenter, title);
    y += lineHeight(title_);
    p.setFont(text_);
    const QFontMetricsF fm(text_, &device_);
    p.drawText(QRectF(0, y, width(), lineHeight(text_)), Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(QStringLiteral("Dosya: ") + QDir::toNativeSeparators(h.file),
                             Qt::ElideMiddle, width()));
    y += lineHeight(text_);
    p.drawText(QRectF(0, y, width() * 0.7, lineHeight(text_)), Qt::AlignLeft | Qt::AlignVCenter,
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

QStringList Page::lines(const QString& text, const QFont& font, qreal width, int maxLines) const {
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

std::vector<size_t> pageStarts(const std::vector<qreal>& heights, qreal room, qreal firstRoom,
                               const std::vector<bool>& keepWithNext) {
    std::vector<size_t> starts{0};
    qreal used = 0;
    qreal available = firstRoom;
    for (size_t i = 0; i < heights.size(); ++i) {
        qreal needed = heights[i];
        if (i + 1 < heights.size() && i < keepWithNext.size() && keepWithNext[i])
            needed += heights[i + 1];
        if (used > 0 && used + needed > available) {
            starts.push_back(i);
            used = 0;
            available = room;
        }
        used += heights[i];
    }
    return starts;
}

bool printTable(QPagedPaintDevice& device, const QString& title, const PrintHeading& heading,
                const std::vector<PrintColumn>& columns, size_t rows,
                const std::function<PrintRow(const Page& page, const std::vector<qreal>& widths,
                                             size_t row)>& rowAt) {
    Page page(device);
    const qreal pad = page.gap();
    const qreal line = page.lineHeight(page.text());
    const qreal headingLine = page.lineHeight(page.bold());
    std::vector<qreal> widths;
    std::vector<qreal> textWidths;
    for (const PrintColumn& c : columns) {
        widths.push_back(page.width() * c.share);
        textWidths.push_back(widths.back() - 2 * pad);
    }
    const auto heightOf = [&](const PrintRow& r) {
        if (r.heading)
            return headingLine + pad;
        qsizetype n = 1;
        for (const QStringList& cell : r.cells)
            n = std::max(n, cell.size());
        return qreal(n) * line + pad;
    };
    // The layout pass keeps only each row's height.
    std::vector<qreal> heights;
    std::vector<bool> headings;
    heights.reserve(rows);
    headings.reserve(rows);
    for (size_t i = 0; i < rows; ++i) {
        const PrintRow r = rowAt(page, textWidths, i);
        heights.push_back(heightOf(r));
        headings.push_back(r.heading);
    }
    const qreal headRow = headingLine + pad;
    const qreal room = page.bodyHeight() - headRow;
    const std::vector<size_t> starts = pageStarts(heights, room, room, headings);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (size_t pg = 0; pg < starts.size(); ++pg) {
        if (pg > 0)
            device.newPage();
        page.drawFrame(painter, title, heading, int(pg) + 1, int(starts.size()));
        qreal y = page.headingHeight();
        painter.fillRect(QRectF(0, y, page.width(), headRow), QColor(225, 230, 235));
        painter.setFont(page.bold());
        qreal x = 0;
        for (size_t c = 0; c < columns.size(); ++c) {
            painter.drawText(QRectF(x + pad, y, textWidths[c], headRow),
                             Qt::AlignLeft | Qt::AlignVCenter, columns[c].head);
            x += widths[c];
        }
        y += headRow;
        painter.setFont(page.text());
        const QFontMetricsF fm = page.metrics(page.text());
        const qreal baseline = pad / 2 + (line - fm.height()) / 2 + fm.ascent();
        const size_t end = pg + 1 < starts.size() ? starts[pg + 1] : rows;
        size_t shade = 0;
        for (size_t i = starts[pg]; i < end; ++i) {
            const PrintRow r = rowAt(page, textWidths, i);
            if (r.heading) {
                painter.fillRect(QRectF(0, y, page.width(), heights[i]), QColor(200, 212, 224));
                painter.setFont(page.bold());
                painter.drawText(QRectF(pad, y, page.width() - 2 * pad, heights[i]),
                                 Qt::AlignLeft | Qt::AlignVCenter, r.cells.at(0).value(0));
                painter.setFont(page.text());
                y += heights[i];
                shade = 0;
                continue;
            }
            if (shade++ % 2 == 1)
                painter.fillRect(QRectF(0, y, page.width(), heights[i]), QColor(246, 247, 248));
            x = 0;
            for (size_t c = 0; c < columns.size() && c < r.cells.size(); ++c) {
                painter.save();
                painter.setClipRect(QRectF(x, y, widths[c], heights[i]));
                for (qsizetype l = 0; l < r.cells[c].size(); ++l)
                    painter.drawText(QPointF(x + pad, y + baseline + qreal(l) * line),
                                     r.cells[c][l]);
                painter.restore();
                x += widths[c];
            }
            y += heights[i];
        }
    }
    return painter.end();
}
