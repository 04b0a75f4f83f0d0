#include "search/FindDialog.h"

#include "platform/TurkishText.h"
#include "search/PersonSearch.h"
#include "store/RecordDocument.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>

namespace {

const QColor kSortColumnColour(0xF7, 0xF7, 0xF7);
// Where a result row keeps its person.

// Result rows sort with the Turkish case-insensitive comparison, record
// numbers as text.
class ResultRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        static const TurkishCollator collator;
        const int column = treeWidget()->sortColumn();
        return collator.compare(text(column), other.text(column)) < 0;
    }
};

} // namespace

TForm_Find::TForm_Find(RecordDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("Form_Find"));
    setWindowTitle(QStringLiteral("Find Text Dialog"));
    resize(520, 420);

    ComboBox_Find = new QComboBox(this);
    ComboBox_Find->setEditable(true);
    ComboBox_Find->setInsertPolicy(QComboBox::NoInsert);
    // Remembered words are told apart by the Turkish rules only: Qt's own
    // case folding would complete ALI into ali (or take ali for ALI).
    ComboBox_Find->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // The combo box holds the focus and hands keys to its line edit itself,
    // past any filter on the line edit.
    ComboBox_Find->installEventFilter(this);
    auto* findLabel = new QLabel(QStringLiteral("Aranacak &Kelime"), this);
    findLabel->setBuddy(ComboBox_Find);
    Button_Find = new QPushButton(QStringLiteral("&Ara Bul ve Listele"), this);

    const QString texts[FindCheckCount] = {
        QStringLiteral("Kayıt &No"), QStringLiteral("Ad &Soyad"),      QStringLiteral("&Telefon"),
        QStringLiteral("A&dres"),    QStringLiteral("&Firma Bilgisi"), QStringLiteral("N&otlar"),
        QStringLiteral("&Grup"),     QStringLiteral("TA&MAMI")};
    auto* boxes = new QGridLayout;
    for (int c = 0; c < FindCheckCount; ++c) {
        checks[size_t(c)] = new QCheckBox(texts[c], this);
        boxes->addWidget(checks[size_t(c)], c / 4, c % 4);
        if (c == CheckTamami)
            connect(checks[size_t(c)], &QCheckBox::clicked, this,
                    &TForm_Find::CheckBox_TamamiClick);
        else
            connect(checks[size_t(c)], &QCheckBox::clicked, this,
                    [this, c] { CheckBox_IDClick(checks[size_t(c)]); });
    }

    Label_Count = new QLabel(QStringLiteral("Arama Listesi Sonucu ... Adettir."), this);
    VST = new QTreeWidget(this);
    VST->setAccessibleName(QStringLiteral("Arama Listesi"));
    VST->setRootIsDecorated(false);
    VST->setUniformRowHeights(true);
    VST->setAllColumnsShowFocus(true);
    VST->setSelectionMode(QAbstractItemView::SingleSelection);
    VST->setHeaderLabels({QStringLiteral("No"), QStringLiteral("Ad"), QStringLiteral("Soyad"),
                          QStringLiteral("Bulunduğu Yerler")});
    const int widths[] = {60, 95, 95, 200};
    for (int i = 0; i < 4; ++i)
        VST->header()->resizeSection(i, widths[i]);
    VST->header()->setSectionsMovable(true);
    VST->header()->setSortIndicatorShown(true);
    VST->header()->setSortIndicator(0, Qt::AscendingOrder);
    VST->header()->setSectionsClickable(true);
    VST->setMouseTracking(true);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    // Enter belongs to the search box: no button presses itself.
    for (QPushButton* b : {Button_Find, OKBtn, CancelBtn})
        b->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(ComboBox_Find, 0, 1);
    layout->addWidget(Button_Find, 0, 2);
    layout->addLayout(boxes, 1, 0, 1, 3);
    layout->addWidget(Label_Count, 2, 0, 1, 3);
    layout->addWidget(VST, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons, 4, 0, 1, 3);

    connect(Button_Find, &QPushButton::clicked, this, &TForm_Find::Button_FindClick);
    connect(VST, &QTreeWidget::itemDoubleClicked, this, &TForm_Find::VSTDblClick);
    connect(OKBtn, &QPushButton::clicked, this, &TForm_Find::VSTDblClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(VST->header(), &QHeaderView::sectionClicked, this, &TForm_Find::VSTHeaderClick);
    connect(&document_, &RecordDocument::fileStateLoaded, this, &TForm_Find::showFileState);
    showFileState();
}

bool TForm_Find::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ComboBox_Find && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button_FindClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_Find::refreshResults() {
    if (!shownWord_.isEmpty())
        showRows(searchPersons(document_.persons(), shownWord_, document_.find().checks));
}

void TForm_Find::showFileState() {
    const FindState& find = document_.find();
    const QString typed = ComboBox_Find->currentText();
    ComboBox_Find->clear();
    ComboBox_Find->addItems(find.items);
    if (!find.items.isEmpty())
        ComboBox_Find->setCurrentIndex(0);
    else
        ComboBox_Find->setEditText(typed);
    for (int c = 0; c < FindCheckCount; ++c)
        checks[size_t(c)]->setChecked(find.checks[size_t(c)]);
}

void TForm_Find::storeChecks() {
    for (int c = 0; c < FindCheckCount; ++c)
        document_.find().checks[size_t(c)] = checks[size_t(c)]->isChecked();
}

void TForm_Find::clearAll() {
    shownWord_.clear();
    VST->clear();
    Label_Count->clear();
    ComboBox_Find->clear();
    ComboBox_Find->setEditText(QString());
    for (QCheckBox* c : checks)
        c->setChecked(false);
}

void TForm_Find::Button_FindClick() {
    storeChecks();
    const auto result = runSearch(document_, ComboBox_Find->currentText());
    if (!result)
        return;
    ComboBox_Find->clear();
    ComboBox_Find->addItems(document_.find().items);
    ComboBox_Find->setCurrentIndex(0);
    shownWord_ = document_.find().items.first();
    showRows(result->rows);
}

void TForm_Find::showRows(const std::vector<SearchRow>& found) {
    VST->clear();
    QList<QTreeWidgetItem*> rows;
    for (const SearchRow& r : found) {
        auto* item = new ResultRow(QStringList{r.RecordNo, r.FirstName, r.Surname, r.Places});
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setBackground(sortColumn_, kSortColumnColour);
        rows.append(item);
    }
    VST->addTopLevelItems(rows);
    Label_Count->setText(searchCountText(int(found.size())));
}

void TForm_Find::CheckBox_TamamiClick() {
    storeChecks();
    for (int c = CheckID; c <= CheckGrup; ++c)
        checks[size_t(c)]->setChecked(checks[CheckTamami]->isChecked());
    storeChecks();
}

void TForm_Find::CheckBox_IDClick(QCheckBox* sender) {
    if (!sender->isChecked())
        checks[CheckTamami]->setChecked(false);
    storeChecks();
}

void TForm_Find::VSTHeaderClick(int column) {
    if (column == sortColumn_) {
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        sortColumn_ = column;
        sortOrder_ = Qt::AscendingOrder;
    }
    VST->header()->setSortIndicator(sortColumn_, sortOrder_);
    for (int i = 0; i < VST->topLevelItemCount(); ++i)
        for (int c = 0; c < 4; ++c)
            VST->topLevelItem(i)->setBackground(c, c == sortColumn_ ? QBrush(kSortColumnColour)
                                                                    : QBrush());
    if (column < 3)
        VST->sortItems(sortColumn_, sortOrder_);
}

void TForm_Find::VSTDblClick() {
    QTreeWidgetItem* row = VST->currentItem();
    if (!row)
        return;
    const QString no = row->text(0);
    PersonListModel& persons = document_.persons();
    for (int i = 0; i < persons.personCount(); ++i) {
        if (persons.personAt(i)->RecordNo == no) {
            if (jump_)
                jump_(persons.personAt(i));
            accept();
            return;
        }
    }
}
