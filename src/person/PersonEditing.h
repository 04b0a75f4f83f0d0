#pragma once

#include "store/RecordDocument.h"

#include <QObject>

#include <functional>
#include <optional>

class Clock;
class GroupTreeView;
class PersonEditor;
class PersonListView;
class Prompts;
class QAction;

// Adding, editing and deleting persons: the window's editing state and
// the five commands that drive it.
class PersonEditing : public QObject {
    Q_OBJECT
public:
    PersonEditing(PersonEditor& pages, RecordDocument& document, PersonListView& list,
                  GroupTreeView& groups, Prompts& prompts, Clock& clock, QObject* parent = nullptr);

    QAction* SB_Ekle;
    QAction* SB_Duzelt;
    QAction* SB_Sil;
    QAction* SB_Tamam;
    QAction* SB_Iptal;
    // Esc: cancels at once when nothing was changed, else asks first.
    QAction* EscapeCancel;

    bool isEditing() const;

    void SB_EkleClick();
    void SB_DuzeltClick();
    void SB_SilClick();
    void SB_TamamClick();
    void SB_IptalClick();
    // The window locks during an edit: the edit ends without a step, and
    // the pictures it copied in stay on disk, since the recovery file the
    // lock wrote names them.
    void setAside();
    void escapePressed();
    // A detail control changed: the first change in viewing mode starts an
    // edit of the focused person, or an add when none is focused.
    void Edit_Change();
    // A contact or picture command changed the pages: an edit of the
    // focused person starts (a message says when none is focused), and the
    // change counts as typed work.
    void commandChangedPages();
    void ComboBox_SexChange(int index);
    void SB_SexClick();
    // The focused person changed.
    void VSTChange(PersonRecord* person);

    // What "Tamam" would store now, unchecked; nullopt when no add or edit
    // is open. *replaces is the record it would overwrite (nullptr: a new
    // person).
    std::optional<PersonRecord> pendingRecord(const PersonRecord** replaces) const;

    // A "Yeni Grup" for a person added while the tree is empty.
    void createFirstGroup();
    // What the picture commands did on disk during the add or edit, handed
    // to the step "Tamam" makes.
    void setPictureChanges(std::function<RecordDocument::PictureChange()> take) {
        takePictureChanges_ = std::move(take);
    }

Q_SIGNALS:
    // The whole window is locked while an add or edit is open.
    void lockChanged(bool locked);
    // An add or edit ended: stored with "Tamam", or discarded.
    void editConfirmed();
    void editCancelled();

private:
    void LockForEditing();
    void endEdit();
    void UnlockAfterEditing();
    void connectChangeNotifications();
    void upperCaseEntry(class QLineEdit* edit);
    void leaveHistoryKeysToTheWindow();
    void store(PersonRecord& p, bool adding) const;

    PersonEditor& pages_;
    RecordDocument& document_;
    PersonListView& list_;
    GroupTreeView& groups_;
    Prompts& prompts_;
    Clock& clock_;
    // The person an edit changes, fixed when the edit starts: whatever the
    // list shows later, "Tamam" writes into this record.
    PersonRecord* editTarget_ = nullptr;
    // Anything typed or chosen since the add or edit started.
    bool changedDuringEdit_ = false;
    std::function<RecordDocument::PictureChange()> takePictureChanges_;
};
