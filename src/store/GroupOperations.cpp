#include "store/GroupOperations.h"

#include "platform/TurkishText.h"

namespace groupops {

bool hasChildNamed(const GroupNode& parent, const QString& name, const GroupNode* except) {
    const QString key = TurkceUpperCase(name);
    for (const auto& child : parent.children)
        if (child.get() != except && TurkceKeyEquals(child->Name, key))
            return true;
    return false;
}

} // namespace groupops
