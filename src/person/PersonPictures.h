#pragma once

#include "person/PictureFiles.h"

#include <QObject>

class PersonEditing;
class PersonEditor;
class PersonListView;
class Prompts;
class RecordDocument;

// The picture commands of the shown person: adding copies the file beside
// the record file, deleting takes the entry out of the list. What happens
// on disk waits for the end of the edit: "Tamam" hands it to the edit's
// step of the history (a file goes only once no step can bring its entry
// back and the file on disk does not name it), "İptal" takes back the
// copies no person names.
class PersonPictures : public QObject {
    Q_OBJECT
public:
    PersonPictures(PersonEditor& pages, PersonEditing& editing, PersonListView& list,
                   RecordDocument& document, Prompts& prompts, QObject* parent = nullptr);

    void SB_ResimEkleClick();
    void SB_ResimSilClick();
    // The user chose another picture.
    void ComboBox_ObjeChange();

private:
    void startEdit();
    QStringList everyPersonsEntries() const;

    PersonEditor& pages_;
    PersonEditing& editing_;
    PersonListView& list_;
    RecordDocument& document_;
    Prompts& prompts_;
    pictures::PendingFiles pending_;
};
