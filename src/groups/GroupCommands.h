#pragma once

#include <QObject>

#include <optional>

class GroupTreeView;
class Prompts;
class QAction;
class QMenu;
class RecordDocument;

// The group tree's commands and its context menu.
class GroupCommands : public QObject {
    Q_OBJECT
public:
    GroupCommands(GroupTreeView& tree, RecordDocument& document, Prompts& prompts,
                  QObject* parent = nullptr);

    QMenu* PopupMenu_Grup;
    QAction* GrupEkle;
    QAction* AltgrupEkle;
    QAction* GrupDuzelt;
    QAction* GrupSil;
    QAction* HepsiniGoster;

    void GrupEkleClick();
    void AltgrupEkleClick();
    void GrupDuzeltClick();
    void GrupSilClick();
    void HepsiniGosterClick();
    void PopupMenu_GrupPopup();
    // No group command works while an add or edit is open.
    void setLocked(bool locked) { locked_ = locked; }

Q_SIGNALS:
    void personsChanged();

private:
    std::optional<QString> askName(const QString& prompt, const QString& defaultValue);

    GroupTreeView& tree_;
    RecordDocument& document_;
    Prompts& prompts_;
    bool locked_ = false;
};
