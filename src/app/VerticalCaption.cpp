#include "app/VerticalCaption.h"

#include <QPainter>

VerticalCaption::VerticalCaption(const QString& text, QWidget* parent)
    : QWidget(parent), text_(text) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setAccessibleName(text.trimmed());
}

QSize VerticalCaption::sizeHint() const {
    return {fontMetrics().height() + 4, fontMetrics().horizontalAdvance(text_)};
}

QSize VerticalCaption::minimumSizeHint() const {
    return {fontMetrics().height() + 4, 0};
}

void VerticalCaption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    p.setPen(palette().color(QPalette::BrightText));
    p.translate(0, height());
    p.rotate(-90);
    // A short panel shows the caption's start, never a clipped middle.
    const QString shown = fontMetrics().elidedText(text_.trimmed(), Qt::ElideRight, height() - 4);
    p.drawText(QRect(0, 0, height() - 4, width()), Qt::AlignRight | Qt::AlignVCenter, shown);
}
