#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Kısa Bilgi"));
    auto* name = new QLabel(QStringLiteral("<b>Velmora</b>"), this);
    QFont f = name->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    name->setFont(f);
    auto* text =
        new QLabel(QStringLiteral("Personel ve Adres Kayıtları\nSürüm %1\n\nOrvak Software\n"
                                  "www.orvak.com.tr\nbilgi@orvak.com.tr")
                       .arg(QStringLiteral(ZILVAREN_VERSION)),
                   this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name, 0, Qt::AlignCenter);
    layout->addWidget(text, 0, Qt::AlignCenter);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
