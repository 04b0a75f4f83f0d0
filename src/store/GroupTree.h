#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The byte 0xFF ("ÿ") between the group names of a path.
inline constexpr QChar GroupPathSeparator = QChar(0x00FF);
// The path of a person in no group, and of no group node at all.
inline const QString kNoGroupPath = QStringLiteral("Belli Değil");

// One group. The tree hangs under an invisible root node, whose children
// are the top-level groups.
struct GroupNode {
    QString Name;
    quint32 MemberCount = 0;

    GroupNode* parent = nullptr;
    std::vector<std::unique_ptr<GroupNode>> children;

    bool isRoot() const { return parent == nullptr; }
    int row() const; // position among its siblings
    GroupNode* addChild(QString name, int position = -1);
};

// The group names of a path as the file is read: each name ends at a
// separator, one separator after the last name is dropped, and an empty
// path has no names ("AileÿKuzenler" and "AileÿKuzenlerÿ" name the same
// group; "Aileÿÿ" has an empty-named sub-group).
QStringList splitGroupPath(QStringView path);
// The same names handed to f one by one, without copies.
template <typename F> void forEachGroupName(QStringView path, F&& f) {
    qsizetype pos = 0;
    while (pos < path.size()) {
        qsizetype end = path.indexOf(GroupPathSeparator, pos);
        if (end < 0)
            end = path.size();
        f(path.sliced(pos, end - pos));
        pos = end < path.size() ? end + 1 : end;
    }
}

// The path of names, as splitGroupPath reads it back: joined by the
// separator, with one more after an empty last name.
QString joinGroupPath(const QStringList& names);

// The path of a group's names from the top-level group down;
// "Belli Değil" for no node (or the root).
QString BuildGroupPath(const GroupNode* node);

// The first group, in pre-order, whose path has the same key as groupPath.
GroupNode* FindPersonGroup(const GroupNode& root, const QString& groupPath);

// Adds delta to the member count of node and of each of its ancestors.
void addToMemberChain(GroupNode* node, int delta);

// The deepest group path read: every group line carries its whole path, so
// a deeper tree would make files grow with the square of the depth.
constexpr int kMaxGroupDepth = 64;

// Resolves a path into the tree, creating missing groups on the way, and
// returns the node of its last component (nullptr for an empty path).
// With countMember, every node on the way gets one more member. Throws
// ZilvarenError for a path deeper than kMaxGroupDepth.
GroupNode* resolveGroupPath(GroupNode& root, const QString& path, bool countMember);

// Whether a person's path lies in the group with groupKey (its
// TurkceUpperCase path) or below it.
bool pathLiesIn(QStringView personPath, QStringView groupKey);

// Visits every group (not the root) in pre-order.
template <typename F> void forEachGroup(const GroupNode& node, F&& visit) {
    for (const auto& child : node.children) {
        visit(*child);
        forEachGroup(*child, visit);
    }
}
