#include "app/AppWindows.h"

#include "app/MainCommands.h"

#include "app/AboutBox.h"
#include "app/FileProtection.h"
#include "person/ContactList.h"
#include "search/FindDialog.h"
#include "telephony/DialWindow.h"
#include "tools/ToolsDialog.h"

AppWindows::AppWindows(const MainWindowServices& services)
    : main_(std::make_unique<TForm_Main>(services)) {
    find_ = new TForm_Find(main_->document(), main_.get());
    telefon_ = new TForm_Telefon(services.settings, main_.get());
    tools_ = new TToolsDialogBox(main_->document(), services.prompts, main_.get());
    about_ = new TAboutBox(main_.get());

    TForm_Main* m = main_.get();
    QObject::connect(m->commands().ToolButton_KisaBilgi, &QAction::triggered, about_,
                     &QDialog::exec);
    QObject::connect(m->commands().ToolButton10, &QAction::triggered, tools_, &QDialog::exec);
    QObject::connect(m->commands().ToolButton7, &QAction::triggered, find_, [m, this] {
        if (m->document().persons().personCount() > 0)
            find_->exec();
    });
    QObject::connect(m, &TForm_Main::closingWritesSettings, telefon_, &TForm_Telefon::addPageSetup);
    QObject::connect(m, &TForm_Main::newFileStarted, find_, &TForm_Find::clearAll);
    QObject::connect(m, &TForm_Main::personsChangedUnderFind, find_, &TForm_Find::refreshResults);
    QObject::connect(&m->contacts(), &ContactList::dialRequested, telefon_,
                     &TForm_Telefon::openFor);
    find_->setJump([m](PersonRecord* p) { m->jumpToPerson(p); });
    tools_->setAfterBulkChange([m] { m->showFocusedPerson(); });
    SettingsStore& settings = services.settings;
    tools_->setIdleLock(settings.idleLockMinutes(), [m, &settings](int minutes) {
        settings.writeIdleLockMinutes(minutes);
        m->protection().setIdleMinutes(minutes);
    });
}

AppWindows::~AppWindows() = default;
