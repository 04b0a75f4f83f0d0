#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a column of a table goes to.
enum class TableField {
    None,
    FirstName,
    Surname,
    FullName, // split at its last blank into first name and surname
    BirthDate,
    BirthPlace,
    Sex,
    MaritalStatus,
    HomeAddress1,
    HomeAddress2,
    HomeCity,
    HomePostCode,
    Firm,
    Department,
    Profession,
    WorkAddress1,
    WorkAddress2,
    WorkCity,
    WorkPostCode,
    Notes,
    // Contact entries, one per column, of these kinds.
    Ev,
    Is,
    Gsm,
    Fax,
    Mail,
    Web,
};
inline constexpr int kTableFieldCount = int(TableField::Web) + 1;

// How the dialog names a field ("Telefon: GSM"), and how the command line
// does ("GSM"; "-" for none).
QString fieldTitle(TableField field);
QString fieldCode(TableField field);
// A field by its code or title, letter case and Turkish letters aside;
// nullopt for none of them.
std::optional<TableField> fieldNamed(const QString& name);

struct ColumnMapping {
    TableField field = TableField::None;
    // For a telephone: the column whose value names the kind ("Mobile",
    // "Work", "Home Fax"...) where it names one; -1 for none.
    int kindColumn = -1;
};
using TableMapping = std::vector<ColumnMapping>; // one per column of the header

// The mapping the header suggests: Google Contacts' and Outlook's column
// names, the semicolon export's and the usual Turkish ones. Columns of
// several fields of one kind (Given Name and Additional Name) go to one
// field, joined by a blank.
TableMapping guessMapping(const QStringList& header);

// Applies one --map COLUMN=FIELD: COLUMN is a header (letter case aside)
// or a column number from 1. Throws ZilvarenError for a column or field
// that is not there.
void applyMapOption(TableMapping& mapping, const QStringList& header, const QString& option);

// One line per column, "number TAB header TAB field code", and TAB "tür:
// header" for a telephone whose kind comes from another column.
QStringList mappingLines(const TableMapping& mapping, const QStringList& header);
// "Telefon: Ev (türü \"Phone 1 - Type\" sütunundan)" for a dialog.
QString mappingTitle(const ColumnMapping& mapping, const QStringList& header);

// A header or a value as compared: upper case, the Turkish letters as
// their plain stand-ins, punctuation as one blank ("E-posta" is "E POSTA").
QString foldedName(QStringView text);
