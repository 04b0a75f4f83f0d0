#include "person/PersonEditing.h"

#include "groups/GroupTreeView.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "person/PicturePanel.h"
#include "platform/Clock.h"
#include "platform/Cp1254.h"
#include "platform/Prompts.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/RecordDocument.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

namespace {

const QColor kAddingColour(0xFF, 0x00, 0x00);
const QColor kEditingColour(0x00, 0x80, 0x00);

QAction* command(QObject* parent, const QString& text, const char* name) {
    auto* a = new QAction(text, parent);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

// The inverse of showing the lines joined by line breaks.
QStringList memoLines(const QPlainTextEdit& memo) {
    const QString text = memo.toPlainText();
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char('\n'));
}

QStringList items(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.item(i)->text());
    return out;
}

QStringList items(const QComboBox& combo) {
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out.append(combo.itemText(i));
    return out;
}

} // namespace

PersonEditing::PersonEditing(PersonEditor& pages, RecordDocument& document, PersonListView& list,
                             GroupTreeView& groups, Prompts& prompts, Clock& clock, QObject* parent)
    : QObject(parent), pages_(pages), document_(document), list_(list), groups_(groups),
      prompts_(prompts), clock_(clock) {
    SB_Ekle = command(this, QStringLiteral("&Ekle"), "SB_Ekle");
    SB_Duzelt = command(this, QStringLiteral("&Düzelt"), "SB_Duzelt");
    SB_Sil = command(this, QStringLiteral("&Sil"), "SB_Sil");
    SB_Tamam = command(this, QStringLiteral("&Tamam"), "SB_Tamam");
    SB_Iptal = command(this, QStringLiteral("İptal"), "SB_Iptal");
    SB_Tamam->setEnabled(false);
    SB_Iptal->setEnabled(false);
    // Tool bar buttons show no mnemonics; the keys are set here.
    SB_Ekle->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    SB_Duzelt->setShortcut(QKeySequence(Qt::Key_F2));
    SB_Sil->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    SB_Tamam->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_T), QKeySequence(Qt::CTRL | Qt::Key_Return)});
    SB_Iptal->setShortcut(QKeySequence(Qt::ALT | Qt::Key_I));
    // One stray key press must not throw typed work away.
    EscapeCancel = command(this, QStringLiteral("İptal (Esc)"), "EscapeCancel");
    EscapeCancel->setShortcut(QKeySequence(Qt::Key_Escape));
    EscapeCancel->setEnabled(false);
    connect(EscapeCancel, &QAction::triggered, this, &PersonEditing::escapePressed);
    for (QAction* a : {SB_Ekle, SB_Duzelt, SB_Sil, SB_Tamam, SB_Iptal})
        a->setToolTip(a->text().remove(QLatin1Char('&')) + QStringLiteral(" (") +
                      a->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    connect(SB_Ekle, &QAction::triggered, this, &PersonEditing::SB_EkleClick);
    connect(SB_Duzelt, &QAction::triggered, this, &PersonEditing::SB_DuzeltClick);
    connect(SB_Sil, &QAction::triggered, this, &PersonEditing::SB_SilClick);
    connect(SB_Tamam, &QAction::triggered, this, &PersonEditing::SB_TamamClick);
    connect(SB_Iptal, &QAction::triggered, this, &PersonEditing::SB_IptalClick);
    connect(&list_, &PersonListView::personFocused, this, &PersonEditing::VSTChange);
    // A person that leaves the file leaves the pages too.
    connect(&document_.persons(), &PersonListModel::personAboutToBeRemoved, this,
            [this](const PersonRecord* person) {
                if (!person || person == editTarget_)
                    editTarget_ = nullptr;
                if (pages_.shownPerson() && (!person || person == pages_.shownPerson()))
                    pages_.ClearDetailPages();
            });
    connectChangeNotifications();
    for (QLineEdit* e : {pages_.Edit_ID, pages_.Edit_Ad, pages_.Edit_Soyad, pages_.Edit_DogYer})
        upperCaseEntry(e);
    leaveHistoryKeysToTheWindow();
}

bool PersonEditing::isEditing() const {
    return pages_.EditMode() == PersonEditor::Adding || pages_.EditMode() == PersonEditor::Editing;
}

// Filling the pages runs with EditMode 3 and an open edit with 1 or 2, so
// the notifications below only start an edit when the user changes
// something in viewing mode.
void PersonEditing::connectChangeNotifications() {
    for (QLineEdit* e : pages_.fieldEdits())
        connect(e, &QLineEdit::textChanged, this, &PersonEditing::Edit_Change);
    connect(pages_.DTP_DogTarihi, &QDateEdit::dateChanged, this, &PersonEditing::Edit_Change);
    connect(pages_.CheckBox_DogTarihi, &QCheckBox::toggled, this, &PersonEditing::Edit_Change);
    connect(pages_.ComboBox_MedHal, &QComboBox::currentIndexChanged, this,
            &PersonEditing::Edit_Change);
    connect(pages_.Memo_Note, &QPlainTextEdit::textChanged, this, &PersonEditing::Edit_Change);
    connect(pages_.ComboBox_Sex, &QComboBox::currentIndexChanged, this,
            &PersonEditing::ComboBox_SexChange);
    connect(pages_.SB_Sex, &QToolButton::clicked, this, &PersonEditing::SB_SexClick);
}

namespace {

// Turkish upper case as typed (i -> İ, ı -> I). Each key is put in as its
// upper-case letter through the edit's own insert, so Ctrl+Z still undoes
// typing; text that arrives otherwise (an input method, a context-menu
// paste) is upper-cased afterwards.
class TurkishUpperCaseEntry : public QObject {
public:
    explicit TurkishUpperCaseEntry(QLineEdit* edit) : QObject(edit), edit_(edit) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [edit](const QString& text) {
            const QString upper = TurkceUpperCase(text);
            if (upper == text)
                return;
            const int cursor = edit->cursorPosition();
            edit->setText(upper);
            edit->setCursorPosition(cursor);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_ || event->type() != QEvent::KeyPress || edit_->isReadOnly())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QString typed;
        if (key->matches(QKeySequence::Paste))
            typed = QGuiApplication::clipboard()->text();
        else if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        else
            typed = key->text();
        if (typed.isEmpty() || !typed.at(0).isPrint())
            return false;
        const QString upper = TurkceUpperCase(typed);
        if (upper == typed && !key->matches(QKeySequence::Paste))
            return false;
        edit_->insert(upper);
        return true;
    }

private:
    QLineEdit* edit_;
};

} // namespace

void PersonEditing::upperCaseEntry(QLineEdit* edit) { new TurkishUpperCaseEntry(edit); }

namespace {

// While viewing, Ctrl+Z and Ctrl+Y undo and redo the file's steps even
// with the cursor in a detail field; during an add or edit they are the
// field's own.
class HistoryKeys : public QObject {
public:
    HistoryKeys(PersonEditing& editing) : QObject(&editing), editing_(editing) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride || editing_.isEditing())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool history = key->matches(QKeySequence::Undo) ||
                             key->matches(QKeySequence::Redo) ||
                             (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
        if (!history)
            return false;
        event->ignore(); // the window's shortcut takes it
        return true;
    }

private:
    PersonEditing& editing_;
};

} // namespace

void PersonEditing::leaveHistoryKeysToTheWindow() {
    auto* keys = new HistoryKeys(*this);
    for (QLineEdit* e : pages_.fieldEdits())
        e->installEventFilter(keys);
    for (QWidget* w : std::initializer_list<QWidget*>{pages_.Memo_Note, pages_.DTP_DogTarihi})
        w->installEventFilter(keys);
}

void PersonEditing::LockForEditing() {
    SB_Ekle->setEnabled(false);
    SB_Duzelt->setEnabled(false);
    SB_Sil->setEnabled(false);
    SB_Tamam->setEnabled(true);
    SB_Iptal->setEnabled(true);
    EscapeCancel->setEnabled(true);
    list_.setEnabled(false);
    Q_EMIT lockChanged(true);
}

void PersonEditing::UnlockAfterEditing() {
    SB_Ekle->setEnabled(true);
    SB_Duzelt->setEnabled(true);
    SB_Sil->setEnabled(true);
    SB_Tamam->setEnabled(false);
    SB_Iptal->setEnabled(false);
    EscapeCancel->setEnabled(false);
    list_.setEnabled(true);
    Q_EMIT lockChanged(false);
}

void PersonEditing::createFirstGroup() {
    GroupNode* node =
        document_.addGroup(document_.groups().root(), -1, QStringLiteral("Yeni Grup"));
    groups_.focusGroup(node);
}

void PersonEditing::SB_EkleClick() {
    if (document_.groups().isEmpty())
        createFirstGroup();
    if (document_.persons().personCount() > 0)
        pages_.ClearDetailPages();
    pages_.setInfo(QStringLiteral("Yeni Kayıt Yapılıyor"), kAddingColour);
    pages_.setEditMode(PersonEditor::Adding);
    LockForEditing();
    pages_.Edit_ID->setText(QString::number(document_.persons().personCount() + 1));
    // The proposed number is not the user's work.
    changedDuringEdit_ = false;
    if (pages_.PageControl_Main->currentIndex() == 0)
        pages_.Edit_Ad->setFocus();
}

void PersonEditing::SB_DuzeltClick() {
    if (!list_.focusedPerson()) {
        prompts_.showMessage(QStringLiteral("Düzeltme işlemi için seçili bir kayıt olmalıdır."));
        return;
    }
    editTarget_ = list_.focusedPerson();
    changedDuringEdit_ = false;
    pages_.setInfo(QStringLiteral("Kayıt Düzeltiliyor"), kEditingColour);
    pages_.setEditMode(PersonEditor::Editing);
    LockForEditing();
}

void PersonEditing::Edit_Change() {
    if (isEditing())
        changedDuringEdit_ = true;
    if (pages_.EditMode() > PersonEditor::Viewing)
        return;
    if (list_.focusedPerson())
        SB_DuzeltClick();
    else
        SB_EkleClick();
    changedDuringEdit_ = isEditing();
}

void PersonEditing::commandChangedPages() {
    if (!isEditing())
        SB_DuzeltClick();
    changedDuringEdit_ = isEditing();
}

void PersonEditing::escapePressed() {
    if (!isEditing())
        return;
    if (changedDuringEdit_ &&
        prompts_.ask(QStringLiteral("Yapılan değişiklikler kaydedilmeden iptal edilsin mi?"),
                     PromptIcon::Warning, {PromptButton::Yes, PromptButton::No}) !=
            PromptButton::Yes)
        return;
    SB_IptalClick();
}

void PersonEditing::ComboBox_SexChange(int index) {
    pages_.setSexIndex(std::max(index, 0));
    Edit_Change();
}

void PersonEditing::SB_SexClick() {
    const int tag = (pages_.sexTag() + 1) % 3;
    pages_.setSexIndex(tag);
    pages_.ComboBox_Sex->setCurrentIndex(tag);
    Edit_Change();
}

void PersonEditing::store(PersonRecord& p, bool adding) const {
    const PersonEditor& e = pages_;
    p.RecordNo = TurkceUpperCase(e.Edit_ID->text());
    p.FirstName = TurkceUpperCase(e.Edit_Ad->text());
    p.Surname = TurkceUpperCase(e.Edit_Soyad->text());
    p.BirthPlace = TurkceUpperCase(e.Edit_DogYer->text());
    p.BirthDate = e.CheckBox_DogTarihi->isChecked() ? birthdate::fromDate(e.DTP_DogTarihi->date())
                                                     : 0;
    p.Sex = sexFromIndex(e.ComboBox_Sex->currentIndex());
    p.MaritalStatus = maritalFromIndex(e.ComboBox_MedHal->currentIndex());
    p.Contacts = items(*e.ListBox_Tel);
    p.Pictures = items(*e.Panel_Resim->ComboBox_Obje);
    p.PictureIndex = e.Panel_Resim->ComboBox_Obje->currentIndex();
    p.HomeAddress1 = e.Edit_EvAdres1->text();
    p.HomeAddress2 = e.Edit_EvAdres2->text();
    p.HomePostCode = e.Edit_EvPK->text();
    p.HomeCity = e.Edit_EvSehir->text();
    p.Firm = e.Edit_Firma->text();
    p.Department = e.Edit_Bolum->text();
    p.Profession = e.Edit_Meslek->text();
    p.WorkAddress1 = e.Edit_IsAdres1->text();
    p.WorkAddress2 = e.Edit_IsAdres2->text();
    p.WorkPostCode = e.Edit_IsPK->text();
    p.WorkCity = e.Edit_IsSehir->text();
    // An edit keeps the person in its group; moving is done by dragging.
    if (adding)
        p.GroupPath = BuildGroupPath(groups_.focusedGroup());
    // Notes the user did not touch stay exactly as they were.
    if (adding || e.Memo_Note->document()->isModified())
        p.Notes = memoLines(*e.Memo_Note);
}

std::optional<PersonRecord> PersonEditing::pendingRecord(const PersonRecord** replaces) const {
    const bool adding = pages_.EditMode() == PersonEditor::Adding;
    if (!isEditing() || (!adding && !editTarget_))
        return std::nullopt;
    *replaces = adding ? nullptr : editTarget_;
    PersonRecord values = adding ? PersonRecord{} : *editTarget_;
    store(values, adding);
    return values;
}

void PersonEditing::SB_TamamClick() {
    PersonEditor& e = pages_;
    e.Edit_Ad->setText(e.Edit_Ad->text().trimmed());
    e.Edit_ID->setText(e.Edit_ID->text().trimmed());
    if (e.Edit_Ad->text().isEmpty() || e.Edit_ID->text().isEmpty()) {
        e.PageControl_Main->setCurrentIndex(0);
        prompts_.showMessage(QStringLiteral("Kayıt No ve/veya Ad Boş Bırakılamaz !"));
        return;
    }
    const bool adding = e.EditMode() == PersonEditor::Adding;
    if (!adding && !editTarget_) {
        // The record went away under the edit; nothing left to write into.
        SB_IptalClick();
        return;
    }
    const QString recordNo = TurkceUpperCase(e.Edit_ID->text());
    PersonListModel& persons = document_.persons();
    bool taken = false;
    persons.forEachPerson([&](const PersonRecord& other) {
        taken = taken || ((adding || &other != editTarget_) && other.RecordNo == recordNo);
    });
    if (taken) {
        prompts_.showMessage(QStringLiteral("Aynı Kayıt Numarası Tekrar Kullanılamaz !"));
        return;
    }

    PersonRecord values = adding ? PersonRecord{} : *editTarget_;
    store(values, adding);
    // Nothing the code page cannot hold may reach the file unnoticed.
    QString bad;
    for (const QString& field : {values.RecordNo, values.FirstName, values.Surname,
                                 values.BirthPlace, values.HomeAddress1, values.HomeAddress2,
                                 values.HomePostCode, values.HomeCity, values.Firm,
                                 values.Department, values.Profession, values.WorkAddress1,
                                 values.WorkAddress2, values.WorkPostCode, values.WorkCity,
                                 values.Contacts.join(QString()), values.Notes.join(QString())})
        for (QChar c : cp1254::unencodableCharacters(field))
            if (!bad.contains(c))
                bad.append(c);
    if (!bad.isEmpty()) {
        prompts_.showMessage(QStringLiteral("Şu karakterler dosyaya yazılamaz: ") + bad +
                             QStringLiteral("\rLütfen düzeltiniz."));
        return;
    }

    PersonRecord* target = editTarget_;
    const RecordDocument::PictureChange pictures =
        takePictureChanges_ ? takePictureChanges_() : RecordDocument::PictureChange{};
    if (adding) {
        values.RecordedAt = clock_.stampNow();
        target = document_.addPerson(std::make_unique<PersonRecord>(std::move(values)), pictures);
    } else {
        values.EditedAt = clock_.stampNow();
        document_.changePerson(target, std::move(values), pictures);
    }
    editTarget_ = nullptr;
    e.setInfo(PersonEditor::viewingCaption(*target), Qt::black);
    e.setEditMode(PersonEditor::Viewing);
    UnlockAfterEditing();
    if (target == list_.focusedPerson())
        VSTChange(target);
    else
        list_.focusPerson(target);
    Q_EMIT editConfirmed();
}

void PersonEditing::setAside() {
    if (!isEditing())
        return;
    if (takePictureChanges_)
        takePictureChanges_();
    endEdit();
}

void PersonEditing::SB_IptalClick() {
    endEdit();
    Q_EMIT editCancelled();
}

void PersonEditing::endEdit() {
    editTarget_ = nullptr;
    pages_.ClearDetailPages();
    if (PersonRecord* p = list_.focusedPerson())
        pages_.ShowPerson(*p);
    pages_.setEditMode(PersonEditor::Viewing);
    UnlockAfterEditing();
}

void PersonEditing::SB_SilClick() {
    // Only the person the pages show is ever deleted, never a row the user
    // cannot see.
    PersonRecord* victim = pages_.shownPerson();
    if (!victim)
        return;
    PersonListModel& persons = document_.persons();
    const QModelIndex row = persons.indexOf(victim);
    PersonRecord* neighbour = nullptr;
    if (row.isValid()) {
        neighbour = persons.personAtRow(row.row() + 1);
        if (!neighbour)
            neighbour = persons.personAtRow(row.row() - 1);
    }

    LockForEditing();
    pages_.PageControl_Main->setCurrentIndex(0);
    document_.removePersons({victim});
    // Qt would move the focus to a neighbour; afterwards no person is
    // focused until the user picks one.
    list_.clearFocusedPerson();
    if (neighbour) {
        list_.selectWithoutFocus(neighbour);
        VSTChange(neighbour);
    } else {
        pages_.ClearDetailPages();
    }
    UnlockAfterEditing();
}

void PersonEditing::VSTChange(PersonRecord* person) {
    if (!person)
        return;
    pages_.ShowPerson(*person);
    groups_.selectOnly(FindPersonGroup(document_.groups().root(), person->GroupPath));
}
