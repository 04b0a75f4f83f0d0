#pragma once

#include "app/TForm_Main.h"

#include <memory>

class TAboutBox;
class TForm_Find;
class TForm_Telefon;
class TToolsDialogBox;

// The program's five windows, created in their fixed order and living
// until the end.
class AppWindows {
public:
    explicit AppWindows(const MainWindowServices& services);
    ~AppWindows();

    TForm_Main& main() { return *main_; }
    TForm_Find& find() { return *find_; }
    TForm_Telefon& telefon() { return *telefon_; }
    TToolsDialogBox& tools() { return *tools_; }
    TAboutBox& about() { return *about_; }

private:
    std::unique_ptr<TForm_Main> main_;
    TForm_Find* find_;
    TForm_Telefon* telefon_;
    TToolsDialogBox* tools_;
    TAboutBox* about_;
};
