#pragma once

#include <QObject>

#include <functional>
#include <optional>

class PersonEditing;
class PersonEditor;
class Prompts;
struct ShellTarget;
class ShellOpener;

// The contact entries of the shown person ("Telefon - Mail - Web").
class ContactList : public QObject {
    Q_OBJECT
public:
    // The entry dialog: title, chosen kind and value in; the typed entry
    // out (nullopt when cancelled). Tests replace it.
    struct Entry {
        QString kind;
        QString value;
    };
    using EntryDialog = std::function<std::optional<Entry>(const QString& title, const Entry&)>;

    static const QStringList kKinds;

    ContactList(PersonEditor& pages, PersonEditing& editing, Prompts& prompts, ShellOpener& shell,
                QObject* parent = nullptr);
    void setEntryDialog(EntryDialog dialog) { dialog_ = std::move(dialog); }

    void SB_TelEditClick(bool editing);
    void ListBox_TelDblClick() { SB_TelEditClick(true); }
    void SB_TelSilClick();
    void SB_Tel_UpClick();
    void SB_Tel_DownClick();
    void SB_TelCevirClick();

Q_SIGNALS:
    // A telephone entry is to be dialled.
    void dialRequested(const QString& number);

private:
    void move(int delta);
    void openInDesktop(const ShellTarget& target);

    PersonEditor& pages_;
    PersonEditing& editing_;
    Prompts& prompts_;
    ShellOpener& shell_;
    EntryDialog dialog_;
};

// The small dialog in which one entry is typed, built anew each time.
std::optional<ContactList::Entry> runContactEntryDialog(const QString& title,
                                                        const ContactList::Entry& entry);
