#include "person/ContactList.h"

#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/ShellTargets.h"
#include "platform/Prompts.h"
#include "platform/ShellOpener.h"
#include "store/PersonRecord.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
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
        // The values line up after the kind words; a longer kind pushes its
        // value right instead of writing over it, and an entry without a
        // kind still shows its value in the value column.
        const int gap = opt.fontMetrics.horizontalAdvance(QLatin1Char('x'));
        const int column = std::max(gap * 10, opt.fontMetrics.horizontalAdvance(e.kind) + gap);
        painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, e.kind);
        const QRect valueRect = r.adjusted(column, 0, 0, 0);
        painter->drawText(valueRect, Qt::AlignVCenter | Qt::AlignLeft,
                          opt.fontMetrics.elidedText(e.value, Qt::ElideRight, valueRect.width()));
    }

    // The whole entry, however it was cut to fit.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const ContactEntry e = ContactEntry::parse(index.data().toString());
        QToolTip::showText(event->globalPos(),
                           e.kind.isEmpty() ? e.value : e.kind + QStringLiteral(": ") + e.value,
                           view);
        return true;
    }
};

} // namespace

std::optional<ContactList::Entry> runContactEntryDialog(const QString& title,
                                                        const ContactList::Entry& entry) {
    QDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    QFont big = dialog.font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    auto* kind = new QComboBox(&dialog);
    kind->addItems(ContactList::kKinds);
    kind->setFont(big);
    kind->setCurrentIndex(std::max<int>(0, int(ContactList::kKinds.indexOf(entry.kind))));
    auto* value = new QLineEdit(entry.value, &dialog);
    value->setFont(big);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 16);
    auto* kindLabel = new QLabel(QStringLiteral("Tü&r"), &dialog);
    kindLabel->setBuddy(kind);
    auto* valueLabel = new QLabel(QStringLiteral("&Değer"), &dialog);
    valueLabel->setBuddy(value);
    auto* ok = new QPushButton(QStringLiteral("&Tamam"), &dialog);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("İpt&al"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    // Laid out, not placed: a larger font grows the dialog instead of
    // cutting its texts.
    auto* fields = new QGridLayout;
    fields->addWidget(kindLabel, 0, 0);
    fields->addWidget(valueLabel, 0, 1);
    fields->addWidget(kind, 1, 0);
    fields->addWidget(value, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
    auto* deleteEntry = new QAction(QStringLiteral("Sil"), list);
    deleteEntry->setShortcut(QKeySequence::Delete);
    deleteEntry->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(deleteEntry);
    connect(deleteEntry, &QAction::triggered, this, &ContactList::SB_TelSilClick);
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
    editing_.commandChangedPages();
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
    editing_.commandChangedPages();
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
    else if (e.kind == u"Web" || e.kind == u"Mail")
        openInDesktop(e.kind == u"Web" ? webTarget(e.value) : mailTarget(e.value));
}

void ContactList::openInDesktop(const ShellTarget& target) {
    if (target.url.isEmpty())
        prompts_.showMessage(target.refusal);
    else
        shell_.open(target.url);
}
