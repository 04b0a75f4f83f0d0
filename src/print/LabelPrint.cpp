#include "print/PrintStyles.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

// The sheet: A4 with 3 × 8 labels of 70 × 37 mm, the 1 mm the labels
// leave of the height split above and below.
constexpr int kColumns = 3;
constexpr int kRows = 8;
constexpr qreal kLabelWidth = 70;
constexpr qreal kLabelHeight = 37;
constexpr qreal kTop = (297 - kRows * kLabelHeight) / 2;
// The room kept free inside a label's edges, as the sheets' makers ask.
constexpr qreal kInsetX = 5;
constexpr qreal kInsetY = 4;
// A line too long is set as small as this share of its size before it is
// cut short.
constexpr qreal kSmallest = 0.7;
// The height of a line, in millimetres.
constexpr qreal kLineStep = 5;

QStringList labelLines(const PersonRecord& p, LabelAddress address) {
    const bool home = address == LabelAddress::Home;
    QStringList lines{QString(p.FirstName + u' ' + p.Surname).trimmed()};
    if (!home)
        lines << p.Firm.trimmed();
    lines << (home ? p.HomeAddress1 : p.WorkAddress1).trimmed()
          << (home ? p.HomeAddress2 : p.WorkAddress2).trimmed()
          << QString((home ? p.HomePostCode : p.WorkPostCode).trimmed() + u' ' +
                     (home ? p.HomeCity : p.WorkCity).trimmed())
                 .trimmed();
    lines.removeAll(QString());
    return lines;
}

// Draws one line into its box: smaller when it is too wide, cut with "…"
// when even that is too wide.
void drawFitted(QPainter& painter, QFont font, const QString& text, const QRectF& box) {
    const qreal width = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
    QString shown = text;
    if (width > box.width()) {
        const qreal size = font.pointSizeF();
        font.setPointSizeF(std::max(size * kSmallest, size * box.width() / width));
        const QFontMetricsF smaller(font, painter.device());
        if (smaller.horizontalAdvance(text) > box.width())
            shown = smaller.elidedText(text, Qt::ElideRight, box.width());
    }
    painter.setFont(font);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace

bool hasAddress(const PersonRecord& p, LabelAddress address) {
    const bool home = address == LabelAddress::Home;
    for (const QString* line :
         {home ? &p.HomeAddress1 : &p.WorkAddress1, home ? &p.HomeAddress2 : &p.WorkAddress2,
          home ? &p.HomeCity : &p.WorkCity})
        if (!line->trimmed().isEmpty())
            return true;
    return false;
}

bool printLabels(QPagedPaintDevice& device, const std::vector<const PersonRecord*>& persons,
                 LabelAddress address) {
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // Places on the sheet in millimetres, wherever the device's printable
    // area begins.
    const qreal dpi = device.logicalDpiX();
    const QPageLayout layout = device.pageLayout();
    painter.translate(layout.fullRectPixels(int(dpi)).topLeft() -
                      layout.paintRectPixels(int(dpi)).topLeft());
    const auto mm = [&device](qreal x, qreal y, qreal w, qreal h) {
        const qreal sx = device.logicalDpiX() / 25.4;
        const qreal sy = device.logicalDpiY() / 25.4;
        return QRectF(x * sx, y * sy, w * sx, h * sy);
    };
    QFont name(QStringLiteral("DejaVu Sans"), 10, QFont::Bold);
    QFont text(QStringLiteral("DejaVu Sans"), 9);
    for (QFont* f : {&name, &text}) {
        f->setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
        f->setKerning(false);
    }
    // Lines as the name's font sets them, closer when a label has many.
    const qreal room = kLabelHeight - 2 * kInsetY;
    const int perPage = kColumns * kRows;
    for (size_t i = 0; i < persons.size(); ++i) {
        if (i > 0 && i % perPage == 0)
            device.newPage();
        const int at = int(i % perPage);
        const qreal left = qreal(at % kColumns) * kLabelWidth;
        const qreal top = kTop + qreal(at / kColumns) * kLabelHeight;
        const QStringList lines = labelLines(*persons[i], address);
        const qreal step = std::min(room / qreal(lines.size()), kLineStep);
        painter.save();
        painter.setClipRect(mm(left, top, kLabelWidth, kLabelHeight));
        for (qsizetype l = 0; l < lines.size(); ++l)
            drawFitted(painter, l == 0 ? name : text, lines[l],
                       mm(left + kInsetX, top + kInsetY + qreal(l) * step,
                          kLabelWidth - 2 * kInsetX, step));
        painter.restore();
    }
    return painter.end();
}
