#include "sync/SyncDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

SyncDialog::SyncDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SyncDialog"));
    setWindowTitle(QStringLiteral("Sunucuyla Eşitle"));
    Label_Problem = new QLabel(this);
    Label_Problem->setObjectName(QStringLiteral("Label_Problem"));
    Label_Problem->setWordWrap(true);
    Label_Problem->setStyleSheet(QStringLiteral("color: #b00020;"));
    Edit_Server = new QLineEdit(this);
    Edit_Server->setObjectName(QStringLiteral("Edit_Server"));
    Edit_Server->setPlaceholderText(QStringLiteral("https://sunucu.ornek.com.tr/"));
    Edit_Server->setMinimumWidth(Edit_Server->fontMetrics().averageCharWidth() * 44);
    Edit_User = new QLineEdit(this);
    Edit_User->setObjectName(QStringLiteral("Edit_User"));
    Edit_Password = new QLineEdit(this);
    Edit_Password->setObjectName(QStringLiteral("Edit_Password"));
    Edit_Password->setEchoMode(QLineEdit::Password);
    CheckBox_Remember = new QCheckBox(QStringLiteral("Şifreyi &hatırla"), this);
    CheckBox_Remember->setObjectName(QStringLiteral("CheckBox_Remember"));

    auto* hint = new QLabel(QStringLiteral("Adres, adres defterinin kendisi ya da yalnızca "
                                           "sunucu olabilir."),
                            this);
    hint->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Sunucu &adresi"), Edit_Server);
    form->addRow(QStringLiteral("&Kullanıcı adı"), Edit_User);
    form->addRow(QStringLiteral("Ş&ifre"), Edit_Password);
    form->addRow(QString(), CheckBox_Remember);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Eşitle"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Button_Sync"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("İ&ptal"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SyncDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label_Problem);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
}

QString SyncDialog::addressProblem(const QString& server) {
    const QUrl url = QUrl::fromUserInput(server.trimmed());
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != u"https" && url.scheme() != u"http"))
        return QStringLiteral("Sunucu adresi https:// ile başlayan bir adres olmalıdır.");
    const QHostAddress host(url.host());
    const bool local = url.host() == u"localhost" || (!host.isNull() && host.isLoopback());
    if (url.scheme() == u"http" && !local)
        return QStringLiteral("Şifre http üzerinden açıkça gider; bu makinenin dışındaki bir "
                              "sunucunun adresi https:// ile başlamalıdır.");
    return {};
}

void SyncDialog::accept() {
    QString problem = addressProblem(Edit_Server->text());
    if (problem.isEmpty() && Edit_User->text().trimmed().isEmpty())
        problem = QStringLiteral("Kullanıcı adı yazılmadı.");
    if (!problem.isEmpty()) {
        Label_Problem->setText(problem);
        Label_Problem->show();
        return;
    }
    QDialog::accept();
}

std::optional<SyncLogin> SyncDialog::ask(const SyncLogin& preset, const QString& problem) {
    Edit_Server->setText(preset.server);
    Edit_User->setText(preset.user);
    Edit_Password->setText(preset.password);
    CheckBox_Remember->setChecked(preset.remember);
    Label_Problem->setText(problem);
    Label_Problem->setVisible(!problem.isEmpty());
    // The first empty field has the focus.
    for (QLineEdit* e : {Edit_Server, Edit_User, Edit_Password})
        if (e->text().isEmpty()) {
            e->setFocus();
            break;
        }
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return SyncLogin{QUrl::fromUserInput(Edit_Server->text().trimmed()).toString(),
                     Edit_User->text().trimmed(), Edit_Password->text(),
                     CheckBox_Remember->isChecked()};
}
