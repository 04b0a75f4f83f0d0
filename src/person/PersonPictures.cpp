#include "person/PersonPictures.h"

#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "person/PicturePanel.h"
#include "platform/Prompts.h"
#include "store/RecordDocument.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

namespace {

QStringList items(const QComboBox& combo) {
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out.append(combo.itemText(i));
    return out;
}

void appendAndSelect(QComboBox& combo, const QString& name) {
    combo.addItem(name);
    combo.setCurrentIndex(combo.count() - 1);
}

} // namespace

PersonPictures::PersonPictures(PersonEditor& pages, PersonEditing& editing, PersonListView& list,
                               RecordDocument& document, Prompts& prompts, QObject* parent)
    : QObject(parent), pages_(pages), editing_(editing), list_(list), document_(document),
      prompts_(prompts) {
    PicturePanel* panel = pages_.Panel_Resim;
    connect(panel->SB_ResimEkle, &QToolButton::clicked, this, &PersonPictures::SB_ResimEkleClick);
    connect(panel->SB_ResimSil, &QToolButton::clicked, this, &PersonPictures::SB_ResimSilClick);
    connect(panel->ComboBox_Obje, &QComboBox::activated, this,
            &PersonPictures::ComboBox_ObjeChange);
    editing_.setPictureChanges([this] {
        pictures::PendingFiles::Changes changes = pending_.take();
        return RecordDocument::PictureChange{changes.copied, changes.removed};
    });
    // Pictures lie beside the record file, whose folder is the current one.
    document_.setPictureRemover([](const QStringList& candidates, const QStringList& keep) {
        return pictures::deleteUnnamed(QDir::currentPath(), candidates, keep);
    });
    connect(&editing_, &PersonEditing::editCancelled, this, [this] {
        pending_.cancelled(QDir::currentPath(), [this] { return everyPersonsEntries(); });
    });
}

QStringList PersonPictures::everyPersonsEntries() const {
    QStringList out;
    const PersonListModel& persons = document_.persons();
    for (int i = 0; i < persons.personCount(); ++i)
        out += persons.personAt(i)->Pictures;
    return out;
}

void PersonPictures::startEdit() {
    if (pages_.EditMode() == PersonEditor::Viewing)
        editing_.SB_DuzeltClick();
}

void PersonPictures::SB_ResimEkleClick() {
    if (!list_.focusedPerson())
        return;
    FileDialogRequest request;
    request.title = pages_.Edit_Ad->text() + QLatin1Char(' ') + pages_.Edit_Soyad->text() +
                    QStringLiteral(" için Resim Dosyası");
    request.filter = pictures::openDialogFilter();
    request.directory = QDir::currentPath();
    const std::optional<QString> chosen = prompts_.openFileName(request);
    if (!chosen)
        return;
    QComboBox& combo = *pages_.Panel_Resim->ComboBox_Obje;
    const QFileInfo source(*chosen);
    const QDir folder(QDir::currentPath());
    if (source.absoluteDir().canonicalPath() != folder.canonicalPath()) {
        const QString name =
            pictures::numberedName(source.fileName(), items(combo),
                                   folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot));
        // An entry without its file would only show an empty box later.
        if (!QFile::copy(source.absoluteFilePath(), folder.filePath(name))) {
            prompts_.showMessage(QStringLiteral("< ") + source.fileName() +
                                 QStringLiteral(" > Kopyalanamadı.\r") + folder.path() +
                                 QStringLiteral(" Dizinine Yazılamıyor."));
            return;
        }
        pending_.copiedIn(name);
        appendAndSelect(combo, name);
    } else {
        const QString name = source.fileName();
        if (items(combo).contains(name, Qt::CaseInsensitive)) {
            prompts_.showMessage(QStringLiteral("< ") + name +
                                 QStringLiteral(" > Bu Resim Kişinin Kayıtlarında Mevcuttur.\r"
                                                "Başkasını Seçiniz."));
            return;
        }
        appendAndSelect(combo, name);
    }
    pages_.Panel_Resim->ShowPicture();
    startEdit();
}

void PersonPictures::SB_ResimSilClick() {
    QComboBox& combo = *pages_.Panel_Resim->ComboBox_Obje;
    if (combo.count() == 0)
        return;
    if (prompts_.ask(QStringLiteral("Bu Resim Kayıtlardan Silinecektir. Eminmisiniz?"),
                     PromptIcon::Warning,
                     {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
        return;
    if (!list_.focusedPerson())
        return;
    const int index = std::max(combo.currentIndex(), 0);
    pending_.removedFromList(combo.itemText(index));
    combo.removeItem(index);
    combo.setCurrentIndex(-1);
    pages_.Panel_Resim->ShowPicture();
    startEdit();
}

void PersonPictures::ComboBox_ObjeChange() {
    QComboBox& combo = *pages_.Panel_Resim->ComboBox_Obje;
    pages_.Panel_Resim->ShowPicture();
    PersonRecord* person = list_.focusedPerson();
    // Stored at once only while the index means the same in the record;
    // during an edit that changed the list, "Tamam" stores it.
    if (person && pages_.EditMode() != PersonEditor::Adding && person->Pictures == items(combo))
        person->PictureIndex = combo.currentIndex();
}
