#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
