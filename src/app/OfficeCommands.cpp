#include "app/OfficeCommands.h"

#include "app/ActivityNote.h"
#include "app/MainCommands.h"
#include "app/TForm_Main.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "interchange/TableImportDialog.h"
#include "interchange/TableImportFlow.h"
#include "interchange/VCardImport.h"
#include "interchange/XlsxExport.h"
#include "person/BirthdaysDialog.h"
#include "person/PersonListView.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/qt/ElidedLabel.h"

#include <QDir>
#include <QStatusBar>

OfficeCommands::OfficeCommands(TForm_Main& window, Prompts& prompts, const Clock& clock)
    : QObject(&window), window_(window), prompts_(prompts), clock_(clock) {
    Label_DogumGunu = new ElidedLabel(&window);
    Label_DogumGunu->setObjectName(QStringLiteral("Label_DogumGunu"));
    Label_DogumGunu->setFrameShape(QFrame::StyledPanel);
    Label_DogumGunu->hide();
    window.statusBar()->addPermanentWidget(Label_DogumGunu, 1);
    RecordDocument& document = window.document();
    connect(&document, &RecordDocument::fileStateLoaded, this,
            &OfficeCommands::noteTodaysBirthdays);
    // The list is replaced (a new file): whose birthday it was is no more.
    connect(&document.persons(), &PersonListModel::personAboutToBeRemoved, this,
            [this](const PersonRecord* person) {
                if (!person)
                    Label_DogumGunu->hide();
            });
}

OfficeCommands::~OfficeCommands() = default;

void OfficeCommands::noteTodaysBirthdays() {
    const QDate today = clock_.now().date();
    const std::vector<Birthday> found =
        birthdaysBetween(window_.document().persons().allPersons(), today, today);
    QStringList names;
    for (const Birthday& b : found)
        names.append(QStringLiteral("%1 (%2)")
                         .arg(QString(b.person->FirstName + u' ' + b.person->Surname).trimmed())
                         .arg(b.age));
    Label_DogumGunu->setText(QStringLiteral("Bugün doğum günü: ") +
                             names.join(QStringLiteral(", ")));
    Label_DogumGunu->setVisible(!found.empty());
}

void OfficeCommands::holdWindow(bool held, const QString& doing) {
    activity_.reset(held ? new ActivityNote(window_, doing) : nullptr);
    window_.commands().setLocked(held);
    window_.groupCommands().setLocked(held);
    window_.personList().setEnabled(!held);
}

void OfficeCommands::ExcelOlarakDisaAktarClick() {
    const GroupNode* group = window_.groupTree().focusedGroup();
    runXlsxExport(
        prompts_,
        {window_.document().persons().allPersons(), group ? BuildGroupPath(group) : QString(),
         QDir::currentPath()},
        [this](bool busy) { holdWindow(busy, QStringLiteral("Excel dosyası yazılıyor…")); });
}

void OfficeCommands::TabloIceAktarClick() {
    const qint64 firstRecordNo = nextRecordNumber(window_.document().persons());
    runTableImport(prompts_,
                   {window_.document(), BuildGroupPath(window_.groupTree().focusedGroup()),
                    QDir::currentPath(), clock_,
                    [this, firstRecordNo](const Table& table, const TableMapping& guessed,
                                          const QString& fileName) -> std::optional<TableMapping> {
                        TableImportDialog dialog(table, guessed, fileName, firstRecordNo, clock_,
                                                 &window_);
                        if (dialog.exec() != QDialog::Accepted)
                            return std::nullopt;
                        return dialog.mapping();
                    },
                    [this](bool held) { holdWindow(held, QStringLiteral("Tablo aktarılıyor…")); }});
    window_.refreshPersonCounts();
}

void OfficeCommands::DogumGunleriClick() {
    const QDate today = clock_.now().date();
    std::vector<Birthday> coming = birthdaysBetween(window_.document().persons().allPersons(),
                                                    today, today.addDays(kComingBirthdayDays));
    if (coming.empty()) {
        prompts_.showMessage(
            QStringLiteral("Bugün ve önümüzdeki %1 gün içinde doğum günü olan kimse yok.")
                .arg(kComingBirthdayDays));
        return;
    }
    BirthdaysDialog dialog(std::move(coming), today, &window_);
    dialog.setShowPerson([this](const PersonRecord* shown) {
        const PersonListModel& persons = window_.document().persons();
        for (int i = 0; i < persons.personCount(); ++i)
            if (persons.personAt(i) == shown)
                window_.jumpToPerson(persons.personAt(i));
    });
    dialog.exec();
}
