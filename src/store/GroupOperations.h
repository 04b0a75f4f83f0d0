#pragma once

#include "store/RecordDocument.h"

#include <vector>

// Changes to the group tree that keep every person's path and every
// group's member count in step with it.
namespace groupops {

// Whether a child of parent other than except has the same name.
bool hasChildNamed(const GroupNode& parent, const QString& name, const GroupNode* except = nullptr);

// Renames a group and rewrites the paths of the persons in it and below.
void renameGroup(RecordDocument& document, GroupNode* group, const QString& newName);

// Removes a group with its sub-groups and every person filed in them;
// returns the number of persons removed.
int deleteGroup(RecordDocument& document, GroupNode* group);

// Files persons into a group: each leaves the chain of its old path.
void filePersons(RecordDocument& document, const std::vector<PersonRecord*>& persons,
                 GroupNode* target);

// Files persons whose paths may name groups not yet there, as reading a
// file would: the missing groups are made, and each person is counted in
// its group and the groups above it (with delta -1, taken out again).
void countPersons(RecordDocument& document, const std::vector<const PersonRecord*>& persons,
                  int delta);

enum class DropMode { Above, OnNode, Below };
enum class MoveResult { Moved, InsideItself, SameName };

// Moves a group before, under or after the target, with its sub-groups;
// the persons below it follow.
MoveResult moveGroup(RecordDocument& document, GroupNode* group, GroupNode* target, DropMode mode);

} // namespace groupops
