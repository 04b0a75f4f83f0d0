#include "interchange/TableImportFlow.h"

#include "interchange/AddressBookImport.h"
#include "interchange/VCardImport.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "store/RecordDocument.h"

#include <QDir>

void runTableImport(Prompts& prompts, const TableImportTarget& target) {
    if (target.document.groups().isEmpty()) {
        prompts.showMessage(kImportNeedsGroupMessage);
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Tablo İçe Aktar");
    request.filter = kTableFileFilter;
    request.directory = target.directory;
    const auto fileName = prompts.openFileName(request);
    if (!fileName)
        return;
    Table table;
    try {
        table = readTableFile(*fileName);
    } catch (const ZilvarenError& e) {
        prompts.showError(e.message());
        return;
    }
    if (table.header.isEmpty() || table.bodyStart >= table.text.size()) {
        prompts.showMessage(QStringLiteral("\"%1\" dosyasında başlık satırından sonra satır yok.")
                                .arg(QDir::toNativeSeparators(*fileName)));
        return;
    }
    const std::optional<TableMapping> mapping =
        target.chooseMapping(table, guessMapping(table.header), *fileName);
    if (!mapping)
        return;

    int count = 0;
    TableImportPlan plan;
    {
        struct Unlock {
            const std::function<void(bool)>& lock;
            ~Unlock() { lock(false); }
        };
        target.lock(true);
        const Unlock unlock{target.lock};
        plan = planTableImport(table, *mapping, target.groupPath, nextRecordNumber(target.document.persons()),
                               target.clock);
        if (!plan.unencodable.isEmpty()) {
            if (prompts.ask(unencodableQuestion(plan.unencodable, QStringLiteral("Bu satırlarda")),
                            PromptIcon::Warning,
                            {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
                return;
            replaceUnencodable(plan);
        }
        count = int(plan.persons.size());
        fileImportedPersons(target.document, std::move(plan.persons), target.groupPath);
    }
    prompts.showMessage(tableImportMessage(count, plan));
}
