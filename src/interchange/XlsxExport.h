#pragma once

#include "platform/Allocator.h"
#include "platform/SafeFile.h"
#include "store/PersonRecord.h"

#include <QHash>
#include <QString>
#include <QStringEncoder>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class Prompts;
class QTemporaryDir;

inline const QString kXlsxFileFilter = QStringLiteral("Excel dosyaları (*.xlsx)|*.xlsx");

// The persons as an Excel workbook: the columns of the semicolon export,
// a bold header row that stays in view, birth dates as dates, every other
// value as text (so a record number or a telephone number keeps its
// leading 0), the group as "Aile / Kuzenler", and columns as wide as their
// values. libxlsxwriter puts the rows into a temporary file as they come
// (its constant-memory mode); the finished workbook then goes to path
// through a SafeFile, so a failure leaves a file of that name as it was
// and names the step. Throws ZilvarenError with the message to show.
class XlsxFile {
public:
    explicit XlsxFile(const QString& path);
    ~XlsxFile();
    XlsxFile(const XlsxFile&) = delete;
    XlsxFile& operator=(const XlsxFile&) = delete;

    void add(const PersonRecord& person);
    // The number of persons written.
    int commit();

private:
    struct Book;
    void writeText(int column, QStringView text);

    ReusedSmallBlocks reuse_;
    SafeFile file_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<Book> book_;
    QStringEncoder utf8Encoder_{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray utf8_;
    QHash<QString, QString> groupTitles_;
    QStringList values_; // a person's, their room kept for the next

    std::array<int, 26> widths_{};
    int rows_ = 0;
};

// Writes the persons to path; the number written.
int writeXlsxFile(const QString& path, const std::vector<const PersonRecord*>& persons);

// The message after writing path.
QString xlsxExportMessage(const QString& path, int persons);

// What "Excel Olarak Dışa Aktar…" works on.
struct XlsxExportSource {
    std::vector<const PersonRecord*> persons; // all, in list order
    QString focusedGroupPath;                 // empty when no group is focused
    QString directory;                        // where the save dialog starts
};

// The whole command: which persons (the focused group or all), the save
// dialog, the question before a file is replaced, writing, the message.
// The wait while it writes is told through busy (true, then false).
void runXlsxExport(Prompts& prompts, const XlsxExportSource& source,
                   const std::function<void(bool)>& busy);
