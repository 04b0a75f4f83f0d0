#pragma once

#include "search/PersonSearch.h"
#include "store/RecordFile.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class RecordDocument;
struct PersonRecord;

// The find dialog "Find Text Dialog": searches all persons in the ticked
// fields and takes the user to a result.
class TForm_Find : public QDialog {
    Q_OBJECT
public:
    TForm_Find(RecordDocument& document, QWidget* parent = nullptr);

    // Shows a person in the main window (its group focused, it selected).
    void setJump(std::function<void(PersonRecord*)> jump) { jump_ = std::move(jump); }

    void Button_FindClick();
    void CheckBox_TamamiClick();
    void CheckBox_IDClick(QCheckBox* sender);
    void VSTDblClick();
    void VSTHeaderClick(int column);
    // "Yeni Dosya": no results, no words, no ticks.
    void clearAll();

    QComboBox* ComboBox_Find;
    QPushButton* Button_Find;
    std::array<QCheckBox*, FindCheckCount> checks; // indexed by FindCheck
    QLabel* Label_Count;
    QTreeWidget* VST;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // The persons changed under the results (a merge, an undo): the last
    // search runs again, without being remembered once more.
    void refreshResults();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFileState();
    void storeChecks();
    void showRows(const std::vector<SearchRow>& rows);

    RecordDocument& document_;
    std::function<void(PersonRecord*)> jump_;
    // The word the results were found with.
    QString shownWord_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
