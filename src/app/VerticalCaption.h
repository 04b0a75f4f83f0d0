#pragma once

#include <QWidget>

// A caption written bottom to top beside a panel.
class VerticalCaption : public QWidget {
public:
    VerticalCaption(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};
