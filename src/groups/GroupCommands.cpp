#include "groups/GroupCommands.h"

#include "groups/GroupTreeView.h"
#include "platform/Prompts.h"
#include "platform/qt/WaitCursor.h"
#include "store/GroupOperations.h"
#include "store/RecordDocument.h"

#include <QAction>
#include <QMenu>

namespace {

const QString kCaption = QStringLiteral("Bilgi Girişi");
const QString kSameName = QStringLiteral("Aynı İsim Kullanılamaz");

} // namespace

GroupCommands::GroupCommands(GroupTreeView& tree, RecordDocument& document, Prompts& prompts,
                             QObject* parent)
    : QObject(parent), tree_(tree), document_(document), prompts_(prompts) {
    PopupMenu_Grup = new QMenu(&tree);
    GrupEkle = PopupMenu_Grup->addAction(QStringLiteral("Grup &Ekle"));
    AltgrupEkle = PopupMenu_Grup->addAction(QStringLiteral("&Altgrup Ekle"));
    GrupDuzelt = PopupMenu_Grup->addAction(QStringLiteral("&Düzelt"));
    GrupSil = PopupMenu_Grup->addAction(QStringLiteral("&Sil"));
    HepsiniGoster = PopupMenu_Grup->addAction(QStringLiteral("&Hepsini Göster"));
    connect(GrupEkle, &QAction::triggered, this, &GroupCommands::GrupEkleClick);
    connect(AltgrupEkle, &QAction::triggered, this, &GroupCommands::AltgrupEkleClick);
    connect(GrupDuzelt, &QAction::triggered, this, &GroupCommands::GrupDuzeltClick);
    connect(GrupSil, &QAction::triggered, this, &GroupCommands::GrupSilClick);
    connect(HepsiniGoster, &QAction::triggered, this, &GroupCommands::HepsiniGosterClick);
    connect(PopupMenu_Grup, &QMenu::aboutToShow, this, &GroupCommands::PopupMenu_GrupPopup);

    tree.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!locked_)
            PopupMenu_Grup->popup(tree_.viewport()->mapToGlobal(pos));
    });
}

void GroupCommands::PopupMenu_GrupPopup() {
    const bool focused = tree_.focusedGroup() != nullptr;
    for (QAction* a : {AltgrupEkle, GrupDuzelt, GrupSil, HepsiniGoster})
        a->setEnabled(focused);
}

std::optional<QString> GroupCommands::askName(const QString& prompt, const QString& defaultValue) {
    const auto answer = prompts_.inputBox(kCaption, prompt, defaultValue);
    if (!answer || answer->trimmed().isEmpty())
        return std::nullopt;
    const QString name = answer->trimmed();
    // The separator would split the name into sub-groups on reopening.
    if (name.contains(GroupPathSeparator)) {
        prompts_.showMessage(QStringLiteral("Grup adında \"ÿ\" karakteri kullanılamaz."));
        return std::nullopt;
    }
    return name;
}

void GroupCommands::GrupEkleClick() {
    const auto name = askName(QStringLiteral("Yeni Grup Adı Yazınız"), QString());
    if (!name)
        return;
    GroupTreeModel& groups = document_.groups();
    GroupNode* focused = tree_.focusedGroup();
    GroupNode& parent = focused ? *focused->parent : groups.root();
    if (!groups.isEmpty() && groupops::hasChildNamed(parent, *name)) {
        prompts_.showMessage(kSameName);
        return;
    }
    GroupNode* node = document_.addGroup(parent, focused ? focused->row() : -1, *name);
    tree_.focusGroup(node);
}

void GroupCommands::AltgrupEkleClick() {
    GroupNode* focused = tree_.focusedGroup();
    if (!focused)
        return;
    const auto name = askName(QStringLiteral("Yeni Alt Grup Adı Yazınız"), QString());
    if (!name)
        return;
    if (groupops::hasChildNamed(*focused, *name)) {
        prompts_.showMessage(kSameName);
        return;
    }
    GroupNode* node = document_.addGroup(*focused, -1, *name);
    tree_.expand(document_.groups().indexOf(focused));
    tree_.focusGroup(node);
}

void GroupCommands::GrupDuzeltClick() {
    GroupNode* group = tree_.focusedGroup();
    if (!group)
        return;
    const auto name = askName(QStringLiteral("Yeni Grup Adı Yazınız"), group->Name);
    if (!name || *name == group->Name)
        return;
    if (groupops::hasChildNamed(*group->parent, *name, group)) {
        prompts_.showMessage(QStringLiteral("Aynı isim tekrar kullanılamaz"));
        return;
    }
    document_.renameGroup(group, *name);
}

void GroupCommands::GrupSilClick() {
    GroupNode* group = tree_.focusedGroup();
    if (!group)
        return;
    if (prompts_.ask(group->Name +
                         QStringLiteral(" ve altgrupları içindeki kişi kayıtları ile tamamen "
                                        "silinecektir.\rSilme işlemine devam edilsin mi?"),
                     PromptIcon::Information,
                     {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
        return;
    GroupNode* parent = group->parent;
    const int row = group->row();
    GroupNode* next = nullptr;
    if (row + 1 < int(parent->children.size()))
        next = parent->children[size_t(row + 1)].get();
    else if (row > 0)
        next = parent->children[size_t(row - 1)].get();
    else if (!parent->isRoot())
        next = parent;
    {
        // Thousands of persons may go with the group.
        WaitCursor wait;
        // The persons go first, so the filter that runs when the focus
        // moves (with the row's removal or here) sees the final list.
        document_.deleteGroup(group);
        tree_.focusGroup(next);
    }
    Q_EMIT personsChanged();
}

void GroupCommands::HepsiniGosterClick() {
    tree_.clearFocusWithoutFilter();
    document_.persons().showAll();
    Q_EMIT personsChanged();
}
