#pragma once

#include "platform/qt/ElidedLabel.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;
class PicturePanel;
struct PersonRecord;

// The detail pages of one person: Lb_Info above PageControl_Main.
class PersonEditor : public QWidget {
    Q_OBJECT
public:
    // 0 viewing, 1 adding, 2 editing, 3 filling the pages.
    enum Mode { Viewing = 0, Adding = 1, Editing = 2, Filling = 3 };

    explicit PersonEditor(QWidget* parent = nullptr);

    int EditMode() const { return editMode_; }
    void setEditMode(int mode) { editMode_ = mode; }
    void setInfo(const QString& text, const QColor& color);
    void setSexIndex(int index);
    int sexTag() const;
    // The detail controls whose changes start an edit.
    QList<QLineEdit*> fieldEdits() const;

    // Fills every control from the record; never starts an edit.
    void ShowPerson(PersonRecord& person);
    // Empties every control.
    void ClearDetailPages();
    // The person the pages show (nullptr after clearing).
    PersonRecord* shownPerson() const { return shown_; }

    QTabWidget* pages() const { return PageControl_Main; }

    // The caption of a person in viewing mode.
    static QString viewingCaption(const PersonRecord& person);

    // Detail controls, named as the window has always named them.
    ElidedLabel* Lb_Info;
    QTabWidget* PageControl_Main;
    QWidget* TabSheet_TemelBilgi;
    QLineEdit* Edit_ID;
    QLineEdit* Edit_Ad;
    QLineEdit* Edit_Soyad;
    QLineEdit* Edit_DogYer;
    QCheckBox* CheckBox_DogTarihi; // the date picker's check box
    QDateEdit* DTP_DogTarihi;
    QComboBox* ComboBox_Sex;
    QToolButton* SB_Sex;
    QComboBox* ComboBox_MedHal;
    QListWidget* ListBox_Tel;
    QToolButton* SB_TelEkle;
    QToolButton* SB_TelEdit;
    QToolButton* SB_TelSil;
    QToolButton* SB_TelCevir;
    QToolButton* SB_Tel_Up;
    QToolButton* SB_Tel_Down;
    PicturePanel* Panel_Resim;
    QLabel* Lb_EditTime;
    QLineEdit* Edit_EvAdres1;
    QLineEdit* Edit_EvAdres2;
    QLineEdit* Edit_EvPK;
    QLineEdit* Edit_EvSehir;
    QLineEdit* Edit_AnneAdi;
    QLineEdit* Edit_BabaAdi;
    QLineEdit* Edit_Firma;
    QLineEdit* Edit_Bolum;
    QLineEdit* Edit_Meslek;
    QLineEdit* Edit_IsAdres1;
    QLineEdit* Edit_IsAdres2;
    QLineEdit* Edit_IsPK;
    QLineEdit* Edit_IsSehir;
    QPlainTextEdit* Memo_Note;

private:
    int editMode_ = Viewing;
    PersonRecord* shown_ = nullptr;

    QWidget* buildBasicPage();
    QWidget* buildHomePage();
    QWidget* buildWorkPage();
    QWidget* buildNotesPage();
    QWidget* buildDuesPage();
};

// The index of a sex or marital byte in its combo box, and back.
int sexIndex(QChar sex);
QChar sexFromIndex(int index);
int maritalIndex(QChar status);
QChar maritalFromIndex(int index);
