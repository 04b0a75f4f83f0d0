#pragma once

#include <QList>
#include <QObject>

class EditHistory;
class FileCommands;
class PersonEditing;
class QAction;
class QMenu;
class TForm_Main;

// The menus, the tool bar and the shortcuts of the main window, and which
// of them work when. The actions carry the designed names.
class MainCommands : public QObject {
    Q_OBJECT
public:
    MainCommands(TForm_Main& window, FileCommands& files, PersonEditing& editing);

    // While an add or edit is open only "Tamam" and "İptal" work: the file
    // commands and the tool buttons wait.
    void setLocked(bool locked);
    // "Kaydet" is on while there are unsaved changes.
    void updateSaveCommands();
    // "Düzen": undo, redo and the history of the session.
    EditHistory& history() { return *history_; }

    QAction* YeniDosya;
    QAction* DosyaAc;
    QAction* Menu_Kaydet;
    QAction* Menu_FKaydet;
    QAction* Menu_ImportFile;
    QAction* Export;
    QAction* Menu_VCardImport;
    QAction* Menu_VCardExport;
    QAction* Menu_TabloImport;
    QAction* Menu_ExcelExport;
    QAction* Menu_Sync;
    QAction* Menu_Yazdir;
    QAction* Menu_Pdf;
    QAction* Menu_Mukerrer;
    QAction* Menu_DogumGunleri;
    QAction* Prg_Exit;
    QAction* ToolButton_Kaydet;
    QAction* ToolButton7;
    QAction* ToolButton15;
    QAction* ToolButton10;
    QAction* ToolButton_KisaBilgi;

private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void rebuildRecentMenu();

    TForm_Main& window_;
    FileCommands& files_;
    PersonEditing& editing_;
    EditHistory* history_;
    QMenu* dosyaMenu_;
    QList<QAction*> recentActions_;
    bool locked_ = false;
};
