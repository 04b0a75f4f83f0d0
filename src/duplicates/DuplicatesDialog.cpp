#include "duplicates/DuplicatesDialog.h"

#include "duplicates/DuplicateMerge.h"
#include "platform/Clock.h"
#include "store/PersonTexts.h"
#include "store/RecordDocument.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>

namespace {

QString joinedContacts(const PersonRecord& p) {
    QStringList lines;
    for (const QString& entry : p.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        lines.append(c.kind.isEmpty() ? c.value : c.kind + QStringLiteral(": ") + c.value);
    }
    return lines.join(u'\n');
}

QString joinedPictures(const PersonRecord& p) {
    QStringList names;
    for (const QString& picture : p.Pictures)
        names.append(QFileInfo(picture).fileName());
    return names.join(u'\n');
}

// The fields side by side, as the detail pages name them.
struct Field {
    const char* label;
    QString (*text)(const PersonRecord&);
};
const Field kFields[] = {
    {"Kayıt No", [](const PersonRecord& p) { return p.RecordNo; }},
    {"Adı", [](const PersonRecord& p) { return p.FirstName; }},
    {"Soyadı", [](const PersonRecord& p) { return p.Surname; }},
    {"Doğum Yeri", [](const PersonRecord& p) { return p.BirthPlace; }},
    {"Doğum Tarihi", [](const PersonRecord& p) { return birthDateText(p.BirthDate); }},
    {"Cinsiyeti", [](const PersonRecord& p) { return sexText(p.Sex); }},
    {"Medeni Hali", [](const PersonRecord& p) { return maritalText(p.MaritalStatus); }},
    {"Grup", [](const PersonRecord& p) { return groupTitle(p.GroupPath); }},
    {"Telefon - Mail - Web", joinedContacts},
    {"Ev Adres 1", [](const PersonRecord& p) { return p.HomeAddress1; }},
    {"Ev Adres 2", [](const PersonRecord& p) { return p.HomeAddress2; }},
    {"Ev Posta Kod", [](const PersonRecord& p) { return p.HomePostCode; }},
    {"Ev Şehir", [](const PersonRecord& p) { return p.HomeCity; }},
    {"Firma", [](const PersonRecord& p) { return p.Firm; }},
    {"Bölüm", [](const PersonRecord& p) { return p.Department; }},
    {"Meslek", [](const PersonRecord& p) { return p.Profession; }},
    {"İş Adres 1", [](const PersonRecord& p) { return p.WorkAddress1; }},
    {"İş Adres 2", [](const PersonRecord& p) { return p.WorkAddress2; }},
    {"İş Posta Kod", [](const PersonRecord& p) { return p.WorkPostCode; }},
    {"İş Şehir", [](const PersonRecord& p) { return p.WorkCity; }},
    {"Resimler", joinedPictures},
    {"Notlar", [](const PersonRecord& p) { return p.Notes.join(u'\n'); }},
    {"Kayıt tarihi", [](const PersonRecord& p) { return p.RecordedAt; }},
    {"Son Düzeltme tarihi", [](const PersonRecord& p) { return p.EditedAt; }},
};
constexpr int kFieldCount = int(std::size(kFields));

QString shownName(const PersonRecord& p) {
    const QString name = (p.FirstName + u' ' + p.Surname).trimmed();
    return name.isEmpty() ? QStringLiteral("(adsız)") : name;
}

} // namespace

// The persons of a group in columns, the merged person in the last; a row
// whose values differ among the persons is marked.
class ComparisonModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const std::vector<PersonRecord*>& persons, const std::vector<bool>& taken,
              const PersonRecord* kept, const PersonRecord& merged) {
        beginResetModel();
        cells_.clear();
        heads_.clear();
        taken_ = taken;
        if (persons.empty()) {
            endResetModel();
            return;
        }
        for (const PersonRecord* p : persons) {
            cells_.push_back(texts(*p));
            heads_.append(QStringLiteral("No ") + p->RecordNo +
                          (p == kept ? QStringLiteral(" (tutulan)") : QString()));
        }
        cells_.push_back(texts(merged));
        heads_.append(QStringLiteral("Birleşmiş Kayıt"));
        taken_.push_back(true);
        differs_.assign(kFieldCount, false);
        for (int r = 0; r < kFieldCount; ++r)
            for (size_t c = 1; c + 1 < cells_.size(); ++c)
                if (cells_[c][size_t(r)] != cells_[0][size_t(r)])
                    differs_[size_t(r)] = true;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || cells_.empty() ? 0 : kFieldCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(cells_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const size_t c = size_t(index.column());
        const size_t r = size_t(index.row());
        const bool mergedColumn = c + 1 == cells_.size();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return cells_[c][r];
        case Qt::FontRole:
            if (differs_[r] || mergedColumn) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::BackgroundRole:
            if (mergedColumn)
                return QColor(0xE8, 0xF3, 0xE8);
            return differs_[r] ? QVariant(QColor(0xFF, 0xF1, 0xC9)) : QVariant();
        case Qt::ForegroundRole:
            return taken_[c] ? QVariant() : QVariant(QColor(Qt::gray));
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Horizontal)
            return heads_.value(section);
        const QString label = QString::fromUtf8(kFields[section].label);
        return differs_[size_t(section)] ? QStringLiteral("≠ ") + label : label;
    }

private:
    static std::vector<QString> texts(const PersonRecord& p) {
        std::vector<QString> t;
        for (const Field& f : kFields)
            t.push_back(f.text(p));
        return t;
    }

    std::vector<std::vector<QString>> cells_; // by column, then row
    QStringList heads_;
    std::vector<bool> taken_;
    std::vector<bool> differs_;
};

DuplicatesDialog::DuplicatesDialog(RecordDocument& document, const Clock& clock, QWidget* parent)
    : QDialog(parent), document_(document), clock_(clock), comparison_(new ComparisonModel(this)) {
    setObjectName(QStringLiteral("Form_Mukerrer"));
    setWindowTitle(QStringLiteral("Mükerrer Kayıtlar"));
    resize(900, 580);
    // A person who leaves the file leaves the groups offered too.
    connect(&document_.persons(), &PersonListModel::personAboutToBeRemoved, this,
            [this](const PersonRecord* person) {
                for (Group& g : groups_)
                    if (!person)
                        g.members.clear();
                    else
                        std::erase(g.members, person);
            });

    List_Groups = new QListWidget(this);
    List_Groups->setWordWrap(true);
    List_Groups->setSpacing(2);
    List_Groups->setTextElideMode(Qt::ElideMiddle);
    auto* groupsLabel = new QLabel(QStringLiteral("&Gruplar"), this);
    groupsLabel->setBuddy(List_Groups);
    Table_Compare = new QTableView(this);
    Table_Compare->setModel(comparison_);
    Table_Compare->setWordWrap(true);
    Table_Compare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table_Compare->horizontalHeader()->setDefaultSectionSize(170);
    Table_Compare->horizontalHeader()->setMinimumSectionSize(120);
    Table_Compare->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A row fits the persons in sight: a group of hundreds would have every
    // cell of the row laid out at each change.
    Table_Compare->verticalHeader()->setResizeContentsPrecision(0);
    auto* compareLabel =
        new QLabel(QStringLiteral("Ka&rşılaştırma (≠: kişilerde farklı olan)"), this);
    compareLabel->setBuddy(Table_Compare);
    Combo_Keep = new QComboBox(this);
    auto* keepLabel = new QLabel(QStringLiteral("&Tutulacak kişi"), this);
    keepLabel->setBuddy(Combo_Keep);
    // Item views and combo boxes take no name from their buddies.
    List_Groups->setAccessibleName(QStringLiteral("Gruplar"));
    Table_Compare->setAccessibleName(QStringLiteral("Karşılaştırma"));
    Combo_Keep->setAccessibleName(QStringLiteral("Tutulacak kişi"));
    List_Members = new QListWidget(this);
    List_Members->setMaximumHeight(90);
    auto* membersLabel = new QLabel(QStringLiteral("Birleştirilecek &kişiler"), this);
    membersLabel->setBuddy(List_Members);
    List_Members->setAccessibleName(QStringLiteral("Birleştirilecek kişiler"));
    Label_Count = new QLabel(this);
    Button_Birlestir = new QPushButton(QStringLiteral("&Birleştir"), this);
    Button_Farkli = new QPushButton(QStringLiteral("&Farklı Kişiler"), this);
    Button_Kapat = new QPushButton(QStringLiteral("Ka&pat"), this);
    // Enter never merges: a merge is a click or Alt+B of its own.
    Button_Birlestir->setAutoDefault(false);
    Button_Farkli->setAutoDefault(false);
    Button_Kapat->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(groupsLabel, 0, 0);
    layout->addWidget(List_Groups, 1, 0, 4, 1);
    layout->addWidget(compareLabel, 0, 1, 1, 2);
    layout->addWidget(Table_Compare, 1, 1, 1, 2);
    layout->addWidget(keepLabel, 2, 1);
    layout->addWidget(Combo_Keep, 2, 2);
    layout->addWidget(membersLabel, 3, 1, Qt::AlignTop);
    layout->addWidget(List_Members, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Count, 1);
    buttons->addWidget(Button_Birlestir);
    buttons->addWidget(Button_Farkli);
    buttons->addWidget(Button_Kapat);
    layout->addLayout(buttons, 5, 0, 1, 3);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(2, 5);
    layout->setRowStretch(1, 1);
    setTabOrder(List_Groups, Table_Compare);
    setTabOrder(Table_Compare, Combo_Keep);
    setTabOrder(Combo_Keep, List_Members);
    setTabOrder(List_Members, Button_Birlestir);
    setTabOrder(Button_Birlestir, Button_Farkli);
    setTabOrder(Button_Farkli, Button_Kapat);

    connect(List_Groups, &QListWidget::currentRowChanged, this, &DuplicatesDialog::showGroup);
    connect(Combo_Keep, &QComboBox::currentIndexChanged, this, &DuplicatesDialog::keep);
    connect(List_Members, &QListWidget::itemChanged, this, &DuplicatesDialog::showPreview);
    connect(Button_Birlestir, &QPushButton::clicked, this,
            &DuplicatesDialog::Button_BirlestirClick);
    connect(Button_Farkli, &QPushButton::clicked, this, &DuplicatesDialog::Button_FarkliClick);
    connect(Button_Kapat, &QPushButton::clicked, this, &QDialog::accept);
}

DuplicatesDialog::~DuplicatesDialog() = default;

bool DuplicatesDialog::findGroups() {
    const PersonListModel& persons = document_.persons();
    const int count = persons.personCount();
    QProgressDialog progress(QStringLiteral("Mükerrer kayıtlar aranıyor…"), QStringLiteral("İptal"),
                             0, count, parentWidget());
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    DuplicateFinder finder;
    for (int i = 0; i < count; ++i) {
        if (i % 4096 == 0) {
            progress.setValue(i);
            if (progress.wasCanceled())
                return false;
        }
        if (i + int(kPrefetchAhead) < count)
            prefetchRecord(persons.personAt(i + int(kPrefetchAhead)));
        finder.add(*persons.personAt(i));
    }
    progress.setValue(count);
    groups_.clear();
    for (const DuplicateGroup& g : finder.groups(document_.differentPersons())) {
        Group group{{}, g.reasons};
        for (const int m : g.members)
            group.members.push_back(persons.personAt(m));
        groups_.push_back(std::move(group));
    }
    showGroups(0);
    return true;
}

std::vector<DuplicatesDialog::Group>
DuplicatesDialog::groupsOf(const std::vector<PersonRecord*>& persons) const {
    const std::vector<const PersonRecord*> looked(persons.begin(), persons.end());
    std::vector<Group> groups;
    for (const DuplicateGroup& g : findDuplicates(looked, document_.differentPersons())) {
        Group group{{}, g.reasons};
        for (const int m : g.members)
            group.members.push_back(persons[size_t(m)]);
        groups.push_back(std::move(group));
    }
    return groups;
}

void DuplicatesDialog::showGroups(int current) {
    {
        const QSignalBlocker quiet(List_Groups);
        List_Groups->clear();
        for (const Group& g : groups_) {
            QStringList names;
            for (size_t i = 0; i < g.members.size() && i < 3; ++i)
                names.append(shownName(*g.members[i]));
            QString text = names.join(QStringLiteral(", "));
            if (g.members.size() > 3)
                text += QStringLiteral(", … (%1 kişi)").arg(g.members.size());
            List_Groups->addItem(text + u'\n' + reasonText(g.reasons));
        }
    }
    Label_Count->setText(groups_.empty()
                             ? QStringLiteral("Mükerrer kayıt kalmadı.")
                             : QStringLiteral("%1 grup olası mükerrer kayıt").arg(groups_.size()));
    Button_Farkli->setEnabled(!groups_.empty());
    List_Groups->setCurrentRow(std::min(current, int(groups_.size()) - 1));
    showGroup();
}

void DuplicatesDialog::showGroup() {
    const int row = List_Groups->currentRow();
    {
        const QSignalBlocker quietCombo(Combo_Keep);
        const QSignalBlocker quietList(List_Members);
        Combo_Keep->clear();
        List_Members->clear();
        if (row >= 0)
            for (const PersonRecord* p : groups_[size_t(row)].members) {
                const QString text =
                    QStringLiteral("No ") + p->RecordNo + QStringLiteral(" – ") + shownName(*p);
                Combo_Keep->addItem(text);
                auto* item = new QListWidgetItem(text, List_Members);
                item->setCheckState(Qt::Checked);
            }
    }
    keep(0);
}

void DuplicatesDialog::keep(int kept) {
    // The kept person is always in the merge.
    {
        const QSignalBlocker quiet(List_Members);
        for (int i = 0; i < List_Members->count(); ++i) {
            QListWidgetItem* item = List_Members->item(i);
            Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
            if (i != kept)
                flags |= Qt::ItemIsEnabled;
            else
                item->setCheckState(Qt::Checked);
            item->setFlags(flags);
        }
    }
    showPreview();
}

std::vector<PersonRecord*> DuplicatesDialog::chosen() const {
    const int row = List_Groups->currentRow();
    if (row < 0)
        return {};
    const std::vector<PersonRecord*>& members = groups_[size_t(row)].members;
    const int kept = Combo_Keep->currentIndex();
    std::vector<PersonRecord*> taken{members[size_t(kept)]};
    for (int i = 0; i < List_Members->count(); ++i)
        if (i != kept && List_Members->item(i)->checkState() == Qt::Checked)
            taken.push_back(members[size_t(i)]);
    return taken;
}

void DuplicatesDialog::showPreview() {
    const std::vector<PersonRecord*> taken = chosen();
    Button_Birlestir->setEnabled(taken.size() > 1);
    if (taken.empty()) {
        comparison_->show({}, {}, nullptr, PersonRecord());
        return;
    }
    const std::vector<PersonRecord*>& members = groups_[size_t(List_Groups->currentRow())].members;
    std::vector<bool> inMerge;
    for (const PersonRecord* p : members)
        inMerge.push_back(std::find(taken.begin(), taken.end(), p) != taken.end());
    const std::vector<const PersonRecord*> dropped(taken.begin() + 1, taken.end());
    comparison_->show(members, inMerge, taken.front(),
                      mergedPerson(*taken.front(), dropped, clock_.stampNow()));
    // A few persons share the width; many get columns to scroll through.
    QHeaderView* head = Table_Compare->horizontalHeader();
    head->setSectionResizeMode(comparison_->columnCount() <= 4 ? QHeaderView::Stretch
                                                               : QHeaderView::Interactive);
}

void DuplicatesDialog::replaceGroup(int row, const std::vector<PersonRecord*>& rest) {
    std::vector<Group> split = groupsOf(rest);
    groups_.erase(groups_.begin() + row);
    groups_.insert(groups_.begin() + row, std::make_move_iterator(split.begin()),
                   std::make_move_iterator(split.end()));
    showGroups(row);
}

void DuplicatesDialog::Button_BirlestirClick() {
    const std::vector<PersonRecord*> taken = chosen();
    if (taken.size() < 2)
        return;
    const int row = List_Groups->currentRow();
    std::vector<PersonRecord*> rest;
    for (PersonRecord* p : groups_[size_t(row)].members)
        if (p == taken.front() || std::find(taken.begin(), taken.end(), p) == taken.end())
            rest.push_back(p);
    PersonRecord* kept = taken.front();
    mergeDuplicates(document_, *kept, {taken.begin() + 1, taken.end()}, clock_.stampNow());
    replaceGroup(row, rest);
    if (merged_)
        merged_(kept);
}

void DuplicatesDialog::Button_FarkliClick() {
    const int row = List_Groups->currentRow();
    if (row < 0)
        return;
    markDifferent(document_, groups_[size_t(row)].members);
    replaceGroup(row, {});
}
