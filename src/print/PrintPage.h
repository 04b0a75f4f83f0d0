#pragma once

#include "print/PersonPrint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;

// The fonts and sizes of a page of the program's prints on one device.
class Page {
public:
    explicit Page(QPagedPaintDevice& device);

    const QFont& text() const { return text_; }
    const QFont& bold() const { return bold_; }
    qreal width() const;
    qreal height() const;
    qreal lineHeight(const QFont& f) const;
    QFontMetricsF metrics(const QFont& f) const;
    qreal gap() const { return lineHeight(text_) / 3; }

    // Where the body of a page begins, below the heading.
    qreal headingHeight() const;
    qreal footerHeight() const;
    qreal bodyHeight() const { return height() - headingHeight() - footerHeight(); }

    // The title, the file, the group and the date at the top; "Sayfa n / N"
    // at the foot.
    void drawFrame(QPainter& p, const QString& title, const PrintHeading& h, int page,
                   int pages) const;

    // The lines text takes in width, at most maxLines (the last one cut
    // short with "…" when more would follow; 0 for no limit).
    QStringList lines(const QString& text, const QFont& font, qreal width, int maxLines) const;

private:
    QPagedPaintDevice& device_;
    QFont text_, bold_, title_, small_;
};

// Page breaks for items of the given heights: the first item of each
// page. An item taller than a page has a page of its own. An item marked
// in keepWithNext (a heading) never ends a page.
std::vector<size_t> pageStarts(const std::vector<qreal>& heights, qreal room, qreal firstRoom,
                               const std::vector<bool>& keepWithNext = {});

// A column of a printed table: its head, and its share of the width.
struct PrintColumn {
    QString head;
    qreal share;
};

// A row of a printed table: each cell's lines, or a heading across the
// whole width (its text the first cell's first line).
struct PrintRow {
    std::vector<QStringList> cells;
    bool heading = false;
};

// A table on as many pages as it takes: the frame, the column heads on
// every page, the rows in every other one shaded, a heading never last on
// its page. rowAt gives a row's lines for the cells' widths; it is asked
// for every row once to lay the pages out and once more to draw them, so
// memory does not grow with the pages. False when the device could not be
// drawn on.
bool printTable(QPagedPaintDevice& device, const QString& title, const PrintHeading& heading,
                const std::vector<PrintColumn>& columns, size_t rows,
                const std::function<PrintRow(const Page& page, const std::vector<qreal>& widths,
                                             size_t row)>& rowAt);
