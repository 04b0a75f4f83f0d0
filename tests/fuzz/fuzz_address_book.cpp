// Any bytes as an address-book export: no crash, and every person made
// has the fields a record file can hold.
#include "interchange/AddressBookImport.h"
#include "platform/Clock.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    static const ManualClock clock(QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
    const AddressBookRead read = readAddressBook(buffer, QStringLiteral("Aile"), clock);
    for (const auto& p : read.persons)
        if (p->FirstName.contains(QLatin1Char('\r')) || p->Surname.contains(QLatin1Char('\n')))
            __builtin_trap();
    return 0;
}
