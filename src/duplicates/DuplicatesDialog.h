#pragma once

#include "duplicates/DuplicateSearch.h"

#include <QDialog>

#include <functional>
#include <vector>

class Clock;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class RecordDocument;
class ComparisonModel;
struct PersonRecord;

// "Mükerrer Kayıtlar": the groups of likely duplicates, one group's
// persons side by side with the merged person, and the merge or the
// word that they are different persons.
class DuplicatesDialog : public QDialog {
    Q_OBJECT
public:
    DuplicatesDialog(RecordDocument& document, const Clock& clock, QWidget* parent = nullptr);
    ~DuplicatesDialog() override;

    // After a merge: the person kept, and where the dropped ones were.
    using Merged = std::function<void(PersonRecord* kept)>;
    void setMerged(Merged merged) { merged_ = std::move(merged); }

    // Looks for the groups, with a progress bar when that takes long;
    // false when the user stopped it.
    bool findGroups();
    int groupCount() const { return int(groups_.size()); }

    void Button_BirlestirClick();
    void Button_FarkliClick();

    QListWidget* List_Groups;
    QTableView* Table_Compare;
    QComboBox* Combo_Keep;
    QListWidget* List_Members;
    QLabel* Label_Count;
    QPushButton* Button_Birlestir;
    QPushButton* Button_Farkli;
    QPushButton* Button_Kapat;

private:
    struct Group {
        std::vector<PersonRecord*> members;
        unsigned reasons = 0;
    };
    std::vector<Group> groupsOf(const std::vector<PersonRecord*>& persons) const;
    void showGroups(int current);
    void showGroup();
    void keep(int member);
    void showPreview();
    // The group's persons ticked for the merge, the kept one first.
    std::vector<PersonRecord*> chosen() const;
    // The group at row gives way to what is left of it.
    void replaceGroup(int row, const std::vector<PersonRecord*>& rest);

    RecordDocument& document_;
    const Clock& clock_;
    Merged merged_;
    std::vector<Group> groups_;
    ComparisonModel* comparison_;
};
