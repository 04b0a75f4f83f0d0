#pragma once

#include "app/FileShell.h"
#include "platform/SettingsStore.h"
#include "store/RecordDocument.h"

#include <QMainWindow>

#include <memory>

class Clock;
class ContactList;
class FileCommands;
class FileProtection;
class GroupCommands;
class GroupTreeView;
class PersonEditing;
class PersonEditor;
class PersonListView;
class MainCommands;
class OfficeCommands;
class PanelLayout;
class PrintFlow;
class PersonPictures;
class Prompts;
class QLabel;
class ServerSync;
class ShellOpener;
class QWidget;

// What the main window uses from its surroundings.
struct MainWindowServices {
    Prompts& prompts;
    SettingsStore& settings;
    Clock& clock;
    ShellOpener& shell;
};

// The main window: tool bar, menus, the group and person panels, the
// detail pages and the status bar. It builds the rooms and wires them.
class TForm_Main : public QMainWindow, public FileShell {
    Q_OBJECT
public:
    explicit TForm_Main(const MainWindowServices& services, QWidget* parent = nullptr);
    ~TForm_Main() override;

    RecordDocument& document() { return document_; }
    FileCommands& files() { return *files_; }
    FileProtection& protection() { return *protection_; }
    PersonEditor& editor() { return *editor_; }
    PersonEditing& editing() { return *editing_; }
    ContactList& contacts() { return *contacts_; }
    PersonPictures& pictures() { return *pictures_; }
    GroupCommands& groupCommands() { return *groupCommands_; }
    PersonListView& personList() { return *VST; }
    GroupTreeView& groupTree() { return *VST_Grup; }
    QString statusText(int panel) const;
    void showActivity(const QString& text) override;

    // Opens the start-up file; runs once, at the first activation.
    void openStartupFile();
    // Files the program was started with (a file manager's): the first
    // opens instead of the most recent file.
    void setStartupFiles(const QStringList& files) { startupFiles_ = files; }

    void showLoadedFile(RecordFileData& data) override;
    QByteArray composeFile() override;
    // The program is ended from outside (logout, shutdown): what the user
    // has not saved, an open edit included, goes to the recovery file
    // beside the record file, then the process ends without a question.
    void keepUnsavedWorkAndQuit();
    // What the user has not saved, an open edit included, goes to the
    // recovery file (protected like the file); false when nothing was
    // unsaved. Throws ZilvarenError when it could not be written.
    bool writeUnsavedWork();
    // The window is locked: no person, group or edit is left in it.
    void closeForLock();

    void Button_YeniClick();
    void Prg_ExitClick();
    void Button_ImportClick();
    void ExportClick();
    void VCardImportClick();
    void VCardExportClick();
    // "Personel → Mükerrer Kayıtlar…": the likely duplicates, to merge.
    void MukerrerKayitlarClick();
    void refreshPersonCounts();
    // The find dialog's jump: the person's group focused, the person
    // selected and shown.
    void jumpToPerson(PersonRecord* person);
    // Shows the focused person again after the bulk tools changed it.
    void showFocusedPerson();
    // The persons changed behind the list (a sync): the group filter runs
    // again, the counts follow, and the focused person is shown again, or
    // nobody when that person went.
    void showDocumentAgain();
    // A step was undone or redone: the person it touched becomes the
    // current one (its group focused when the filter hides it), else the
    // group it touched is focused.
    void showStep(PersonRecord* person, GroupNode* group, bool membersChanged);

    // The menus, the tool bar and their actions.
    MainCommands& commands() { return *commands_; }
    ServerSync& serverSync() { return *serverSync_; }
    PrintFlow& printing() { return *printing_; }
    OfficeCommands& office() { return *office_; }

Q_SIGNALS:
    // Closing writes the window placement; the dial window adds its port
    // and quick-dial values.
    void closingWritesSettings(SettingsStore::PageSetup& values);
    // "Yeni Dosya" emptied the window.
    void newFileStarted();
    // Persons changed where the find dialog's results may show them: a
    // merge, an undo or a redo.
    void personsChangedUnderFind();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanels();
    void buildStatusBar();
    void FormCreate();
    void setLocked(bool locked);
    void writeSettingsForClose();
    QString pictureFolder() const;
    QByteArray compose(const std::vector<const PersonRecord*>& persons,
                       const PersonRecord* focusedPerson);

    MainWindowServices services_;
    RecordDocument document_;
    FileCommands* files_;
    FileProtection* protection_;
    PersonEditor* editor_;
    PersonEditing* editing_;
    ContactList* contacts_;
    PersonPictures* pictures_;
    GroupCommands* groupCommands_;
    ServerSync* serverSync_;
    PersonListView* VST;
    GroupTreeView* VST_Grup;
    PanelLayout* panels_;
    MainCommands* commands_;
    std::unique_ptr<PrintFlow> printing_;
    OfficeCommands* office_;
    QLabel* statusPanels_[5];
    bool startupOpened_ = false;
    QStringList startupFiles_;
};
