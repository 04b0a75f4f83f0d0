#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QToolButton;

// The picture box of a person with its selector and buttons.
class PicturePanel : public QWidget {
    Q_OBJECT
public:
    explicit PicturePanel(QWidget* parent = nullptr);

    // Shows the selected picture (the first when none is selected), fitted
    // into the frame; a missing file leaves the frame empty, a file that
    // cannot be read leaves it empty with a hint saying so.
    void ShowPicture();
    void setPictures(const QStringList& pictures, int selected);
    void clear();

    QWidget* frame() const { return frame_; }

    QComboBox* ComboBox_Obje;
    QLabel* Lb_ResimNo;
    QToolButton* SB_ResimEkle;
    QToolButton* SB_ResimSil;
    QLabel* Image_Resim;

private:
    QWidget* frame_;
    QLabel* caption_;
};
