#pragma once

#include "sync/CardDavClient.h"
#include "sync/SyncState.h"

#include <QStringList>

#include <functional>
#include <optional>

class Clock;
class RecordDocument;

// The group a card and a person that both changed meet in: the person
// stays as it is, the card becomes a second person here.
inline const QString kConflictGroup = QStringLiteral("Çakışmalar");

struct SyncReport {
    int sent = 0;         // cards written to the server
    int received = 0;     // persons added or changed from the server
    int deletedHere = 0;  // persons removed: their cards were deleted
    int deletedThere = 0; // cards deleted: their persons were
    int conflicts = 0;    // cards kept as second persons in kConflictGroup
    QStringList untaken;  // cards the file cannot hold, by name and reason

    // "Gönderilen 3, alınan 1, ..." in one line.
    QString summary() const;
};

// Where the sync goes and how it asks what it cannot decide.
struct SyncTarget {
    QUrl server;         // the address the user gave
    QString newBookName; // for a book made where the user has none
    // Several books: the index of the one to use, nullopt to stop.
    std::function<std::optional<int>(const std::vector<AddressBook>&)> chooseBook;
    // What is being done, for a progress note.
    std::function<void(const QString&)> onStep;
};

// One two-way sync of a document with an address book. Whatever the
// server is told is decided first; the document is changed only at the
// end, in one go, so a sync that fails part way leaves it as it was (the
// next sync finds what was written and goes on without a duplicate). The
// caller saves the document, then the state.
class SyncEngine {
public:
    SyncEngine(CardDavClient& dav, RecordDocument& document, SyncState& state, const Clock& clock,
               QString pictureFolder);
    // Throws SyncError; the document and the state are then as they were.
    SyncReport run(const SyncTarget& target);

private:
    struct Run;
    CardDavClient& dav_;
    RecordDocument& document_;
    SyncState& state_;
    const Clock& clock_;
    QString pictureFolder_;
};
