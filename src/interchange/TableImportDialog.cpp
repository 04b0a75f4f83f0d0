#include "interchange/TableImportDialog.h"

#include "store/PersonTexts.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

// The preview shows the persons of this many rows.
constexpr int kPreviewRows = 50;

QTableWidget* makeTable(QWidget* parent, const QStringList& heads) {
    auto* t = new QTableWidget(0, int(heads.size()), parent);
    t->setHorizontalHeaderLabels(heads);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setWordWrap(false);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QString contactsText(const PersonRecord& p) {
    QStringList entries;
    for (const QString& entry : p.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        entries.append(c.kind + QStringLiteral(": ") + c.value);
    }
    return entries.join(QStringLiteral(", "));
}

QString addressText(const QString& line1, const QString& line2, const QString& postCode,
                    const QString& city) {
    QStringList parts;
    for (const QString& part : {line1, line2, QString(postCode + u' ' + city).trimmed()})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral(", "));
}

} // namespace

TableImportDialog::TableImportDialog(const Table& table, TableMapping guessed,
                                     const QString& fileName, qint64 firstRecordNo,
                                     const Clock& clock, QWidget* parent)
    : QDialog(parent), table_(table), mapping_(guessed), guessed_(std::move(guessed)),
      firstRecordNo_(firstRecordNo), clock_(clock) {
    setObjectName(QStringLiteral("Form_TabloIceAktar"));
    setWindowTitle(QStringLiteral("Tablo İçe Aktar"));
    resize(820, 560);
    for (TableRows rows(table.text, table.separator, table.bodyStart); rows.next();)
        ++rows_;

    auto* file = new QLabel(QStringLiteral("%1\n%2, %3 ile ayrılmış; başlıktan sonra %4 satır.")
                                .arg(QDir::toNativeSeparators(fileName),
                                     encodingName(table.encoding), separatorName(table.separator))
                                .arg(rows_),
                            this);
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Table_Sutunlar = makeTable(this, {QStringLiteral("Sütun"), QStringLiteral("Örnek"),
                                      QStringLiteral("Aktarılacağı alan")});
    Table_Sutunlar->setAccessibleName(QStringLiteral("Sütunlar"));
    auto* columnsLabel = new QLabel(QStringLiteral("&Sütunlar"), this);
    columnsLabel->setBuddy(Table_Sutunlar);
    TableRows first(table.text, table.separator, table.bodyStart);
    first.next();
    Table_Sutunlar->setRowCount(int(table.header.size()));
    for (int c = 0; c < int(table.header.size()); ++c) {
        const QString head =
            table.header[c].isEmpty() ? QStringLiteral("(%1. sütun)").arg(c + 1) : table.header[c];
        Table_Sutunlar->setItem(c, 0, new QTableWidgetItem(head));
        Table_Sutunlar->setItem(c, 1,
                                new QTableWidgetItem(c < first.size()
                                                         ? first.field(c).trimmed().toString()
                                                         : QString()));
        Table_Sutunlar->setItem(
            c, 2, new QTableWidgetItem(mappingTitle(mapping_[size_t(c)], table.header)));
    }
    // The field's column stays in sight; a long value is cut short.
    QHeaderView* head = Table_Sutunlar->horizontalHeader();
    head->setStretchLastSection(false);
    head->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    head->setSectionResizeMode(1, QHeaderView::Stretch);
    head->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    ComboBox_Alan = new QComboBox(this);
    ComboBox_Alan->setAccessibleName(QStringLiteral("Seçili sütunun aktarılacağı alan"));
    auto* fieldLabel = new QLabel(QStringLiteral("Seçili sütunun aktarılacağı &alan:"), this);
    fieldLabel->setBuddy(ComboBox_Alan);

    Table_Onizleme =
        makeTable(this, {QStringLiteral("No"), QStringLiteral("Adı"), QStringLiteral("Soyadı"),
                         QStringLiteral("Doğum Tarihi"), QStringLiteral("Telefon - Mail - Web"),
                         QStringLiteral("Firma"), QStringLiteral("Ev Adresi"),
                         QStringLiteral("İş Adresi"), QStringLiteral("Notlar")});
    Table_Onizleme->setAccessibleName(QStringLiteral("Aktarılacak kişiler"));
    Table_Onizleme->horizontalHeader()->setStretchLastSection(false);
    auto* previewLabel =
        new QLabel(QStringLiteral("İlk %1 satırdan &yapılacak kişiler").arg(kPreviewRows), this);
    previewLabel->setBuddy(Table_Onizleme);
    Label_Sayi = new QLabel(this);
    Label_Sayi->setWordWrap(true);

    Button_Aktar = new QPushButton(QStringLiteral("Ak&tar"), this);
    Button_Iptal = new QPushButton(QStringLiteral("İptal"), this);
    Button_Aktar->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(file, 0, 0, 1, 2);
    layout->addWidget(columnsLabel, 1, 0, 1, 2);
    layout->addWidget(Table_Sutunlar, 2, 0, 1, 2);
    layout->addWidget(fieldLabel, 3, 0);
    layout->addWidget(ComboBox_Alan, 3, 1);
    layout->addWidget(previewLabel, 4, 0, 1, 2);
    layout->addWidget(Table_Onizleme, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Sayi, 1);
    buttons->addWidget(Button_Aktar);
    buttons->addWidget(Button_Iptal);
    layout->addLayout(buttons, 6, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 3);
    layout->setRowStretch(5, 2);
    setTabOrder(Table_Sutunlar, ComboBox_Alan);
    setTabOrder(ComboBox_Alan, Table_Onizleme);
    setTabOrder(Table_Onizleme, Button_Aktar);
    setTabOrder(Button_Aktar, Button_Iptal);

    connect(Table_Sutunlar, &QTableWidget::currentCellChanged, this,
            &TableImportDialog::showColumn);
    connect(ComboBox_Alan, &QComboBox::activated, this, &TableImportDialog::fieldChosen);
    connect(Button_Aktar, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_Iptal, &QPushButton::clicked, this, &QDialog::reject);
    Table_Sutunlar->setCurrentCell(0, 0);
    showColumn();
    showPreview();
}

// The fields a column may go to; a telephone whose kind the table names
// keeps that choice as the last item.
void TableImportDialog::showColumn() {
    const int column = Table_Sutunlar->currentRow();
    const QSignalBlocker quiet(ComboBox_Alan);
    ComboBox_Alan->clear();
    ComboBox_Alan->setEnabled(column >= 0);
    if (column < 0)
        return;
    for (int f = 0; f < kTableFieldCount; ++f)
        ComboBox_Alan->addItem(fieldTitle(TableField(f)));
    const ColumnMapping& guess = guessed_[size_t(column)];
    if (guess.kindColumn >= 0)
        ComboBox_Alan->addItem(mappingTitle(guess, table_.header));
    const ColumnMapping& now = mapping_[size_t(column)];
    ComboBox_Alan->setCurrentIndex(now.kindColumn >= 0 ? kTableFieldCount : int(now.field));
}

void TableImportDialog::fieldChosen(int item) {
    const int column = Table_Sutunlar->currentRow();
    if (column < 0)
        return;
    mapping_[size_t(column)] =
        item == kTableFieldCount ? guessed_[size_t(column)] : ColumnMapping{TableField(item), -1};
    Table_Sutunlar->item(column, 2)->setText(mappingTitle(mapping_[size_t(column)], table_.header));
    showPreview();
}

void TableImportDialog::showPreview() {
    const TableImportPlan plan =
        planTableImport(table_, mapping_, QString(), firstRecordNo_, clock_, kPreviewRows);
    Table_Onizleme->setRowCount(int(plan.persons.size()));
    for (int r = 0; r < int(plan.persons.size()); ++r) {
        const PersonRecord& p = *plan.persons[size_t(r)];
        const QString cells[] = {
            p.RecordNo,
            p.FirstName,
            p.Surname,
            birthDateText(p.BirthDate),
            contactsText(p),
            p.Firm,
            addressText(p.HomeAddress1, p.HomeAddress2, p.HomePostCode, p.HomeCity),
            addressText(p.WorkAddress1, p.WorkAddress2, p.WorkPostCode, p.WorkCity),
            p.Notes.join(u' ')};
        for (int c = 0; c < int(std::size(cells)); ++c)
            Table_Onizleme->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    Table_Onizleme->resizeColumnsToContents();
    const bool any = std::any_of(mapping_.begin(), mapping_.end(), [](const ColumnMapping& m) {
        return m.field != TableField::None;
    });
    Button_Aktar->setEnabled(any);
    QString count = any ? QStringLiteral("İlk %1 satırdan %2 kişi yapılır")
                              .arg(plan.rows)
                              .arg(plan.persons.size())
                        : QStringLiteral("Hiçbir sütun bir alana aktarılmıyor.");
    if (any && plan.emptyRows > 0)
        count +=
            QStringLiteral("; aktarılacak bilgisi olmayan %1 satır atlanır").arg(plan.emptyRows);
    if (any && !plan.warnings.isEmpty())
        count += QStringLiteral("; %1 değer okunamaz").arg(plan.warnings.size());
    Label_Sayi->setText(any ? count + u'.' : count);
}
