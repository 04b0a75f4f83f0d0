#pragma once

#include <QStringList>

// zilvaren-cli import FILE.qdb ADDRESSBOOK.txt [--group PATH] -o OUT.qdb
// args exclude the command word; returns the exit code.
int runImportCommand(const QStringList& args);

// zilvaren-cli export FILE.qdb [-o Export.csv]
int runExportCommand(const QStringList& args);

// zilvaren-cli import-vcard FILE.qdb CARDS.vcf [--group PATH] [--replace-unencodable] -o OUT.qdb
int runImportVCardCommand(const QStringList& args);

// zilvaren-cli export-vcard FILE.qdb [--group PATH] [--photos] -o CARDS.vcf
int runExportVCardCommand(const QStringList& args);

// zilvaren-cli import-csv FILE.qdb IN.csv [--map COLUMN=FIELD ...] [--group PATH]
//     [--replace-unencodable] -o OUT.qdb | --show-map
int runImportCsvCommand(const QStringList& args);

// zilvaren-cli export-xlsx FILE.qdb [--group PATH] -o OUT.xlsx
int runExportXlsxCommand(const QStringList& args);

// zilvaren-cli export-ics FILE.qdb -o OUT.ics
int runExportIcsCommand(const QStringList& args);
