#pragma once

#include "store/PersonRecord.h"
#include "store/RecordFile.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// Why persons were taken for one person, as flags.
enum DuplicateReason : unsigned { SameName = 1, SameMail = 2, SameMobile = 4 };

// "aynı ad, aynı e-posta": the reasons of a group.
QString reasonText(unsigned reasons);

struct DuplicateGroup {
    std::vector<int> members; // the persons' positions in the order they were added
    unsigned reasons = 0;
};

// The groups of likely duplicates among persons handed over one by one.
// Each person's keys (the folded name, mail addresses, mobile numbers) are
// hashed as it comes, so no two persons are ever compared and the persons
// need not be kept. Persons sharing a key are one group, and so are the
// groups joined through a person: A like B and B like C puts all three
// together.
class DuplicateFinder {
public:
    void add(const PersonRecord& person);
    int count() const { return int(parent_.size()); }
    // The groups of two or more, by their first member, members in order;
    // a group whose members all stand in one entry of different (the user
    // said they are different persons) is left out.
    std::vector<DuplicateGroup> groups(const DifferentPersons& different) const;

private:
    int root(int i) const;
    void link(QHash<QStringView, int>& seen, QStringView key, int person, DuplicateReason reason);
    // A copy of key that stays where it is while the finder lives.
    QStringView keep(QStringView key);

    // Each key's first person. The keys lie in blocks that never move.
    QHash<QStringView, int> names_, mails_, mobiles_;
    std::vector<std::unique_ptr<char16_t[]>> keyBlocks_;
    qsizetype keyBlockUsed_ = 0;
    QString name_; // the name key being made, its room kept
    mutable std::vector<int> parent_;
    std::vector<int> size_;
    std::vector<unsigned> reasons_; // of the group a person is the root of
    std::vector<QString> identities_;
};

// The groups among persons (in their order).
std::vector<DuplicateGroup> findDuplicates(const std::vector<const PersonRecord*>& persons,
                                           const DifferentPersons& different);
