#include "person/ContactList.h"

#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "platform/Prompts.h"
#include "platform/ShellOpener.h"
#include "store/PersonRecord.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>

const QStringList ContactList::kKinds = {QStringLiteral("Ev"),  QStringLiteral("İş"),
                                         QStringLiteral("GSM"), QStringLiteral("Fax"),
                                         QStringLiteral("Mail"), QStringLiteral("Web")};

namespace {

// Lines the values up in a column after the kind words.
class ContactDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const ContactEntry e = ContactEntry::parse(opt.text);
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        QRect r = opt.rect.adjusted(4, 0, -2, 0);
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected
                                              ? QPalette::HighlightedText
                                              : QPalette::Text));
        const int column = opt.fontMetrics.horizontalAdvance(QLatin1Char('x')) * 10;
        if (e.kind.isEmpty()) {
            painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, e.value);
            return;
        }
        painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, e.kind);
        painter->drawText(r.adjusted(column, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, e.value);
    }
};

} // namespace

std::optional<ContactList::Entry> runContactEntryDialog(const QString& title,
                                                        const ContactList::Entry& entry) {
    QDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    dialog.setFixedSize(310, 160);
    QFont big = dialog.font();
    big.setPointSize(16);
    auto* kind = new QComboBox(&dialog);
    kind->addItems(ContactList::kKinds);
    kind->setFont(big);
    kind->setGeometry(30, 20, 80, 32);
    kind->setAccessibleName(QStringLiteral("Tür"));
    kind->setCurrentIndex(std::max<int>(0, int(ContactList::kKinds.indexOf(entry.kind))));
    auto* value = new QLineEdit(entry.value, &dialog);
    value->setFont(big);
    value->setGeometry(120, 20, 160, 32);
    value->setAccessibleName(QStringLiteral("Değer"));
    auto* ok = new QPushButton(QStringLiteral("Tamam"), &dialog);
    ok->setGeometry(50, 60, 90, 30);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("İptal"), &dialog);
    cancel->setGeometry(165, 60, 90, 30);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    value->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ContactList::Entry{kind->currentText(), value->text()};
}

ContactList::ContactList(PersonEditor& pages, PersonEditing& editing, Prompts& prompts,
                         ShellOpener& shell, QObject* parent)
    : QObject(parent), pages_(pages), editing_(editing), prompts_(prompts), shell_(shell),
      dialog_(runContactEntryDialog) {
    QListWidget* list = pages_.ListBox_Tel;
    list->setItemDelegate(new ContactDelegate(list));
    connect(pages_.SB_TelEkle, &QToolButton::clicked, this, [this] { SB_TelEditClick(false); });
    connect(pages_.SB_TelEdit, &QToolButton::clicked, this, [this] { SB_TelEditClick(true); });
    connect(list, &QListWidget::itemDoubleClicked, this, &ContactList::ListBox_TelDblClick);
    connect(pages_.SB_TelSil, &QToolButton::clicked, this, &ContactList::SB_TelSilClick);
    connect(pages_.SB_Tel_Up, &QToolButton::clicked, this, &ContactList::SB_Tel_UpClick);
    connect(pages_.SB_Tel_Down, &QToolButton::clicked, this, &ContactList::SB_Tel_DownClick);
    connect(pages_.SB_TelCevir, &QToolButton::clicked, this, &ContactList::SB_TelCevirClick);
}

void ContactList::SB_TelEditClick(bool editing) {
    QListWidget* list = pages_.ListBox_Tel;
    Entry current;
    if (editing) {
        if (list->count() == 0)
            return;
        if (list->currentRow() < 0)
            list->setCurrentRow(0);
        const ContactEntry e = ContactEntry::parse(list->currentItem()->text());
        current = {e.kind, e.value};
    }
    const QString title = QStringLiteral("Telefon-Email-Web ") +
                          (editing ? QStringLiteral("Düzeltilmesi") : QStringLiteral("Eklenmesi"));
    const std::optional<Entry> typed = dialog_(title, current);
    if (!typed)
        return;
    const QString value = typed->value.trimmed();
    if (value.isEmpty()) {
        prompts_.showMessage(QStringLiteral("Lütfen Boş Bırakmayın."));
        return;
    }
    const QString entry = typed->kind + QLatin1Char('\t') + value;
    if (editing) {
        list->currentItem()->setText(entry);
    } else {
        list->addItem(entry);
        list->setCurrentRow(list->count() - 1);
    }
    editing_.Edit_Change();
}

void ContactList::SB_TelSilClick() {
    QListWidget* list = pages_.ListBox_Tel;
    if (list->count() == 0)
        return;
    if (list->currentRow() < 0 || !list->currentItem()->isSelected()) {
        if (list->count() != 1) {
            prompts_.showMessage(QStringLiteral("Lütfen Listeden seçim yapınız."));
            return;
        }
        list->setCurrentRow(0);
    }
    delete list->takeItem(list->currentRow());
    if (!editing_.isEditing())
        editing_.SB_DuzeltClick();
}

void ContactList::move(int delta) {
    QListWidget* list = pages_.ListBox_Tel;
    const int row = list->currentRow();
    const int other = row + delta;
    if (row < 0 || list->count() < 2 || other < 0 || other >= list->count())
        return;
    const QString text = list->item(row)->text();
    list->item(row)->setText(list->item(other)->text());
    list->item(other)->setText(text);
    if (!editing_.isEditing())
        editing_.SB_DuzeltClick();
}

void ContactList::SB_Tel_UpClick() { move(-1); }
void ContactList::SB_Tel_DownClick() { move(1); }

void ContactList::SB_TelCevirClick() {
    QListWidget* list = pages_.ListBox_Tel;
    if (list->count() == 0)
        return;
    if (list->currentRow() < 0)
        list->setCurrentRow(0);
    const QString text = list->currentItem()->text();
    if (!text.contains(QLatin1Char('\t')))
        return;
    const ContactEntry e = ContactEntry::parse(text);
    if (e.kind == u"İş" || e.kind == u"Ev" || e.kind == u"Fax" || e.kind == u"GSM")
        Q_EMIT dialRequested(e.value);
    else if (e.kind == u"Web")
        shell_.open(e.value);
    else if (e.kind == u"Mail")
        shell_.open(QStringLiteral("mailto:") + e.value);
}
