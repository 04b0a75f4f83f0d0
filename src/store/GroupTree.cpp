#include "store/GroupTree.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"

#include <algorithm>

int GroupNode::row() const {
    if (!parent)
        return 0;
    const auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return int(i);
    return -1;
}

GroupNode* GroupNode::addChild(QString name, int position) {
    auto node = std::make_unique<GroupNode>();
    node->Name = std::move(name);
    node->parent = this;
    GroupNode* raw = node.get();
    if (position < 0 || position >= int(children.size()))
        children.push_back(std::move(node));
    else
        children.insert(children.begin() + position, std::move(node));
    return raw;
}

QString BuildGroupPath(const GroupNode* node) {
    if (!node || node->isRoot())
        return kNoGroupPath;
    QString path = node->Name;
    for (const GroupNode* p = node->parent; p && !p->isRoot(); p = p->parent)
        path = p->Name + GroupPathSeparator + path;
    return path;
}

namespace {

// Pre-order, but a group whose name does not match the key at offset is
// passed over with its sub-groups: none of their paths can match.
GroupNode* findByKey(const GroupNode& node, QStringView key, qsizetype offset) {
    for (const auto& child : node.children) {
        const qsizetype end = offset + child->Name.size();
        if (end > key.size() || !TurkceKeyEquals(child->Name, key.mid(offset, child->Name.size())))
            continue;
        if (end == key.size())
            return child.get();
        if (key[end] == GroupPathSeparator)
            if (GroupNode* found = findByKey(*child, key, end + 1))
                return found;
    }
    return nullptr;
}

} // namespace

GroupNode* FindPersonGroup(const GroupNode& root, const QString& groupPath) {
    return findByKey(root, TurkceUpperCase(groupPath), 0);
}

void addToMemberChain(GroupNode* node, int delta) {
    for (; node && !node->isRoot(); node = node->parent) {
        const qint64 count = qint64(node->MemberCount) + delta;
        node->MemberCount = quint32(std::max<qint64>(count, 0));
    }
}

GroupNode* resolveGroupPath(GroupNode& root, const QString& path, bool countMember) {
    GroupNode* parent = &root;
    GroupNode* node = nullptr;
    qsizetype pos = 0;
    int depth = 0;
    // A separator at the end leaves an empty last name: such a group is
    // written that way and must come back.
    bool more = !path.isEmpty();
    while (more) {
        qsizetype end = path.indexOf(GroupPathSeparator, pos);
        more = end >= 0;
        if (!more)
            end = path.size();
        const QString component = path.mid(pos, end - pos);
        pos = end + 1;
        if (++depth > kMaxGroupDepth)
            throw ZilvarenError(QStringLiteral("Grup ağacı %1 düzeyden derin; bu kadar derin bir "
                                               "grup yolu okunmaz.")
                                    .arg(kMaxGroupDepth));

        const QString key = TurkceUpperCase(component);
        node = nullptr;
        for (const auto& child : parent->children) {
            if (TurkceKeyEquals(child->Name, key)) {
                node = child.get();
                break;
            }
        }
        if (!node)
            node = parent->addChild(component);
        if (countMember)
            ++node->MemberCount;
        parent = node;
    }
    return node;
}

bool pathLiesIn(QStringView personPath, QStringView groupKey) {
    return personPath.size() >= groupKey.size() &&
           TurkceKeyEquals(personPath.left(groupKey.size()), groupKey) &&
           (personPath.size() == groupKey.size() ||
            personPath.at(groupKey.size()) == GroupPathSeparator);
}
