#include "app/MainCommands.h"

#include "app/FileProtection.h"

#include "app/EditHistory.h"
#include "app/FileCommands.h"
#include "app/NamedAction.h"
#include "app/OfficeCommands.h"
#include "app/ServerSync.h"
#include "app/TForm_Main.h"
#include "person/PersonEditing.h"
#include "print/PrintFlow.h"
#include "store/RecordDocument.h"

#include <QAction>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

MainCommands::MainCommands(TForm_Main& window, FileCommands& files, PersonEditing& editing)
    : QObject(&window), window_(window), files_(files), editing_(editing),
      history_(new EditHistory(window.document(), window)) {
    buildActions();
    buildMenus();
    buildToolBar();
    connect(&files_, &FileCommands::recentFilesChanged, this, &MainCommands::rebuildRecentMenu);
    connect(&window_.document(), &RecordDocument::modifiedChanged, this,
            &MainCommands::updateSaveCommands);
}

void MainCommands::buildActions() {
    QStyle* style = window_.style();
    YeniDosya = makeAction(this, QStringLiteral("&Yeni Dosya"), "YeniDosya");
    YeniDosya->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    YeniDosya->setToolTip(QStringLiteral("Yeni Dosya"));
    YeniDosya->setShortcut(QKeySequence::New);
    DosyaAc = makeAction(this, QStringLiteral("Dosya &Aç"), "DosyaAc");
    DosyaAc->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    DosyaAc->setToolTip(QStringLiteral("Dosya Aç"));
    DosyaAc->setShortcut(QKeySequence::Open);
    Menu_Kaydet = makeAction(this, QStringLiteral("&Kaydet"), "Menu_Kaydet");
    Menu_Kaydet->setShortcut(QKeySequence::Save);
    Menu_Kaydet->setEnabled(false);
    ToolButton_Kaydet = makeAction(this, QStringLiteral("Kaydet"), "ToolButton_Kaydet");
    ToolButton_Kaydet->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ToolButton_Kaydet->setToolTip(QStringLiteral("Dosya Kaydet"));
    ToolButton_Kaydet->setEnabled(false);
    Menu_FKaydet = makeAction(this, QStringLiteral("&Farklı Kaydet"), "Menu_FKaydet");
    Menu_FKaydet->setIcon(style->standardIcon(QStyle::SP_DriveFDIcon));
    Menu_FKaydet->setToolTip(QStringLiteral("Dosyayı Farklı İsimde Kaydet"));
    Menu_ImportFile = makeAction(this, QStringLiteral("&Import"), "Menu_ImportFile");
    Export = makeAction(this, QStringLiteral("&Export"), "Export");
    Menu_VCardImport = makeAction(this, QStringLiteral("&vCard İçe Aktar…"), "Menu_VCardImport");
    Menu_VCardExport =
        makeAction(this, QStringLiteral("vCard Olarak &Dışa Aktar…"), "Menu_VCardExport");
    Menu_TabloImport = makeAction(this, QStringLiteral("&Tablo İçe Aktar…"), "Menu_TabloImport");
    Menu_ExcelExport =
        makeAction(this, QStringLiteral("Exce&l Olarak Dışa Aktar…"), "Menu_ExcelExport");
    Menu_Sync = makeAction(this, QStringLiteral("&Sunucuyla Eşitle…"), "Menu_Sync");
    Menu_Yazdir = makeAction(this, QStringLiteral("Ya&zdır…"), "Menu_Yazdir");
    Menu_Yazdir->setShortcut(QKeySequence::Print);
    Menu_Pdf = makeAction(this, QStringLiteral("&PDF Olarak Kaydet…"), "Menu_Pdf");
    Menu_Mukerrer = makeAction(this, QStringLiteral("&Mükerrer Kayıtlar…"), "Menu_Mukerrer");
    Menu_DogumGunleri = makeAction(this, QStringLiteral("&Doğum Günleri…"), "Menu_DogumGunleri");
    Prg_Exit = makeAction(this, QStringLiteral("Çı&kış"), "Prg_Exit");
    Prg_Exit->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));
    Prg_Exit->setToolTip(QStringLiteral("ÇIKIŞ"));
    ToolButton7 = makeAction(this, QStringLiteral("Ara ve Bul"), "ToolButton7");
    ToolButton7->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    ToolButton7->setShortcut(QKeySequence::Find);
    ToolButton15 = makeAction(this, QStringLiteral("Grup Ekle"), "ToolButton15");
    ToolButton15->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    ToolButton10 = makeAction(this, QStringLiteral("Genel Ayarlar"), "ToolButton10");
    ToolButton10->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    ToolButton_KisaBilgi = makeAction(this, QStringLiteral("Kısa &Bilgi"), "About");
    ToolButton_KisaBilgi->setIcon(style->standardIcon(QStyle::SP_MessageBoxInformation));
    ToolButton_KisaBilgi->setToolTip(QStringLiteral("Program Hakkında"));

    TForm_Main* w = &window_;
    connect(YeniDosya, &QAction::triggered, w, &TForm_Main::Button_YeniClick);
    connect(DosyaAc, &QAction::triggered, w,
            [this] { files_.DosyaAcNew(FileCommands::OpenSender::OpenCommand); });
    const auto save = [this] { files_.Button_KaydetClick(FileCommands::SaveSender::Save); };
    connect(Menu_Kaydet, &QAction::triggered, w, save);
    connect(ToolButton_Kaydet, &QAction::triggered, w, save);
    connect(Menu_FKaydet, &QAction::triggered, w,
            [this] { files_.Button_KaydetClick(FileCommands::SaveSender::SaveAs); });
    connect(Prg_Exit, &QAction::triggered, w, &TForm_Main::Prg_ExitClick);
    connect(Menu_ImportFile, &QAction::triggered, w, &TForm_Main::Button_ImportClick);
    // Exports write the persons plain: a protected file asks first.
    const auto plain = [this](auto command) {
        return [this, command] {
            if (window_.protection().mayExportPlain())
                command();
        };
    };
    connect(Export, &QAction::triggered, w, plain([w] { w->ExportClick(); }));
    connect(Menu_VCardImport, &QAction::triggered, w, &TForm_Main::VCardImportClick);
    connect(Menu_VCardExport, &QAction::triggered, w, plain([w] { w->VCardExportClick(); }));
    connect(Menu_Sync, &QAction::triggered, &window_.serverSync(),
            &ServerSync::SunucuylaEsitleClick);
    connect(Menu_Yazdir, &QAction::triggered, w,
            plain([this] { window_.printing().YazdirClick(); }));
    connect(Menu_Pdf, &QAction::triggered, w,
            plain([this] { window_.printing().PdfOlarakKaydetClick(); }));
    connect(Menu_Mukerrer, &QAction::triggered, w, &TForm_Main::MukerrerKayitlarClick);
    connect(Menu_TabloImport, &QAction::triggered, w,
            [this] { window_.office().TabloIceAktarClick(); });
    connect(Menu_ExcelExport, &QAction::triggered, w,
            plain([this] { window_.office().ExcelOlarakDisaAktarClick(); }));
    connect(Menu_DogumGunleri, &QAction::triggered, w,
            [this] { window_.office().DogumGunleriClick(); });
}

void MainCommands::buildMenus() {
    QMenuBar* bar = window_.menuBar();
    dosyaMenu_ = bar->addMenu(QStringLiteral("&Dosya"));
    dosyaMenu_->addAction(YeniDosya);
    dosyaMenu_->addAction(DosyaAc);
    dosyaMenu_->addAction(Menu_Kaydet);
    dosyaMenu_->addAction(Menu_FKaydet);
    dosyaMenu_->addSeparator();
    FileProtection& protection = window_.protection();
    for (QAction* a : {protection.ParolaKoy, protection.ParolaDegistir, protection.ParolaKaldir,
                       protection.Kilitle})
        dosyaMenu_->addAction(a);
    dosyaMenu_->addSeparator();
    dosyaMenu_->addAction(Menu_ImportFile);
    dosyaMenu_->addAction(Export);
    dosyaMenu_->addAction(Menu_VCardImport);
    dosyaMenu_->addAction(Menu_VCardExport);
    dosyaMenu_->addAction(Menu_TabloImport);
    dosyaMenu_->addAction(Menu_ExcelExport);
    dosyaMenu_->addAction(Menu_Sync);
    dosyaMenu_->addSeparator();
    dosyaMenu_->addAction(Menu_Yazdir);
    dosyaMenu_->addAction(Menu_Pdf);
    dosyaMenu_->addSeparator();
    dosyaMenu_->addAction(Prg_Exit);
    dosyaMenu_->addSeparator();

    history_->fillMenu(*bar->addMenu(QStringLiteral("Dü&zen")));

    QMenu* personel = bar->addMenu(QStringLiteral("&Personel"));
    for (const QString& text :
         {QStringLiteral("Ekle"), QStringLiteral("Düzelt"), QStringLiteral("Sil")})
        personel->addAction(text)->setEnabled(false);
    personel->addSeparator();
    personel->addAction(Menu_Mukerrer);
    personel->addAction(Menu_DogumGunleri);

    QMenu* help = bar->addMenu(QStringLiteral("&Yardım"));
    help->addAction(ToolButton_KisaBilgi);
}

void MainCommands::buildToolBar() {
    QToolBar* bar = window_.addToolBar(QStringLiteral("ToolBar"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->addAction(YeniDosya);
    bar->addAction(DosyaAc);
    bar->addAction(ToolButton_Kaydet);
    bar->addAction(Menu_FKaydet);
    bar->addSeparator();
    for (QAction* a : {editing_.SB_Ekle, editing_.SB_Duzelt, editing_.SB_Sil, editing_.SB_Tamam,
                       editing_.SB_Iptal})
        bar->addAction(a);
    bar->addSeparator();
    bar->addAction(ToolButton7);
    bar->addAction(ToolButton15);
    bar->addAction(ToolButton10);
    bar->addAction(ToolButton_KisaBilgi);
    bar->addAction(Prg_Exit);
    // Icon-only buttons are named for screen readers by their hint.
    for (QAction* a : bar->actions())
        if (QWidget* w = bar->widgetForAction(a))
            w->setAccessibleName(a->toolTip());
}

void MainCommands::rebuildRecentMenu() {
    for (QAction* a : recentActions_)
        delete a;
    recentActions_.clear();
    for (const QString& path : files_.recentFiles()) {
        auto* a = new QAction(path, dosyaMenu_);
        a->setEnabled(!locked_);
        connect(a, &QAction::triggered, this,
                [this, path] { files_.DosyaAcNew(FileCommands::OpenSender::RecentItem, path); });
        dosyaMenu_->addAction(a);
        recentActions_.append(a);
    }
}

void MainCommands::updateSaveCommands() {
    const bool on = window_.document().isModified() && !locked_;
    Menu_Kaydet->setEnabled(on);
    ToolButton_Kaydet->setEnabled(on);
}

void MainCommands::setLocked(bool locked) {
    locked_ = locked;
    for (QAction* a : dosyaMenu_->actions())
        a->setEnabled(!locked);
    for (QAction* a : {ToolButton7, ToolButton15, ToolButton10, ToolButton_KisaBilgi,
                       Menu_Mukerrer, Menu_DogumGunleri})
        a->setEnabled(!locked);
    history_->setLocked(locked);
    window_.protection().updateActions(locked);
    updateSaveCommands();
}
