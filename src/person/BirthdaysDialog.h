#pragma once

#include "person/Birthdays.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

// "Doğum Günleri": today's birthdays and those of the next 30 days; a
// double click (or Enter, or "Göster") shows the person in the window.
class BirthdaysDialog : public QDialog {
    Q_OBJECT
public:
    BirthdaysDialog(std::vector<Birthday> birthdays, const QDate& today, QWidget* parent = nullptr);

    // Hands the chosen person to the window; the dialog then closes.
    void setShowPerson(std::function<void(const PersonRecord*)> show) { show_ = std::move(show); }

    QTreeWidget* List_DogumGunleri;
    QPushButton* Button_Goster;
    QPushButton* Button_Kapat;

private:
    void showChosen();

    std::vector<Birthday> birthdays_;
    std::function<void(const PersonRecord*)> show_;
};
