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

void VerticalCaption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    p.setPen(palette().color(QPalette::BrightText));
    p.translate(0, height());
    p.rotate(-90);
    p.drawText(QRect(0, 0, height(), width()), Qt::AlignRight | Qt::AlignVCenter, text_);
}
