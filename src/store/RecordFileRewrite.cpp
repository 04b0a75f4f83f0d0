#include "store/RecordFileRewrite.h"

#include "store/ProtectedFile.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"
#include "store/RecordFileWriter.h"

#include <QFileInfo>
#include <QIODevice>

void rewriteRecordFile(const QString& source, const QString& target,
                       const std::function<RecordFileEdit()>& editing,
                       const PasswordSource& password, const TargetProtection& protection) {
    // The person to focus is the first that has the record number the file
    // names, else the first of all. The number comes before the persons in
    // every file this program writes; a file that names it later, or names
    // another among its persons, is read a second time, with the number
    // the first reading learnt.
    std::optional<std::optional<QString>> learnt;
    for (;;) {
        const RecordFileEdit edit = editing ? editing() : RecordFileEdit{};
        RecordFileWriter body;
        // The written file is about as large as the one read; the room to
        // spare, for imported persons, costs nothing until it is used.
        const qint64 size = QFileInfo(source).size();
        body.reserve(size + size / 4 + (1 << 20));
        std::optional<QString> first, focused, comparedWith;
        bool numberMoved = false;
        RecordFileData data =
            readRecordFile(source, [&](PersonRecord& p, const RecordFileData& before) {
                const std::optional<QString>& wanted = learnt ? *learnt : before.focusedRecordNo;
                if (!first)
                    comparedWith = wanted;
                else if (wanted != comparedWith)
                    numberMoved = true;
                const bool isFocused = !focused && comparedWith && p.RecordNo == *comparedWith;
                if (edit.person)
                    edit.person(p);
                if (!first)
                    first = p.RecordNo;
                if (isFocused)
                    focused = p.RecordNo;
                body.person(p);
            },
                           password);
        if (data.error)
            throw ZilvarenError(*data.error);
        if (!learnt && first && (numberMoved || data.focusedRecordNo != comparedWith)) {
            learnt = data.focusedRecordNo;
            continue;
        }
        if (edit.append)
            for (const auto& p : edit.append(data))
                body.person(*p);
        body.trailer();
        if (!focused)
            focused = first;
        FindState find;
        FileSettings settings;
        mergeFileState(data, find, settings);
        RecordFileWriter head;
        head.header(focused ? &*focused : nullptr, *data.groups, data.groupToSelect, find, settings,
                    data.differentPersons);
        const FileKey* key = protection.plain ? nullptr
                             : protection.key ? protection.key.get()
                                              : data.key.get();
        saveRecordFile(
            target,
            [&head, &body](QIODevice& out) {
                return out.write(head.bytes().data(), head.bytes().size()) == head.bytes().size() &&
                       out.write(body.bytes().data(), body.bytes().size()) == body.bytes().size();
            },
            key);
        return;
    }
}
