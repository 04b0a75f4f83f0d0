#pragma once

#include "store/RecordFileReader.h"

#include <functional>
#include <memory>
#include <vector>

// What a command changes in a file while it is rewritten.
struct RecordFileEdit {
    // Changes each person as it is read (the bulk tools).
    std::function<void(PersonRecord&)> person;
    // The persons to add at the end (imports), given the file as read; may
    // add the group they go into. Throws ZilvarenError to write nothing.
    std::function<std::vector<std::unique_ptr<PersonRecord>>(RecordFileData&)> append;
};

// How the file written is protected: as the file read (the default), with
// another key, or not at all.
struct TargetProtection {
    std::shared_ptr<const FileKey> key; // used instead of the key read
    bool plain = false;                 // written plain whatever was read
};

// Reads source and saves it to target, with the same bytes as reading it
// into a LoadedFile, changing that and saving it, but without keeping the
// persons: each block is written as it is read, and the header, which
// needs the whole file, is put before them at the end. editing makes the
// edit of one reading (a file may be read twice). A protected source is
// opened with password and written with its key again unless protection
// says otherwise. Nothing is written unless the whole file could be read;
// throws ZilvarenError.
void rewriteRecordFile(const QString& source, const QString& target,
                       const std::function<RecordFileEdit()>& editing = {},
                       const PasswordSource& password = {},
                       const TargetProtection& protection = {});
