#include "sync/SyncCommand.h"

#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/FileProblems.h"
#include "store/LoadedFile.h"
#include "store/RecordFileLock.h"
#include "sync/NetworkTransport.h"
#include "sync/SyncEngine.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: zilvaren-cli sync FILE.qdb --url URL --user NAME "
                         "[--password-file PATH]\n"
                         "       (the password comes from PATH, else from "
                         "ZILVAREN_DAV_PASSWORD)\n");
    return 2;
}

// The first line of the file, or the environment's; never an argument,
// which every user of the machine could read.
std::optional<QString> password(const QCommandLineParser& parser, const QCommandLineOption& file) {
    if (parser.isSet(file)) {
        QFile f(parser.value(file));
        if (const auto reason = openToRead(f))
            throw ZilvarenError(QStringLiteral("\"%1\" şifre dosyası okunamadı.\r%2")
                                    .arg(parser.value(file), *reason));
        return QString::fromUtf8(f.readLine()).remove(u'\r').remove(u'\n');
    }
    if (qEnvironmentVariableIsSet("ZILVAREN_DAV_PASSWORD"))
        return qEnvironmentVariable("ZILVAREN_DAV_PASSWORD");
    return std::nullopt;
}

} // namespace

int runSyncCommand(const QStringList& args) {
    const QCommandLineOption url(QStringLiteral("url"), {}, QStringLiteral("URL"));
    const QCommandLineOption user(QStringLiteral("user"), {}, QStringLiteral("NAME"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), {},
                                          QStringLiteral("PATH"));
    QCommandLineParser parser;
    parser.addOptions({url, user, passwordFile});
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(url) || !parser.isSet(user))
        return usage();
    const QString path = QFileInfo(parser.positionalArguments()[0]).absoluteFilePath();
    try {
        const std::optional<QString> secret = password(parser, passwordFile);
        if (!secret)
            return usage();
        RecordFileLock::Holder holder;
        const auto lock = RecordFileLock::take(path, &holder);
        if (!lock)
            throw ZilvarenError(QStringLiteral("\"%1\" dosyası şu anda başka bir pencerede açık "
                                               "(%2 kullanıcısı, %3 bilgisayarında).")
                                    .arg(path, holder.user, holder.host));
        // A file that is not there yet is made from the address book.
        auto file =
            QFileInfo::exists(path) ? LoadedFile::read(path) : std::make_unique<LoadedFile>();
        const QString stateFile = SyncState::fileFor(path);
        SyncState state = SyncState::read(stateFile, file->document.fileKey().get());
        if (state.server != parser.value(url) || state.user != parser.value(user))
            state = SyncState{};
        state.user = parser.value(user);

        NetworkTransport transport(parser.value(user), *secret);
        CardDavClient dav(transport);
        const SystemClock clock;
        SyncEngine engine(dav, file->document, state, clock, QFileInfo(path).absolutePath());
        SyncTarget target;
        target.server = QUrl(parser.value(url));
        target.newBookName = QFileInfo(path).completeBaseName();
        target.chooseBook = [](const std::vector<AddressBook>& books) -> std::optional<int> {
            QStringList names;
            for (const AddressBook& b : books)
                names.append(b.url.toString() +
                             (b.name.isEmpty() ? QString() : QStringLiteral(" (") + b.name + u')'));
            throw SyncError(QStringLiteral("Sunucuda birden çok adres defteri var; --url ile "
                                           "birini seçiniz:\r") +
                            names.join(u'\r'));
        };
        const SyncReport report = engine.run(target);
        file->save(path);
        state.write(stateFile, file->document.fileKey().get());
        std::fprintf(stdout, "%s\n", report.summary().toUtf8().constData());
        return report.conflicts > 0 ? 3 : 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
