#pragma once

#include <QLabel>

// A one-line label that never asks for more width than it gets: a text too
// long for it ends in "…", and the whole text is its tool tip.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    void setText(const QString& text);
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
