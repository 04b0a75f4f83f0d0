#include "sync/SyncEngine.h"

#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "platform/Clock.h"
#include "store/PersonKeys.h"
#include "store/PersonMerge.h"
#include "store/RecordDocument.h"
#include "sync/SyncCards.h"

#include <QDir>
#include <QFile>

#include <QFile>
#include <algorithm>

namespace {

constexpr qsizetype kFetchBatch = 100;

} // namespace

QString SyncReport::summary() const {
    QString text = QStringLiteral("Eşitleme tamamlandı: %1 kart gönderildi, %2 kişi alındı, "
                                  "%3 kişi silindi, sunucuda %4 kart silindi, %5 çakışma.")
                       .arg(sent)
                       .arg(received)
                       .arg(deletedHere)
                       .arg(deletedThere)
                       .arg(conflicts);
    if (!untaken.isEmpty())
        text += QStringLiteral(" Alınamayan %1 kart sunucuda olduğu gibi bırakıldı: %2.")
                    .arg(untaken.size())
                    .arg(untaken.mid(0, 5).join(QStringLiteral("; ")) +
                         (untaken.size() > 5 ? QStringLiteral("; ...") : QString()));
    if (conflicts > 0)
        text += QStringLiteral(" Sunucudaki farklı sürümler \"%1\" grubunda ayrı kişi olarak "
                               "duruyor; hangisini tutarsanız bir sonraki eşitlemede o gider.")
                    .arg(kConflictGroup);
    return text;
}

SyncEngine::SyncEngine(CardDavClient& dav, RecordDocument& document, SyncState& state,
                       const Clock& clock, QString pictureFolder)
    : dav_(dav), document_(document), state_(state), clock_(clock),
      pictureFolder_(std::move(pictureFolder)) {}

// Everything one sync decides, applied to the document at its end.
struct SyncEngine::Run {
    Run(SyncEngine& engine, const SyncTarget& t)
        : e(engine), target(t), next(engine.state_), stamp(engine.clock_.stampNow()) {}

    SyncEngine& e;
    const SyncTarget& target;
    SyncReport report;
    QUrl book;
    SyncState next;
    QString stamp;

    // The persons of the file, by identity (a person without one gets its
    // identity now, stored only when the sync is through).
    QHash<QString, PersonRecord*> byIdentity;
    QHash<const PersonRecord*, QString> identityOf;
    QHash<QString, QString> identityAt; // href: identity, as last synced
    QSet<QString> handled;
    // Persons never synced, for a first sync to match cards to.
    QMultiHash<QString, PersonRecord*> unsyncedByName;

    struct Change {
        PersonRecord* person = nullptr;       // null: a person to add
        std::unique_ptr<PersonRecord> values; // what the card says
        std::vector<VCardPhoto> photos;
        QString identity;
        bool merge = false; // the person keeps its own pictures too
    };
    std::vector<Change> changes;
    std::vector<PersonRecord*> removals;
    QSet<QString> digestsToMake; // identities whose digest is known once applied

    void step(const QString& what) {
        if (target.onStep)
            target.onStep(what);
    }

    QString identity(const PersonRecord* p) const { return identityOf.value(p); }

    void takeLocal() {
        QSet<QString> taken;
        const std::vector<const PersonRecord*> all = e.document_.persons().allPersons();
        for (const PersonRecord* p : all)
            if (!p->Identity.isEmpty())
                taken.insert(p->Identity);
        QSet<QString> given;
        for (const PersonRecord* cp : all) {
            auto* p = const_cast<PersonRecord*>(cp);
            QString id = p->Identity;
            // A copied person shares its identity: the second gets its own.
            if (id.isEmpty() || given.contains(id)) {
                id = newIdentity(*p, taken);
                taken.insert(id);
            }
            given.insert(id);
            identityOf.insert(p, id);
            byIdentity.insert(id, p);
            if (!e.state_.cards.contains(id))
                unsyncedByName.insert(nameKey(*p), p);
        }
        for (auto it = e.state_.cards.cbegin(); it != e.state_.cards.cend(); ++it)
            identityAt.insert(it->href, it.key());
    }

    AddressBook pickBook() {
        if (!e.state_.book.isEmpty())
            return {QUrl(e.state_.book), QString()};
        step(QStringLiteral("Sunucuda adres defteri aranıyor…"));
        const Discovery found = e.dav_.discover(target.server);
        if (found.books.empty()) {
            step(QStringLiteral("Sunucuda yeni bir adres defteri açılıyor…"));
            return e.dav_.createBook(found.home, target.newBookName);
        }
        if (found.books.size() == 1)
            return found.books.front();
        const std::optional<int> chosen =
            target.chooseBook ? target.chooseBook(found.books) : std::nullopt;
        if (!chosen || *chosen < 0 || *chosen >= int(found.books.size()))
            throw SyncError(QStringLiteral("Sunucuda birden çok adres defteri var; "
                                           "eşitleme için biri seçilmedi."));
        return found.books[size_t(*chosen)];
    }

    CardListing listCards() {
        step(QStringLiteral("Sunucudaki değişiklikler listeleniyor…"));
        const QByteArray token = e.state_.cards.isEmpty() ? QByteArray() : e.state_.token;
        try {
            if (std::optional<CardListing> changes = e.dav_.changesSince(book, token))
                return std::move(*changes);
        } catch (const SyncTokenRejected&) {
            // The server forgot the token: every card by its ETag.
        }
        return e.dav_.listAll(book);
    }

    // The unsynced person a card of a first sync stands for: the same
    // name, folded the Turkish way, and a number or mail address in common.
    PersonRecord* matchUnsynced(const PersonRecord& card) {
        const QString name = nameKey(card);
        if (name.isEmpty())
            return nullptr;
        const ContactKeys theirs = contactKeys(card);
        QSet<QString> keys;
        for (const QStringList* list : {&theirs.mobiles, &theirs.landlines, &theirs.mails})
            for (const QString& k : *list)
                keys.insert(k);
        for (auto it = unsyncedByName.find(name); it != unsyncedByName.end() && it.key() == name;
             ++it) {
            const ContactKeys mine = contactKeys(**it);
            for (const QStringList* list : {&mine.mobiles, &mine.landlines, &mine.mails})
                for (const QString& k : *list)
                    if (keys.contains(k)) {
                        PersonRecord* found = *it;
                        unsyncedByName.erase(it);
                        return found;
                    }
        }
        return nullptr;
    }

    bool sameContent(const PersonRecord& person, const CardPerson& card) const {
        QList<QByteArray> photos;
        for (const VCardPhoto& photo : card.photos)
            photos.append(photo.data);
        return contentDigest(person, cardPhotos(person, e.pictureFolder_)) ==
               contentDigest(*card.record, photos);
    }

    void record(const QString& id, const QString& href, const QByteArray& etag,
                const QByteArray& digest) {
        next.cards.insert(id, {href, etag, digest});
        if (digest.isEmpty())
            digestsToMake.insert(id);
    }

    void change(PersonRecord* person, CardPerson card, const QString& id) {
        changes.push_back({person, std::move(card.record), std::move(card.photos), id, false});
    }

    // The card as a second person, in the group for conflicts.
    void keepAsConflict(CardPerson card) {
        card.record->Identity.clear();
        card.record->GroupPath = kConflictGroup;
        change(nullptr, std::move(card), QString());
        ++report.conflicts;
    }

    // Writes the person's card over the version of etag (none: a new
    // card); false when the server's card is not that version.
    bool push(PersonRecord& person, const QString& href, const QByteArray& etag,
              const QByteArray& serverCard = {}) {
        const QString id = identity(&person);
        PersonRecord card = person;
        card.Identity = id;
        QByteArray data = syncCard(card, cardPhotos(card, e.pictureFolder_));
        if (!serverCard.isEmpty())
            data = withOtherProperties(data, serverCard);
        const CardDavClient::Written w = e.dav_.put(href, data, etag);
        if (!w.done)
            return false;
        ++report.sent;
        record(id, href, w.etag, personDigest(card));
        return true;
    }

    // The server's card at href, when a write or delete found it changed.
    std::optional<std::pair<FetchedCard, CardPerson>> fetchOne(const QString& href) {
        std::vector<FetchedCard> cards = e.dav_.fetch(book, {href});
        if (cards.empty())
            return std::nullopt;
        CardPerson person = personOfCard(cards[0].data, stamp);
        if (!person.record || !person.problem.isEmpty()) {
            next.foreign.insert(href, cards[0].etag);
            report.untaken.append(person.name.isEmpty() ? href : person.name);
            return std::nullopt;
        }
        return std::make_pair(std::move(cards[0]), std::move(person));
    }

    // A write the server refused because its card changed meanwhile.
    void changedMeanwhile(PersonRecord& person, const QString& href) {
        const QString id = identity(&person);
        auto fetched = fetchOne(href);
        if (!fetched) {
            next.cards.remove(id);
            return;
        }
        auto& [card, theirs] = *fetched;
        if (sameContent(person, theirs)) {
            // Ours is there already, from a sync that was cut short.
            record(id, href, card.etag, personDigest(person));
            return;
        }
        // The person stays as it is, and goes next time over this version.
        record(id, href, card.etag, personDigest(*theirs.record));
        keepAsConflict(std::move(theirs));
    }

    void takeServerCard(FetchedCard& fetched) {
        CardPerson card = personOfCard(fetched.data, stamp);
        if (!card.record || !card.problem.isEmpty()) {
            const QString id = identityAt.value(fetched.href);
            if (!id.isEmpty())
                handled.insert(id);
            next.cards.remove(id);
            next.foreign.insert(fetched.href, fetched.etag);
            report.untaken.append((card.name.isEmpty() ? fetched.href : card.name) +
                                  QStringLiteral(" (") + card.problem + QLatin1Char(')'));
            return;
        }
        next.foreign.remove(fetched.href);
        if (card.record->Identity.isEmpty())
            card.record->Identity = fetched.href;
        QString id = identityAt.value(fetched.href, card.record->Identity);
        PersonRecord* person = byIdentity.value(id);
        bool matchedByName = false;
        if (!person && !e.state_.cards.contains(id)) {
            if ((person = matchUnsynced(*card.record))) {
                matchedByName = true;
                // The person takes the card's identity.
                byIdentity.remove(identity(person));
                identityOf.insert(person, id);
                byIdentity.insert(id, person);
            }
        }
        handled.insert(id);
        const std::optional<SyncedCard> synced =
            e.state_.cards.contains(id) ? std::optional(e.state_.cards.value(id)) : std::nullopt;
        card.record->Identity = id;
        if (!person) {
            // New on the server, or changed there and deleted here: the
            // changed one stays.
            ++report.received;
            change(nullptr, std::move(card), id);
            record(id, fetched.href, fetched.etag, {});
            return;
        }
        const bool changedHere = !synced || personDigest(*person) != synced->digest;
        if (!changedHere) {
            ++report.received;
            change(person, std::move(card), id);
            record(id, fetched.href, fetched.etag, {});
        } else if (sameContent(*person, card)) {
            record(id, fetched.href, fetched.etag, personDigest(*person));
        } else if (!synced && matchedByName) {
            // The same person on both sides at a first sync: one person,
            // with what either side has, on both. A card that already has
            // the person's identity (written by a sync that was cut short,
            // or before the state was lost) may have been changed by
            // another client since: that is a conflict like any other.
            PersonRecord merged = *person;
            mergeInto(merged, *card.record);
            merged.EditedAt = stamp;
            merged.Identity = id;
            QList<QByteArray> photos = cardPhotos(merged, e.pictureFolder_);
            for (const VCardPhoto& photo : card.photos)
                if (!photos.contains(photo.data))
                    photos.append(photo.data);
            const CardDavClient::Written w =
                e.dav_.put(fetched.href, syncCard(merged, photos), fetched.etag);
            if (w.done)
                ++report.sent;
            card.record = std::make_unique<PersonRecord>(std::move(merged));
            change(person, std::move(card), id);
            changes.back().merge = true;
            record(id, fetched.href, w.done ? w.etag : QByteArray(), {});
        } else {
            // Changed on both sides: both versions stay.
            const QByteArray theirs = personDigest(*card.record);
            keepAsConflict(std::move(card));
            record(id, fetched.href, fetched.etag, theirs);
        }
    }

    void takeServerChanges(const CardListing& listing) {
        QStringList wanted;
        QSet<QString> listed;
        for (const auto& [href, etag] : listing.cards) {
            listed.insert(href);
            if (e.state_.foreign.contains(href) && e.state_.foreign.value(href) == etag)
                continue;
            const QString id = identityAt.value(href);
            if (!id.isEmpty() && e.state_.cards.value(id).etag == etag && !etag.isEmpty())
                continue;
            wanted.append(href);
        }
        for (qsizetype from = 0; from < wanted.size(); from += kFetchBatch) {
            step(QStringLiteral("Sunucudaki kartlar alınıyor: %1 / %2")
                     .arg(from)
                     .arg(wanted.size()));
            std::vector<FetchedCard> cards = e.dav_.fetch(book, wanted.mid(from, kFetchBatch));
            for (FetchedCard& card : cards)
                takeServerCard(card);
        }

        QStringList gone = listing.removed;
        if (listing.complete)
            for (auto it = identityAt.cbegin(); it != identityAt.cend(); ++it)
                if (!listed.contains(it.key()))
                    gone.append(it.key());
        for (const QString& href : gone) {
            next.foreign.remove(href);
            const QString id = identityAt.value(href);
            if (id.isEmpty() || handled.contains(id))
                continue;
            handled.insert(id);
            next.cards.remove(id);
            PersonRecord* person = byIdentity.value(id);
            if (!person)
                continue;
            if (personDigest(*person) == e.state_.cards.value(id).digest) {
                removals.push_back(person);
                ++report.deletedHere;
            } else {
                // Deleted there, changed here: the changed one stays. A
                // card already back in its place is taken next time.
                push(*person, href, {});
            }
        }
    }

    void sendLocalChanges() {
        const std::vector<const PersonRecord*> all = e.document_.persons().allPersons();
        std::vector<PersonRecord*> updated;
        int done = 0;
        for (const PersonRecord* cp : all) {
            auto* person = const_cast<PersonRecord*>(cp);
            const QString id = identity(person);
            if (handled.contains(id))
                continue;
            handled.insert(id);
            if (++done % 50 == 0)
                step(QStringLiteral("Kişiler sunucuya gönderiliyor: %1 / %2")
                         .arg(done)
                         .arg(all.size()));
            const auto synced = e.state_.cards.constFind(id);
            if (synced == e.state_.cards.constEnd()) {
                QString path = book.path(QUrl::FullyEncoded);
                if (!path.endsWith(QLatin1Char('/')))
                    path += QLatin1Char('/');
                const QString href = path + cardFileName(id);
                if (!push(*person, href, {}))
                    changedMeanwhile(*person, href);
            } else if (personDigest(*person) != synced->digest) {
                updated.push_back(person);
            }
        }
        // A changed person's card is written over the server's, keeping
        // what other programs put on it that the file has no field for;
        // a hundred at a time, as the cards are fetched.
        for (size_t from = 0; from < updated.size(); from += size_t(kFetchBatch)) {
            const size_t to = std::min(updated.size(), from + size_t(kFetchBatch));
            QStringList hrefs;
            for (size_t i = from; i < to; ++i)
                hrefs.append(e.state_.cards.value(identity(updated[i])).href);
            QHash<QString, QByteArray> theirs;
            for (FetchedCard& card : e.dav_.fetch(book, hrefs))
                theirs.insert(card.href, std::move(card.data));
            for (size_t i = from; i < to; ++i) {
                const SyncedCard synced = e.state_.cards.value(identity(updated[i]));
                if (!push(*updated[i], synced.href, synced.etag, theirs.value(synced.href)))
                    changedMeanwhile(*updated[i], synced.href);
            }
        }
        for (auto it = e.state_.cards.cbegin(); it != e.state_.cards.cend(); ++it) {
            if (handled.contains(it.key()) || byIdentity.contains(it.key()))
                continue;
            next.cards.remove(it.key());
            if (e.dav_.remove(it->href, it->etag)) {
                ++report.deletedThere;
                continue;
            }
            // Changed there, deleted here: the card comes back.
            if (auto fetched = fetchOne(it->href)) {
                auto& [card, person] = *fetched;
                person.record->Identity = it.key();
                ++report.received;
                record(it.key(), card.href, card.etag, {});
                change(nullptr, std::move(person), it.key());
            }
        }
    }

    // The pictures a person has after a change: those a card cannot carry
    // stay, the card's own are the ones it has (new ones saved beside the
    // record file).
    QStringList picturesOf(const Change& c, PhotoFiles& files) {
        QStringList pictures;
        QList<QByteArray> have;
        if (c.person) {
            const QDir folder(e.pictureFolder_);
            for (const QString& picture : c.person->Pictures) {
                QFile file(folder.filePath(picture));
                const QByteArray data =
                    file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                const bool travels = data.startsWith("\xFF\xD8\xFF") || data.startsWith("\x89PNG");
                const bool onCard =
                    std::any_of(c.photos.begin(), c.photos.end(),
                                [&](const VCardPhoto& p) { return p.data == data; });
                if (!travels || onCard || c.merge) {
                    pictures.append(picture);
                    have.append(data);
                }
            }
        }
        for (const VCardPhoto& photo : c.photos)
            if (!have.contains(photo.data))
                pictures.append(files.save(photo));
        return pictures;
    }

    // The card's values for a person of the file: its number and first
    // record time stay.
    PersonRecord valuesFor(const PersonRecord& person, PersonRecord&& values,
                           const QStringList& pictures) {
        values.RecordNo = person.RecordNo;
        values.RecordedAt = person.RecordedAt;
        if (values.EditedAt.isEmpty())
            values.EditedAt = stamp;
        values.Pictures = pictures;
        values.PictureIndex =
            pictures.isEmpty() ? 0 : std::clamp(person.PictureIndex, 0, int(pictures.size()) - 1);
        return std::move(values);
    }

    void apply() {
        step(QStringLiteral("Dosya güncelleniyor…"));
        RecordDocument& doc = e.document_;
        // Pictures first: a picture that cannot be written leaves the
        // document as it was.
        PhotoFiles files(e.pictureFolder_);
        std::vector<QStringList> pictures(changes.size());
        try {
            for (size_t i = 0; i < changes.size(); ++i)
                pictures[i] = picturesOf(changes[i], files);
        } catch (...) {
            files.removeSaved();
            throw;
        }

        RecordDocument::Step all(doc, QStringLiteral("Sunucuyla Eşitle"));
        std::vector<std::pair<PersonRecord*, QString>> identities;
        for (auto it = identityOf.cbegin(); it != identityOf.cend(); ++it)
            if (it.key()->Identity != it.value())
                identities.emplace_back(const_cast<PersonRecord*>(it.key()), it.value());
        doc.changeField(&PersonRecord::Identity, std::move(identities));
        std::vector<std::pair<PersonRecord*, PersonRecord>> values;
        for (size_t i = 0; i < changes.size(); ++i)
            if (PersonRecord* person = changes[i].person)
                values.emplace_back(person, valuesFor(*person, std::move(*changes[i].values),
                                                      pictures[i]));
        doc.changePersons(std::move(values));
        doc.removePersons(removals);

        RecordNumbers numbers;
        for (const PersonRecord* p : doc.persons().allPersons())
            numbers.see(p->RecordNo);
        qint64 number = numbers.next();
        std::vector<std::unique_ptr<PersonRecord>> added;
        for (size_t i = 0; i < changes.size(); ++i) {
            if (changes[i].person)
                continue;
            PersonRecord& p = *changes[i].values;
            p.RecordNo = QString::number(number++);
            p.RecordedAt = stamp;
            if (p.EditedAt.isEmpty())
                p.EditedAt = stamp;
            p.Pictures = pictures[i];
            added.push_back(std::move(changes[i].values));
        }
        doc.addPersons(std::move(added));

        QHash<QString, const PersonRecord*> now;
        for (const PersonRecord* p : doc.persons().allPersons())
            now.insert(p->Identity, p);
        for (const QString& id : digestsToMake)
            if (const PersonRecord* p = now.value(id))
                next.cards[id].digest = personDigest(*p);
    }
};

SyncReport SyncEngine::run(const SyncTarget& target) {
    Run run(*this, target);
    run.takeLocal();
    const AddressBook book = run.pickBook();
    run.book = book.url;
    run.next.server = target.server.toString();
    run.next.book = book.url.toString();
    const CardListing listing = run.listCards();
    run.takeServerChanges(listing);
    run.sendLocalChanges();
    run.next.token = listing.token;
    run.apply();
    // The server holds what was done: undoing it here would part the two.
    document_.endHistory();
    state_ = std::move(run.next);
    return run.report;
}
