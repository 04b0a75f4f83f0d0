#include "store/LoadedFile.h"

#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"


std::unique_ptr<LoadedFile> LoadedFile::read(const QString& path,
                                             const PasswordSource& password) {
    RecordFileData data = readRecordFile(path, password);
    if (data.error)
        throw ZilvarenError(*data.error);
    return fromData(data);
}

std::unique_ptr<LoadedFile> LoadedFile::fromData(RecordFileData& data) {
    auto file = std::make_unique<LoadedFile>();
    GroupNode* group = data.groupToSelect;
    const std::optional<QString> recordNo = data.focusedRecordNo;
    file->document.load(data);
    file->document.groups().setFocusedGroup(group);
    file->document.persons().setFocusedPerson(file->document.personToFocus(recordNo));
    return file;
}

void LoadedFile::save(const QString& path) const {
    saveRecordFile(path, document.compose(), document.fileKey().get());
}
