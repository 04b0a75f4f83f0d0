#include "app/LockDialog.h"

#include "platform/SecretBytes.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LockDialog::LockDialog(const QString& fileName, Unlock unlock, QWidget* parent)
    : QDialog(parent), unlock_(std::move(unlock)) {
    setObjectName(QStringLiteral("LockDialog"));
    setWindowTitle(QStringLiteral("Dosya Kilitli"));
    auto* note = new QLabel(QStringLiteral("\"%1\" dosyası kilitlendi; kaydedilmemiş "
                                           "değişiklikler parolayla korunarak saklandı.\n"
                                           "Dosyayı açmak için parolasını yazınız.")
                                .arg(fileName),
                            this);
    note->setWordWrap(true);
    Edit_Parola = new QLineEdit(this);
    Edit_Parola->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel(QStringLiteral("&Parola:"), this);
    label->setBuddy(Edit_Parola);
    Label_Sorun = new QLabel(this);
    Label_Sorun->setWordWrap(true);
    Label_Sorun->hide();

    auto* buttons = new QDialogButtonBox(this);
    Button_Ac = buttons->addButton(QStringLiteral("&Aç"), QDialogButtonBox::AcceptRole);
    Button_Ac->setDefault(true);
    Button_Kapat =
        buttons->addButton(QStringLiteral("Programı &Kapat"), QDialogButtonBox::DestructiveRole);
    connect(Button_Ac, &QPushButton::clicked, this, &LockDialog::tryPassword);
    connect(Button_Kapat, &QPushButton::clicked, this, [this] { done(CloseProgram); });

    auto* form = new QFormLayout;
    form->addRow(label, Edit_Parola);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addWidget(Label_Sorun);
    layout->addWidget(buttons);
    Edit_Parola->setFocus();
}

void LockDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void LockDialog::tryPassword() {
    SecretBytes typed = SecretBytes::fromText(Edit_Parola->text());
    Edit_Parola->clear();
    const QString problem = unlock_(std::move(typed));
    if (problem.isEmpty()) {
        done(Opened);
        return;
    }
    Label_Sorun->setText(problem);
    Label_Sorun->show();
    Edit_Parola->setFocus();
}
