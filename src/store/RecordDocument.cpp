#include "store/RecordDocument.h"

#include "store/DocumentSteps.h"
#include "store/RecordFileWriter.h"

#include <algorithm>
#include <exception>

namespace {

// The history holds at least this many steps.
constexpr int kHistorySteps = 200;

} // namespace

RecordDocument::RecordDocument(QObject* parent) : QObject(parent) {
    history_.setUndoLimit(kHistorySteps);
    connect(&history_, &QUndoStack::cleanChanged, this, &RecordDocument::announceModified);
}

RecordDocument::~RecordDocument() {
    closeHistory();
}

void RecordDocument::announceModified() {
    if (isModified() == announcedModified_)
        return;
    announcedModified_ = isModified();
    Q_EMIT modifiedChanged(announcedModified_);
}

void RecordDocument::markSaved() {
    history_.setClean();
    unsavedOutsideHistory_ = false;
    savedPictures_ = currentPictures();
    sweepPictures(false);
    announceModified();
}

void RecordDocument::markUnsaved() {
    unsavedOutsideHistory_ = true;
    announceModified();
}

void RecordDocument::endHistory() {
    const bool modified = !history_.isClean();
    history_.clear();
    if (modified)
        history_.resetClean();
    sweepPictures(false);
    announceModified();
}

// -- steps

RecordDocument::Step::Step(RecordDocument& document, const QString& text)
    : document_(document), outermost_(!document.open_), exceptions_(std::uncaught_exceptions()) {
    if (outermost_)
        document_.open_ = new DocumentStep(document_, text);
}

RecordDocument::Step::~Step() {
    if (!outermost_)
        return;
    DocumentStep* step = std::exchange(document_.open_, nullptr);
    if (std::uncaught_exceptions() > exceptions_) {
        // What the step did so far goes back; no picture of it is touched.
        step->undo();
        step->copiedPictures.clear();
        step->droppedPictures.clear();
        delete step;
        return;
    }
    if (step->childCount() == 0) {
        delete step;
        return;
    }
    document_.history_.push(step);
    // Pushing may have ended steps: the ones undone before, and the oldest.
    document_.sweepPictures(false);
}

void RecordDocument::Step::touch(PersonRecord* person, GroupNode* group) {
    DocumentStep& s = step();
    if (!s.person && !s.group) {
        s.person = person;
        s.group = group;
    }
}

DocumentStep& RecordDocument::Step::step() {
    return *document_.open_;
}

void RecordDocument::retraced(const DocumentStep& step) {
    PersonRecord* person = step.person && persons_.listPosition(step.person) >= 0 ? step.person
                                                                                  : nullptr;
    GroupNode* group = step.group && groups_.contains(step.group) ? step.group : nullptr;
    Q_EMIT historyMoved(person, group, step.membersChanged);
}

// -- pictures

QStringList RecordDocument::currentPictures() const {
    QStringList entries;
    persons_.forEachPerson([&entries](const PersonRecord& p) { entries += p.Pictures; });
    return entries;
}

// Steps end inside the history's own calls; what they leave is looked at
// once those are through.
void RecordDocument::releasePictures(const QStringList& entries) {
    pictureCandidates_ += entries;
}

// A file goes only when nothing can bring its entry back: not the persons
// now (unless the file is being closed), not the file on disk, not a step
// that is still in the history.
void RecordDocument::sweepPictures(bool closing) {
    if (pictureCandidates_.isEmpty() || !pictureRemover_)
        return;
    QStringList keep = savedPictures_;
    if (!closing)
        keep += currentPictures();
    for (int i = 0; i < history_.count(); ++i) {
        const auto* step = static_cast<const DocumentStep*>(history_.command(i));
        keep += step->copiedPictures + step->droppedPictures;
    }
    pictureCandidates_ = pictureRemover_(pictureCandidates_, keep);
}

void RecordDocument::closeHistory() {
    history_.clear();
    sweepPictures(true);
    pictureCandidates_.clear();
    unsavedOutsideHistory_ = false;
    announceModified();
}

// -- opening

void RecordDocument::load(RecordFileData& data) {
    closeHistory();
    groups_.setRoot(std::move(data.groups));
    data.groups = std::make_unique<GroupNode>();
    persons_.setPersons(std::move(data.persons));
    data.persons.clear();

    mergeFileState(data, find_, settings_);
    differentPersons_ = std::move(data.differentPersons);
    data.differentPersons.clear();
    fileKey_ = data.key;
    Q_EMIT protectionChanged();
    savedPictures_ = currentPictures();
    Q_EMIT fileStateLoaded();
}

void RecordDocument::clearRecords() {
    closeHistory();
    persons_.clear();
    groups_.clear();
    differentPersons_.clear();
    fileKey_.reset();
    savedPictures_.clear();
    Q_EMIT protectionChanged();
}

void RecordDocument::clearForLock() {
    savedPictures_ += currentPictures();
    clearRecords();
}

void RecordDocument::protect(std::shared_ptr<const FileKey> key) {
    fileKey_ = std::move(key);
    markUnsaved();
    Q_EMIT protectionChanged();
}

QByteArray RecordDocument::compose(QString* unencodable) const {
    const std::vector<const PersonRecord*> all = persons_.allPersons();
    const RecordFileSnapshot snapshot{all,
                                      groups_.root(),
                                      persons_.focusedPerson(),
                                      groups_.focusedGroup(),
                                      find_,
                                      settings_,
                                      differentPersons_};
    return composeRecordFile(snapshot, unencodable);
}

QByteArray RecordDocument::compose(const std::vector<const PersonRecord*>& persons,
                                   const PersonRecord* focusedPerson) const {
    const RecordFileSnapshot snapshot{persons,   groups_.root(), focusedPerson,
                                      groups_.focusedGroup(), find_, settings_,
                                      differentPersons_};
    return composeRecordFile(snapshot);
}

PersonRecord* RecordDocument::personToFocus(const std::optional<QString>& recordNo) const {
    if (persons_.personCount() == 0)
        return nullptr;
    if (recordNo)
        for (int i = 0; i < persons_.personCount(); ++i)
            if (persons_.personAt(i)->RecordNo == *recordNo)
                return persons_.personAt(i);
    return persons_.personAt(0);
}
