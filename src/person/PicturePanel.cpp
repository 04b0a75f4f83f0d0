#include "person/PicturePanel.h"

#include "person/PictureDecoding.h"
#include "person/PictureFiles.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {
    frame_ = new QWidget(this);
    frame_->setObjectName(QStringLiteral("Panel_Resim"));
    frame_->setFixedSize(111, 136);
    frame_->setAutoFillBackground(true);
    caption_ = new QLabel(QStringLiteral("R E S İ M"), frame_);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setGeometry(0, 0, 111, 136);
    Image_Resim = new QLabel(frame_);
    Image_Resim->setAccessibleName(QStringLiteral("Resim"));
    Image_Resim->setScaledContents(true);
    Image_Resim->hide();

    SB_ResimEkle = new QToolButton(this);
    SB_ResimEkle->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    SB_ResimEkle->setToolTip(QStringLiteral("Resim Ekle"));
    SB_ResimEkle->setAccessibleName(QStringLiteral("Resim Ekle"));
    SB_ResimSil = new QToolButton(this);
    SB_ResimSil->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    SB_ResimSil->setToolTip(QStringLiteral("Resim Sil"));
    SB_ResimSil->setAccessibleName(QStringLiteral("Resim Sil"));
    Lb_ResimNo = new QLabel(QStringLiteral("1/4"), this);
    Lb_ResimNo->setAlignment(Qt::AlignCenter);
    Lb_ResimNo->setAccessibleDescription(QStringLiteral("Resim Sayısı"));
    ComboBox_Obje = new QComboBox(this);
    ComboBox_Obje->setAccessibleName(QStringLiteral("Resimler"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame_, 0, 0, 1, 3, Qt::AlignCenter);
    layout->addWidget(SB_ResimEkle, 1, 0);
    layout->addWidget(Lb_ResimNo, 1, 1);
    layout->addWidget(SB_ResimSil, 1, 2);
    layout->addWidget(ComboBox_Obje, 2, 0, 1, 3);
}

void PicturePanel::setPictures(const QStringList& pictures, int selected) {
    ComboBox_Obje->clear();
    ComboBox_Obje->addItems(pictures);
    ComboBox_Obje->setCurrentIndex(selected >= 0 && selected < pictures.size() ? selected : -1);
    Lb_ResimNo->setText(QString::number(pictures.size()));
    ShowPicture();
}

void PicturePanel::clear() {
    ComboBox_Obje->clear();
    Lb_ResimNo->setText(QStringLiteral("0"));
    ShowPicture();
}

void PicturePanel::ShowPicture() {
    Image_Resim->clear();
    Image_Resim->hide();
    Image_Resim->setToolTip(QString());
    frame_->setToolTip(QString());
    caption_->show();
    if (ComboBox_Obje->count() == 0) {
        SB_ResimSil->setEnabled(false);
        return;
    }
    SB_ResimSil->setEnabled(true);
    if (ComboBox_Obje->currentIndex() < 0)
        ComboBox_Obje->setCurrentIndex(0);
    const QString name = ComboBox_Obje->currentText();
    // Pictures live beside the record file, whose folder is the current one.
    const QString file = pictures::resolve(QDir::currentPath(), name);
    if (file.isEmpty())
        return;
    const pictures::Picture picture = pictures::loadPicture(file, frame_->size());
    if (picture.status != pictures::Picture::Shown) {
        frame_->setToolTip(name + QLatin1Char('\n') +
                           QStringLiteral("Bu resim gösterilemiyor: dosya bozuk ya da "
                                          "okunamıyor."));
        return;
    }
    const QRect shown = pictures::fitIntoFrame(picture.naturalSize, frame_->size());
    Image_Resim->setPixmap(QPixmap::fromImage(
        picture.image.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    Image_Resim->setToolTip(name + QLatin1Char('\n') +
                            QStringLiteral("W x H : %1 x %2 Pixels")
                                .arg(picture.naturalSize.width())
                                .arg(picture.naturalSize.height()));
    Image_Resim->setGeometry(shown);
    caption_->hide();
    Image_Resim->show();
}
