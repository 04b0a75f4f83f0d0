#include "app/cli/CliPassword.h"

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "platform/SecretBytes.h"
#include "store/ProtectedFile.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileRewrite.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::shared_ptr<const SecretBytes> commandLinePassword;

SecretBytes copyOf(const SecretBytes& secret) {
    const auto bytes = secret.read();
    return SecretBytes(bytes.size(), [&bytes](unsigned char* out) {
        std::memcpy(out, bytes.data(), bytes.size());
        return bytes.size();
    });
}

SecretBytes firstLineOf(const QString& path) {
    QFile file(path);
    if (const auto reason = openToRead(file))
        throw ZilvarenError(QStringLiteral("\"%1\" parola dosyası okunamadı.\r%2").arg(path, *reason));
    QByteArray line = file.readLine(64 * 1024);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    SecretBytes password(std::size_t(line.size()), [&line](unsigned char* out) {
        std::memcpy(out, line.constData(), std::size_t(line.size()));
        return std::size_t(line.size());
    });
    line.fill('\0');
    return password;
}

} // namespace

void takeRecordFilePassword(QStringList& args) {
    const QString option = args.value(0) == QLatin1String("sync")
                               ? QStringLiteral("--file-password-file")
                               : QStringLiteral("--password-file");
    std::optional<SecretBytes> password;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString path;
        if (args[i] == option && i + 1 < args.size()) {
            path = args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(option + u'=')) {
            path = args[i].mid(option.size() + 1);
            args.remove(i);
        } else {
            continue;
        }
        password = firstLineOf(path);
        break;
    }
    if (!password && qEnvironmentVariableIsSet("ZILVAREN_PASSWORD"))
        password = SecretBytes::fromText(qEnvironmentVariable("ZILVAREN_PASSWORD"));
    if (password)
        commandLinePassword = std::make_shared<const SecretBytes>(std::move(*password));
    setDefaultPasswordSource([](const QString&, bool again) -> std::optional<SecretBytes> {
        if (again)
            throw ZilvarenError(wrongPasswordMessage());
        if (!commandLinePassword)
            return std::nullopt;
        return copyOf(*commandLinePassword);
    });
}

int runProtectCommand(const QStringList& args, bool protect) {
    const QCommandLineOption out(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    QCommandLineParser parser;
    parser.addOption(out);
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(out)) {
        std::fputs("usage: zilvaren-cli protect|unprotect IN.qdb -o OUT.qdb "
                   "--password-file PATH\n",
                   stderr);
        return 2;
    }
    const QString source = parser.positionalArguments()[0];
    try {
        if (!commandLinePassword)
            throw PasswordNotGiven();
        QFile in(source);
        if (const auto reason = openToRead(in))
            throw ZilvarenError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(source, *reason));
        const bool isProtected = isProtectedRecordFile(in.peek(kProtectedHeaderSize));
        in.close();
        if (protect && isProtected)
            throw ZilvarenError(QStringLiteral("\"%1\" dosyası zaten parola ile korunuyor.").arg(source));
        if (!protect && !isProtected)
            throw ZilvarenError(QStringLiteral("\"%1\" dosyası parola ile korunmuyor.").arg(source));
        TargetProtection target;
        if (protect)
            target.key = std::make_shared<const FileKey>(deriveNewFileKey(*commandLinePassword));
        else
            target.plain = true;
        rewriteRecordFile(source, parser.value(out), {}, {}, target);
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
