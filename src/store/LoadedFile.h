#pragma once

#include "store/RecordDocument.h"
#include "store/RecordFileReader.h"

#include <memory>
#include <vector>

// A record file read whole, with the person and group it was saved with
// focused in its models (the file's "1 IDNO " person or the first; its
// header group). This is how the command-line tool opens and saves files.
struct LoadedFile {
    RecordDocument document;

    // Throws ZilvarenError when the file is missing, unreadable or reading
    // stopped at a malformed line; a protected file is opened with password.
    static std::unique_ptr<LoadedFile> read(const QString& path,
                                            const PasswordSource& password = {});
    // The same from a file that was read (whatever it held, error or not).
    static std::unique_ptr<LoadedFile> fromData(RecordFileData& data);
    // Saves as the program's save does (backup kept as ".BAK").
    void save(const QString& path) const;
};
