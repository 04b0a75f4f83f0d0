#include "duplicates/DuplicateSearch.h"

#include "store/PersonKeys.h"

#include <QSet>

namespace {

// Fewer digits than a subscriber number are no number to tell a person by.
constexpr qsizetype kShortestMobile = 7;

} // namespace

QString reasonText(unsigned reasons) {
    QStringList texts;
    if (reasons & SameName)
        texts.append(QStringLiteral("aynı ad"));
    if (reasons & SameMail)
        texts.append(QStringLiteral("aynı e-posta"));
    if (reasons & SameMobile)
        texts.append(QStringLiteral("aynı cep telefonu"));
    return texts.join(QStringLiteral(", "));
}

int DuplicateFinder::root(int i) const {
    while (parent_[size_t(i)] != i) {
        parent_[size_t(i)] = parent_[size_t(parent_[size_t(i)])];
        i = parent_[size_t(i)];
    }
    return i;
}

QStringView DuplicateFinder::keep(QStringView key) {
    constexpr qsizetype kBlock = 64 * 1024;
    if (keyBlocks_.empty() || keyBlockUsed_ + key.size() > kBlock) {
        keyBlocks_.push_back(std::make_unique<char16_t[]>(size_t(std::max(kBlock, key.size()))));
        keyBlockUsed_ = 0;
    }
    char16_t* at = keyBlocks_.back().get() + keyBlockUsed_;
    std::copy(key.utf16(), key.utf16() + key.size(), at);
    keyBlockUsed_ += key.size();
    return QStringView(at, key.size());
}

void DuplicateFinder::link(QHash<QStringView, int>& seen, QStringView key, int person,
                           DuplicateReason reason) {
    const auto it = seen.constFind(key);
    if (it == seen.cend()) {
        seen.insert(keep(key), person);
        return;
    }
    int a = root(*it);
    int b = root(person);
    if (a != b) {
        if (size_[size_t(a)] < size_[size_t(b)])
            std::swap(a, b);
        parent_[size_t(b)] = a;
        size_[size_t(a)] += size_[size_t(b)];
        reasons_[size_t(a)] |= reasons_[size_t(b)];
    }
    reasons_[size_t(a)] |= reason;
}

void DuplicateFinder::add(const PersonRecord& person) {
    const int i = count();
    parent_.push_back(i);
    size_.push_back(1);
    reasons_.push_back(0);
    identities_.push_back(person.Identity);
    // Keys are made in place and copied only when new: most persons share
    // no key with another.
    nameKeyInto(person, name_);
    if (!name_.isEmpty())
        link(names_, name_, i, SameName);
    forEachContactKey(person, [this, i](ContactKeyKind kind, QStringView key) {
        if (kind == ContactKeyKind::Mail)
            link(mails_, key, i, SameMail);
        else if (kind == ContactKeyKind::Mobile && key.size() >= kShortestMobile)
            link(mobiles_, key, i, SameMobile);
    });
}

std::vector<DuplicateGroup> DuplicateFinder::groups(const DifferentPersons& different) const {
    std::vector<DuplicateGroup> groups;
    std::vector<int> groupOfRoot(parent_.size(), -1);
    for (int i = 0; i < count(); ++i) {
        const int r = root(i);
        if (size_[size_t(r)] < 2)
            continue;
        int& g = groupOfRoot[size_t(r)];
        if (g < 0) {
            g = int(groups.size());
            groups.push_back({{}, reasons_[size_t(r)]});
        }
        groups[size_t(g)].members.push_back(i);
    }
    if (different.isEmpty())
        return groups;

    std::vector<QSet<QString>> entries;
    QHash<QString, std::vector<size_t>> entriesWith;
    for (const QStringList& identities : different) {
        for (const QString& id : identities)
            entriesWith[id].push_back(entries.size());
        entries.emplace_back(identities.cbegin(), identities.cend());
    }
    const auto saidDifferent = [&](const DuplicateGroup& g) {
        const QString& first = identities_[size_t(g.members.front())];
        if (first.isEmpty())
            return false;
        for (const size_t e : entriesWith.value(first)) {
            const QSet<QString>& entry = entries[e];
            if (std::all_of(g.members.begin(), g.members.end(),
                            [&](int m) { return entry.contains(identities_[size_t(m)]); }))
                return true;
        }
        return false;
    };
    std::erase_if(groups, saidDifferent);
    return groups;
}

std::vector<DuplicateGroup> findDuplicates(const std::vector<const PersonRecord*>& persons,
                                           const DifferentPersons& different) {
    DuplicateFinder finder;
    forEachRecord(persons, [&finder](const PersonRecord& p) { finder.add(p); });
    return finder.groups(different);
}
