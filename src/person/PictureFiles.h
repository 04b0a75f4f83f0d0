#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

// Where a person's picture entries live on disk, and what adding and
// deleting pictures may do there. Entries are kept as the record has
// them; pictures live beside the record file.
namespace pictures {

// The seven kinds of file offered when adding, as the file dialog's filter
// (description and patterns in pairs).
QString openDialogFilter();

// The file an entry names, or an empty string when none exists. A bare
// name is taken from the folder; '\' and '/' both separate folders; each
// part of the path that does not exist as written is matched without
// regard to case.
QString resolve(const QString& folder, const QString& entry);

// The name under which a file called fileName is copied into a folder:
// photo.jpg, else photo1.jpg, photo2.jpg... - the first that is neither in
// the person's list nor in the folder, compared without regard to case.
QString numberedName(const QString& fileName, const QStringList& personEntries,
                     const QStringList& folderEntries);

// Whether deleting an entry may delete its file: only a bare name of a
// picture file, never a path, "..", or a file of another kind (the record
// file lies in the same folder).
bool mayDeleteFile(const QString& entry);

// Where a picture of naturalSize is shown in a frame of frameSize: pictures
// that reach the frame's inner size (3 pixels less) are scaled down to it,
// keeping their proportions; smaller ones keep their size. Centred.
QRect fitIntoFrame(const QSize& naturalSize, const QSize& frameSize);

// Deletes the files of candidates that no entry of keep reaches (compared
// as the files they reach); a path, a file of another kind or a missing
// file is never touched. Returns the candidates kept because an entry
// still names them.
QStringList deleteUnnamed(const QString& folder, const QStringList& candidates,
                          const QStringList& keep);

// The file changes of one add or edit: files copied in, and entries taken
// out of the person's list. Confirmed, they go with the edit's step of the
// history, which deletes them only once nothing can bring them back;
// cancelled, the copies no person names are taken back at once.
class PendingFiles {
public:
    // Every entry of every person, as they stand after the edit ended.
    using AllEntries = std::function<QStringList()>;
    struct Changes {
        QStringList copied;
        QStringList removed;
    };

    void copiedIn(const QString& name) { copied_.append(name); }
    void removedFromList(const QString& entry) { removed_.append(entry); }
    bool isEmpty() const { return copied_.isEmpty() && removed_.isEmpty(); }

    Changes take();
    void cancelled(const QString& folder, const AllEntries& entries);

private:
    QStringList copied_;
    QStringList removed_;
};

} // namespace pictures
