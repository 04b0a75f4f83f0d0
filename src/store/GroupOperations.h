#pragma once

#include "store/GroupTree.h"

// What the group tree's moves need to know; the changes themselves are
// the document's.
namespace groupops {

// Whether a child of parent other than except has the same name.
bool hasChildNamed(const GroupNode& parent, const QString& name, const GroupNode* except = nullptr);

enum class DropMode { Above, OnNode, Below };
enum class MoveResult { Moved, InsideItself, SameName };

} // namespace groupops
