#include "interchange/VCardFlow.h"

#include "interchange/AddressBookImport.h"
#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "platform/Prompts.h"
#include "store/RecordDocument.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

class WindowLock {
public:
    explicit WindowLock(const std::function<void(bool)>& lock) : lock_(lock) { lock_(true); }
    ~WindowLock() { lock_(false); }
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

private:
    const std::function<void(bool)>& lock_;
};

} // namespace

void runVCardImport(Prompts& prompts, const VCardImportTarget& target) {
    if (target.document.groups().isEmpty()) {
        prompts.showMessage(kImportNeedsGroupMessage);
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("vCard İçe Aktar");
    request.filter = kVCardFileFilter;
    request.directory = target.directory;
    const auto fileName = prompts.openFileName(request);
    if (!fileName)
        return;
    QFile file(*fileName);
    if (const auto reason = openToRead(file)) {
        prompts.showError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2")
                              .arg(QDir::toNativeSeparators(*fileName), *reason));
        return;
    }

    QString closing;
    {
        const WindowLock locked(target.lock);
        VCardImportPlan plan = planVCardImport(file, target.groupPath,
                                               nextRecordNumber(target.document.persons()), target.clock);
        if (plan.error) {
            prompts.showError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2")
                                  .arg(QDir::toNativeSeparators(*fileName), *plan.error));
            return;
        }
        if (!plan.unencodable.isEmpty()) {
            if (prompts.ask(unencodableQuestion(plan.unencodable), PromptIcon::Warning,
                            {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
                return;
            replaceUnencodable(plan);
        }
        try {
            closing = vcardImportMessage(
                commitVCardImport(target.document, plan, target.pictureFolder), plan);
        } catch (const ZilvarenError& e) {
            prompts.showError(e.message());
            return;
        }
    }
    prompts.showMessage(closing);
}

void runVCardExport(Prompts& prompts, const VCardExportSource& source) {
    const std::optional<std::vector<const PersonRecord*>> chosen =
        exportedPersons(prompts, source.persons, source.focusedGroupPath);
    if (!chosen)
        return;
    const std::vector<const PersonRecord*>& persons = *chosen;
    VCardExportOptions options;
    options.pictureFolder = source.pictureFolder;
    if (std::any_of(persons.begin(), persons.end(),
                    [](const PersonRecord* p) { return !p->Pictures.isEmpty(); })) {
        const PromptButton pictures = prompts.ask(
            QStringLiteral("Kişilerin JPEG resimleri de kartlara eklensin mi?"),
            PromptIcon::Information, {PromptButton::Yes, PromptButton::No, PromptButton::Cancel});
        if (pictures == PromptButton::Cancel)
            return;
        options.pictures = pictures == PromptButton::Yes;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("vCard Olarak Dışa Aktar");
    request.filter = QStringLiteral("vCard dosyaları (*.vcf)|*.vcf");
    request.defaultSuffix = QStringLiteral("vcf");
    request.directory = source.directory;
    request.fileName = QStringLiteral("Kisiler.vcf");
    const auto path = prompts.saveFileName(request);
    if (!path)
        return;
    try {
        prompts.showMessage(vcardExportMessage(*path, writeVCardFile(*path, persons, options)));
    } catch (const ZilvarenError& e) {
        prompts.showError(e.message());
    }
}
