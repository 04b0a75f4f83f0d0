#include "app/TForm_Main.h"

#include "app/ActivityNote.h"
#include "app/FileCommands.h"
#include "app/FileProtection.h"
#include "app/MainCommands.h"
#include "app/OfficeCommands.h"
#include "app/PanelLayout.h"
#include "app/ServerSync.h"
#include "app/WindowPlacement.h"
#include "duplicates/DuplicatesDialog.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "interchange/AddressBookImport.h"
#include "interchange/CsvExport.h"
#include "interchange/VCardFlow.h"
#include "person/ContactList.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "person/PersonPictures.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"
#include "platform/TurkishText.h"
#include "print/PrintFlow.h"
#include "store/ProtectedFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <unistd.h>

TForm_Main::TForm_Main(const MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(QStringLiteral("Velmora"));
    files_ = new FileCommands(document_, *this, services_.prompts, this);
    protection_ = new FileProtection(*this, *files_, services_.prompts);
    protection_->setIdleMinutes(services_.settings.idleLockMinutes());
    editor_ = new PersonEditor(this);
    VST = new PersonListView(document_, this);
    VST_Grup = new GroupTreeView(document_, this);
    editing_ = new PersonEditing(*editor_, document_, *VST, *VST_Grup, services_.prompts,
                                 services_.clock, this);
    contacts_ = new ContactList(*editor_, *editing_, services_.prompts, services_.shell, this);
    pictures_ = new PersonPictures(*editor_, *editing_, *VST, document_, services_.prompts, this);
    groupCommands_ = new GroupCommands(*VST_Grup, document_, services_.prompts, this);
    serverSync_ = new ServerSync(*this, services_.prompts, services_.clock);
    printing_ = std::make_unique<PrintFlow>(
        PrintFlowServices{services_.prompts, services_.clock, this,
                          [this] {
                              std::vector<const PersonRecord*> rows;
                              const PersonListModel& persons = document_.persons();
                              for (int row = 0; row < persons.visibleCount(); ++row)
                                  rows.push_back(persons.personAtRow(row));
                              return rows;
                          },
                          [this]() -> const PersonRecord* { return editor_->shownPerson(); },
                          [this] { return files_->CurrentFileName(); },
                          [this] {
                              const GroupNode* group = VST_Grup->focusedGroup();
                              return group ? BuildGroupPath(group) : QString();
                          },
                          [this] { return pictureFolder(); }});
    printing_->setShowStatus([this](const QString& text) { showActivity(text); });
    VST_Grup->setDropPartners(editing_->SB_Ekle, &services_.prompts);
    addAction(editing_->EscapeCancel);
    // Del in the person list works as "Sil".
    auto* deletePerson = new QAction(QStringLiteral("Sil"), VST);
    deletePerson->setShortcut(QKeySequence::Delete);
    deletePerson->setShortcutContext(Qt::WidgetShortcut);
    VST->addAction(deletePerson);
    connect(deletePerson, &QAction::triggered, editing_, &PersonEditing::SB_SilClick);

    commands_ = new MainCommands(*this, *files_, *editing_);
    buildPanels();
    buildStatusBar();
    office_ = new OfficeCommands(*this, services_.prompts, services_.clock);

    connect(files_, &FileCommands::captionChanged, this, &QWidget::setWindowTitle);
    connect(editing_, &PersonEditing::lockChanged, this, &TForm_Main::setLocked);
    connect(commands_->ToolButton15, &QAction::triggered, groupCommands_,
            &GroupCommands::GrupEkleClick);
    connect(groupCommands_, &GroupCommands::personsChanged, this, &TForm_Main::refreshPersonCounts);
    connect(VST, &PersonListView::VSTDblClick, this,
            [this] { editor_->PageControl_Main->setCurrentIndex(0); });
    connect(VST_Grup, &GroupTreeView::personsFiltered, this, &TForm_Main::refreshPersonCounts);
    connect(&document_, &RecordDocument::historyMoved, this, &TForm_Main::showStep);
    // The counts follow every change of the list: rows added or removed,
    // and the resets that remove many at once.
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&document_.persons(), signal, this, &TForm_Main::refreshPersonCounts);
    connect(&document_.persons(), &QAbstractItemModel::modelReset, this,
            &TForm_Main::refreshPersonCounts);
    FormCreate();
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::buildPanels() {
    panels_ = new PanelLayout(VST_Grup, VST, editor_, this);
    setCentralWidget(panels_->widget());
    panels_->showSizes(document_.settings());
    setTabOrder(VST_Grup, VST);
    setTabOrder(VST, editor_->PageControl_Main);
}

void TForm_Main::buildStatusBar() {
    const QString texts[5] = {QStringLiteral("Tplm Adet"), QStringLiteral("0"),
                              QStringLiteral("Listede Adet"), QStringLiteral("0"), QString()};
    for (int i = 0; i < 5; ++i) {
        statusPanels_[i] = new QLabel(texts[i], this);
        statusPanels_[i]->setMinimumWidth(i % 2 == 0 ? 70 : 50);
        statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(statusPanels_[i], i == 4 ? 1 : 0);
    }
}

QString TForm_Main::statusText(int panel) const {
    return statusPanels_[panel]->text();
}

void TForm_Main::showActivity(const QString& text) {
    statusPanels_[4]->setText(text);
    if (statusPanels_[4]->isVisible())
        statusPanels_[4]->repaint();
}

void TForm_Main::refreshPersonCounts() {
    statusPanels_[1]->setText(QString::number(document_.persons().personCount()));
    statusPanels_[3]->setText(QString::number(document_.persons().visibleCount()));
}

void TForm_Main::FormCreate() {
    QStringList recent;
    for (const QString& f : services_.settings.recentFiles())
        if (!recent.contains(f, Qt::CaseInsensitive))
            recent.append(f);
    recent.removeIf([](const QString& f) { return !FileCommands::isRealFileName(f); });
    const QString current = recent.isEmpty() ? QString() : recent.takeFirst();
    files_->setStartState(current, recent);

    placeWindow(*this, services_.settings.pageSetup());
}

bool TForm_Main::event(QEvent* e) {
    // The window is activated again after every dialog; only the first
    // activation (or the first showing, where nothing activates windows)
    // opens the start-up file.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && !startupOpened_) {
        QTimer::singleShot(0, this, [this] { keepOnScreen(*this); });
        QTimer::singleShot(0, this, &TForm_Main::openStartupFile);
    }
    return QMainWindow::event(e);
}

void TForm_Main::openStartupFile() {
    if (startupOpened_)
        return;
    startupOpened_ = true;
    if (startupFiles_.isEmpty()) {
        files_->DosyaAcNew(FileCommands::OpenSender::Activation);
        return;
    }
    const QString path = QFileInfo(startupFiles_.first()).absoluteFilePath();
    files_->openAtStart(path);
    if (startupFiles_.size() > 1)
        services_.prompts.showMessage(
            QStringLiteral("Aynı anda tek bir dosya açık olabilir: yalnızca \"%1\" açıldı, "
                           "verilen diğer %2 dosya açılmadı.")
                .arg(path)
                .arg(startupFiles_.size() - 1));
}

void TForm_Main::showLoadedFile(RecordFileData& data) {
    editor_->ClearDetailPages();
    GroupNode* group = data.groupToSelect;
    const std::optional<QString> recordNo = data.focusedRecordNo;
    document_.load(data);
    panels_->showSizes(document_.settings());

    if (group)
        VST_Grup->focusGroup(group);
    if (PersonRecord* person = document_.personToFocus(recordNo))
        VST->focusPerson(person);
    VST->setFocus();
    refreshPersonCounts();
}

QByteArray TForm_Main::compose(const std::vector<const PersonRecord*>& persons,
                               const PersonRecord* focusedPerson) {
    panels_->storeSizes(document_.settings());
    return document_.compose(persons, focusedPerson);
}

QByteArray TForm_Main::composeFile() {
    panels_->storeSizes(document_.settings());
    return document_.compose();
}

bool TForm_Main::writeUnsavedWork() {
    const PersonRecord* replaces = nullptr;
    const std::optional<PersonRecord> pending = editing_->pendingRecord(&replaces);
    if (!document_.isModified() && !pending)
        return false;
    std::vector<const PersonRecord*> persons = document_.persons().allPersons();
    const PersonRecord* focused = VST->focusedPerson();
    if (pending && replaces) {
        std::replace(persons.begin(), persons.end(), replaces, &*pending);
        if (focused == replaces)
            focused = &*pending;
    } else if (pending) {
        persons.push_back(&*pending);
    }
    QByteArray content = compose(persons, focused);
    if (const FileKey* key = document_.fileKey().get())
        content = protectRecordBytes(content, *key);
    writeFileSafely(files_->recoveryFileName(), content,
                    QStringLiteral("Kaydedilmemiş değişiklikler %1 dosyasına yazılamadı."));
    return true;
}

void TForm_Main::keepUnsavedWorkAndQuit() {
    // No one is there to answer a message: the reason goes to the log.
    try {
        writeUnsavedWork();
    } catch (const ZilvarenError& e) {
        qWarning("%s", qPrintable(e.message()));
    }
    writeSettingsForClose();
    files_->releaseLock();
    // Nothing else may run now: a dialog that is open must not go on to
    // save or ask anything.
    ::_exit(0);
}

void TForm_Main::closeForLock() {
    editing_->setAside();
    document_.clearForLock();
    editor_->ClearDetailPages();
    refreshPersonCounts();
}

// While an add or edit is open only "Tamam" and "İptal" work: the list,
// the file commands and the tool buttons wait.
void TForm_Main::setLocked(bool locked) {
    groupCommands_->setLocked(locked);
    commands_->setLocked(locked);
}

void TForm_Main::Button_YeniClick() {
    if (!files_->CheckUnsavedChanges())
        return;
    document_.clearRecords();
    editor_->ClearDetailPages();
    document_.find() = FindState{};
    Q_EMIT newFileStarted();
    files_->SetCurrentFileName(QString());
    refreshPersonCounts();
}

void TForm_Main::Prg_ExitClick() {
    close();
}

void TForm_Main::Button_ImportClick() {
    Prompts& prompts = services_.prompts;
    if (document_.groups().isEmpty()) {
        prompts.showMessage(kImportNeedsGroupMessage);
        return;
    }
    prompts.showMessage(kImportIntroMessage);
    FileDialogRequest request;
    request.filter = kImportFileFilter;
    request.directory = QDir::currentPath();
    const auto file = prompts.openFileName(request);
    if (!file)
        return;
    setLocked(true);
    VST->setEnabled(false);
    std::optional<AddressBookImport> result;
    std::optional<QString> failure;
    {
        const ActivityNote note(*this, QStringLiteral("Aktarılıyor: ") + *file);
        try {
            result = importAddressBook(document_, *file, BuildGroupPath(VST_Grup->focusedGroup()),
                                       services_.clock);
        } catch (const ZilvarenError& e) {
            failure = e.message();
        }
    }
    VST->setEnabled(true);
    setLocked(false);
    if (failure)
        prompts.showError(*failure);
    if (!result)
        return;
    if (result->error)
        prompts.showError(*result->error);
    prompts.showMessage(importCountMessage(result->count));
    refreshPersonCounts();
}

void TForm_Main::ExportClick() {
    const QString folder = QDir::currentPath();
    std::optional<QString> failure;
    {
        const ActivityNote note(*this, QStringLiteral("Dışa aktarılıyor: ") + kExportFileName);
        try {
            exportToFolder(folder, document_.persons().allPersons());
        } catch (const ZilvarenError& e) {
            failure = e.message();
        }
    }
    if (failure) {
        services_.prompts.showError(*failure);
        return;
    }
    services_.prompts.showMessage(exportDoneMessage(folder));
}

// Pictures lie beside the record file (the working folder while it is open).
QString TForm_Main::pictureFolder() const {
    const QString& file = files_->CurrentFileName();
    return file.isEmpty() ? QDir::currentPath() : QFileInfo(file).absolutePath();
}

void TForm_Main::VCardImportClick() {
    runVCardImport(services_.prompts,
                   {document_, BuildGroupPath(VST_Grup->focusedGroup()), pictureFolder(),
                    QDir::currentPath(), services_.clock, [this](bool locked) {
                        setLocked(locked);
                        VST->setEnabled(!locked);
                        showActivity(locked ? QStringLiteral("vCard dosyası aktarılıyor…")
                                            : QString());
                    }});
    refreshPersonCounts();
}

void TForm_Main::VCardExportClick() {
    const GroupNode* group = VST_Grup->focusedGroup();
    runVCardExport(services_.prompts,
                   {document_.persons().allPersons(), group ? BuildGroupPath(group) : QString(),
                    pictureFolder(), QDir::currentPath()});
}

void TForm_Main::jumpToPerson(PersonRecord* person) {
    GroupNode* group = FindPersonGroup(document_.groups().root(), person->GroupPath);
    if (group != VST_Grup->focusedGroup())
        VST_Grup->focusGroup(group);
    VST_Grup->selectOnly(group);
    VST->focusPerson(person);
    VST->setFocus();
}

void TForm_Main::MukerrerKayitlarClick() {
    DuplicatesDialog dialog(document_, services_.clock, this);
    dialog.setMerged([this](PersonRecord* kept) {
        jumpToPerson(kept);
        // The kept person may have been shown already, with what it had.
        showFocusedPerson();
        Q_EMIT personsChangedUnderFind();
    });
    if (!dialog.findGroups())
        return;
    if (dialog.groupCount() == 0) {
        services_.prompts.showMessage(QStringLiteral("Mükerrer kayıt bulunamadı."));
        return;
    }
    dialog.exec();
}

void TForm_Main::showFocusedPerson() {
    if (PersonRecord* p = VST->focusedPerson())
        editor_->ShowPerson(*p);
}

void TForm_Main::showDocumentAgain() {
    if (VST_Grup->focusedGroup())
        VST_Grup->VST_GrupFocusChanged();
    refreshPersonCounts();
    if (PersonRecord* p = VST->focusedPerson())
        editor_->ShowPerson(*p);
    else
        editor_->ClearDetailPages();
}

void TForm_Main::showStep(PersonRecord* person, GroupNode* group, bool membersChanged) {
    GroupNode* focused = VST_Grup->focusedGroup();
    if (person) {
        group = FindPersonGroup(document_.groups().root(), person->GroupPath);
        if (!document_.persons().indexOf(person).isValid() && group != focused)
            VST_Grup->focusGroup(group);
        else if (membersChanged && focused)
            VST_Grup->VST_GrupFocusChanged();
        VST->focusPerson(person);
        // Shown again: the step may have changed the person already shown.
        editor_->ShowPerson(*person);
        VST_Grup->selectOnly(group);
    } else {
        if (group && group != focused)
            VST_Grup->focusGroup(group);
        else if (membersChanged && focused)
            VST_Grup->VST_GrupFocusChanged();
        if (PersonRecord* p = VST->focusedPerson())
            editor_->ShowPerson(*p);
        else
            editor_->ClearDetailPages();
    }
    refreshPersonCounts();
    Q_EMIT personsChangedUnderFind();
}

void TForm_Main::closeEvent(QCloseEvent* e) {
    if (editing_->isEditing()) {
        const PromptButton answer = services_.prompts.ask(
            QStringLiteral("Bir kişiye ait kayıtlarda düzeltme yapılmaktadır.\rGerçekten "
                           "Değişiklikleri Kaydetmeden Programdan Çıkmak İstermisiniz ?"),
            PromptIcon::Information, {PromptButton::Yes, PromptButton::Cancel});
        if (answer == PromptButton::Yes)
            e->accept();
        else
            e->ignore();
        return;
    }
    if (document_.isModified()) {
        bool goOn = false;
        if (document_.settings().saveAndClose) {
            files_->Button_KaydetClick(FileCommands::SaveSender::Save);
            // A save that did not happen keeps the window open with the changes.
            goOn = !document_.isModified();
        } else {
            goOn = files_->CheckUnsavedChanges();
        }
        if (!goOn) {
            e->ignore();
            return;
        }
    }
    writeSettingsForClose();
    e->accept();
}

void TForm_Main::writeSettingsForClose() {
    services_.settings.writeRecentFiles(files_->recentFilesForClose());
    SettingsStore::PageSetup p = services_.settings.pageSetup();
    storePlacement(*this, p);
    Q_EMIT closingWritesSettings(p);
    services_.settings.writePageSetup(p);
}
