// Any bytes as a table: no crash, whatever the encoding found, with the
// guessed mapping and with every field taking a column; nothing of a
// person holds a line break, which would end its line in the record file.
#include "interchange/TableImport.h"
#include "platform/Clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Table table =
        decodeTable(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    static const ManualClock clock(QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
    TableMapping every = guessMapping(table.header);
    for (size_t c = 0; c < every.size(); ++c)
        every[c] = {TableField(int(c % kTableFieldCount)), c > 0 ? int(c) - 1 : -1};
    for (const TableMapping& mapping : {guessMapping(table.header), every}) {
        TableImportPlan plan = planTableImport(table, mapping, QStringLiteral("Aile"), 1, clock);
        replaceUnencodable(plan);
        for (const auto& p : plan.persons) {
            QStringList texts = p->Contacts + p->Notes;
            texts << p->FirstName << p->Surname << p->BirthPlace << p->HomeAddress1
                  << p->HomeAddress2 << p->HomeCity << p->HomePostCode << p->Firm << p->Department
                  << p->Profession << p->WorkAddress1 << p->WorkAddress2 << p->WorkCity
                  << p->WorkPostCode;
            for (const QString& text : texts)
                if (text.contains(u'\r') || text.contains(u'\n'))
                    __builtin_trap();
        }
    }
    return 0;
}
