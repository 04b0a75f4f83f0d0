#include "interchange/XlsxExport.h"

#include "interchange/CsvExport.h"
#include "interchange/VCardWriter.h"
#include "platform/Prompts.h"
#include "store/BirthDate.h"
#include "store/PersonTexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace {

const QString kFailure = QStringLiteral("\"%1\" Excel dosyası yazılamadı.");

constexpr int kGroupColumn = 9;
constexpr int kDateColumn = 18;
constexpr int kNotesColumn = 25;
// Excel's limits: characters in a cell, rows on a sheet.
constexpr qsizetype kMaxCellText = 32767;
constexpr int kMaxPersons = int(LXW_ROW_MAX) - 1;
// A column is never made wider than this many characters.
constexpr int kMaxWidth = 60;
// Excel counts days from 30.12.1899 as birth dates do, but only from
// 1 March 1900 on: its calendar holds a 29 February 1900.
constexpr double kFirstExcelDate = 61;

ZilvarenError workbookError(const QString& path, const QString& step, lxw_error error) {
    return ZilvarenError(kFailure.arg(QDir::toNativeSeparators(path)) + u'\r' + step +
                         QStringLiteral(": ") + QString::fromUtf8(lxw_strerror(error)));
}

} // namespace

struct XlsxFile::Book {
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* date = nullptr;
    QByteArray fileName;
    ~Book() {
        // An unfinished workbook is closed into the temporary folder,
        // which goes with it.
        if (workbook)
            workbook_close(workbook);
    }
};

XlsxFile::XlsxFile(const QString& path)
    : file_(path), folder_(std::make_unique<QTemporaryDir>()), book_(std::make_unique<Book>()) {
    if (!file_.open())
        throw file_.error(kFailure);
    if (!folder_->isValid())
        throw ZilvarenError(kFailure.arg(QDir::toNativeSeparators(path)) +
                            QStringLiteral("\rGeçici klasör oluşturulamadı: ") +
                            folder_->errorString());
    QByteArray tmp = QFile::encodeName(folder_->path());
    book_->fileName = QFile::encodeName(folder_->filePath(QStringLiteral("kisiler.xlsx")));
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmp.data();
    book_->workbook = workbook_new_opt(book_->fileName.constData(), &options);
    if (book_->workbook)
        book_->sheet = workbook_add_worksheet(book_->workbook, "Kişiler");
    if (!book_->sheet)
        throw ZilvarenError(kFailure.arg(QDir::toNativeSeparators(path)) +
                            QStringLiteral("\rGeçici Excel dosyası oluşturulamadı."));
    lxw_format* bold = workbook_add_format(book_->workbook);
    format_set_bold(bold);
    book_->date = workbook_add_format(book_->workbook);
    format_set_num_format(book_->date, "dd.mm.yyyy");
    worksheet_freeze_panes(book_->sheet, 1, 0);
    const QStringList heads = kExportHeading.split(u';');
    for (int c = 0; c < int(heads.size()); ++c) {
        const QByteArray head = heads[c].toUtf8();
        worksheet_write_string(book_->sheet, 0, lxw_col_t(c), head.constData(), bold);
        widths_[size_t(c)] = int(heads[c].size()) + 2;
    }
    widths_[kDateColumn] = std::max(widths_[kDateColumn], 12);
}

XlsxFile::~XlsxFile() = default;

void XlsxFile::writeText(int column, QStringView text) {
    if (text.isEmpty())
        return;
    const QStringView cell = text.first(std::min(text.size(), kMaxCellText));
    int longest = int(cell.size());
    if (cell.contains(u'\n')) {
        longest = 0;
        for (const QStringView line : cell.tokenize(u'\n'))
            longest = std::max(longest, int(line.size()));
    }
    widths_[size_t(column)] = std::max(widths_[size_t(column)], std::min(longest + 2, kMaxWidth));
    utf8_.resize(cell.size() * 3 + 1);
    char* end = utf8Encoder_.appendToBuffer(utf8_.data(), cell);
    *end = 0;
    worksheet_write_string(book_->sheet, lxw_row_t(rows_), lxw_col_t(column), utf8_.constData(),
                           nullptr);
}

void XlsxFile::add(const PersonRecord& p) {
    if (rows_ == kMaxPersons)
        throw ZilvarenError(
            kFailure.arg(QDir::toNativeSeparators(file_.path())) +
            QStringLiteral("\rExcel bir sayfada en çok %1 kişi tutar.").arg(kMaxPersons));
    ++rows_;
    exportValuesInto(p, values_);
    const QStringList& values = values_;
    for (int c = 0; c < int(values.size()); ++c) {
        if (c == kGroupColumn) {
            // Persons share their groups: each title is made once.
            auto title = groupTitles_.constFind(p.GroupPath);
            if (title == groupTitles_.cend())
                title = groupTitles_.insert(p.GroupPath, groupTitle(p.GroupPath));
            writeText(c, *title);
        } else if (c == kNotesColumn) {
            writeText(c, p.Notes.join(u'\n'));
        } else if (c == kDateColumn && p.BirthDate >= kFirstExcelDate) {
            worksheet_write_number(book_->sheet, lxw_row_t(rows_), lxw_col_t(c),
                                   double(qint64(p.BirthDate)), book_->date);
        } else {
            // The semicolon export's blank between two empty address lines
            // is no value of a cell.
            writeText(c, QStringView(values[c]).trimmed());
        }
    }
}

int XlsxFile::commit() {
    for (size_t c = 0; c < widths_.size(); ++c)
        worksheet_set_column(book_->sheet, lxw_col_t(c), lxw_col_t(c), widths_[c], nullptr);
    const lxw_error closed = workbook_close(book_->workbook);
    book_->workbook = nullptr;
    if (closed != LXW_NO_ERROR)
        throw workbookError(file_.path(), QStringLiteral("Geçici Excel dosyası yazılamadı"),
                            closed);
    QFile made(QFile::decodeName(book_->fileName));
    if (!made.open(QIODevice::ReadOnly))
        throw ZilvarenError(kFailure.arg(QDir::toNativeSeparators(file_.path())) +
                            QStringLiteral("\rGeçici Excel dosyası okunamadı: ") +
                            made.errorString());
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = made.read(piece.data(), piece.size());
        if (n < 0)
            throw ZilvarenError(kFailure.arg(QDir::toNativeSeparators(file_.path())) +
                                QStringLiteral("\rGeçici Excel dosyası okunamadı: ") +
                                made.errorString());
        if (n == 0)
            break;
        file_.write(piece.constData(), n);
    }
    if (!file_.commit())
        throw file_.error(kFailure);
    return rows_;
}

int writeXlsxFile(const QString& path, const std::vector<const PersonRecord*>& persons) {
    XlsxFile file(path);
    forEachRecord(persons, [&file](const PersonRecord& p) { file.add(p); });
    return file.commit();
}

QString xlsxExportMessage(const QString& path, int persons) {
    return QStringLiteral("%1 kişi \"%2\" Excel dosyasına aktarıldı.")
        .arg(persons)
        .arg(QDir::toNativeSeparators(path));
}

void runXlsxExport(Prompts& prompts, const XlsxExportSource& source,
                   const std::function<void(bool)>& busy) {
    const std::optional<std::vector<const PersonRecord*>> persons =
        exportedPersons(prompts, source.persons, source.focusedGroupPath);
    if (!persons)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Excel Olarak Dışa Aktar");
    request.filter = kXlsxFileFilter;
    request.defaultSuffix = QStringLiteral("xlsx");
    request.directory = source.directory;
    request.fileName = QStringLiteral("Kisiler.xlsx");
    const auto path = prompts.saveFileName(request);
    if (!path || !mayReplaceFile(prompts, *path))
        return;
    int written = 0;
    try {
        busy(true);
        written = writeXlsxFile(*path, *persons);
        busy(false);
    } catch (const ZilvarenError& e) {
        busy(false);
        prompts.showError(e.message());
        return;
    }
    prompts.showMessage(xlsxExportMessage(*path, written));
}
