#include "launcher/CommandLine.h"

#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "model/BundleInfo.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "store/TemplateStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

#include <cstdio>

namespace {

const char usage[] = "Usage: quintara [URL…] [--from FILEMANAGER] [--new INDEX FOLDER]… [--import FILE]…\n"
                     "Creates new files from templates. Each URL has the form\n"
                     "  quintara://create?t=INDEX&d=FOLDER\n"
                     "where INDEX is the position of an enabled template (from 0) and FOLDER the\n"
                     "absolute path of the folder for the new file, percent-encoded, or\n"
                     "  quintara://import?f=FILE\n"
                     "which makes a custom template of the text file at the absolute path FILE,\n"
                     "or a folder template of the folder there.\n"
                     "A running Quintara serves the URLs; otherwise this launch creates the files\n"
                     "itself, or becomes Quintara when a request needs a window. A template made\n"
                     "by a link is made only once you agree to it in a window.\n"
                     "Exit status: 0 when every request was served, 1 when one failed (the reason\n"
                     "is on standard error), 2 for arguments that are not requests.\n"
                     "\n"
                     "Options:\n"
                     "  --new INDEX FOLDER  the same request as quintara://create?t=INDEX&d=FOLDER,\n"
                     "                      for callers that can only pass a path; FOLDER may be\n"
                     "                      relative to the current folder (as ./FOLDER when it\n"
                     "                      begins with - or holds a colon)\n"
                     "  --import FILE       the same request as quintara://import?f=FILE; FILE may\n"
                     "                      be relative to the current folder, and a folder, which\n"
                     "                      makes a folder template\n"
                     "  --from FILEMANAGER  the file manager the --new requests come from,\n"
                     "                      where the new files are shown: nautilus, nemo, caja,\n"
                     "                      thunar or dolphin\n"
                     "  -h, --help          show this help and exit\n"
                     "  -v, --version       show the version and exit\n";

// An argument as it may be shown on a terminal: escapes and line breaks in it are written out.
QByteArray printable(const QString& argument)
{
    return Log::escapeControls(argument).toLocal8Bit();
}

// The path an argument names, as the running instance must be told it: absolute, and resolved when
// it goes through a place that is another one in each process (/proc/self/…, /dev/fd/…, /dev/stdin).
// Empty when there is none. Any other link stays as the person named it.
QString absolutePath(const QString& argument)
{
    QString path = argument;
    if (!argument.startsWith(QLatin1Char('/'))) {
        const QString current = LocalPath::currentFolder();
        if (argument.isEmpty() || current.isEmpty())
            return {};
        path = current + QLatin1Char('/') + argument;
    }
    const QString cleaned = QDir::cleanPath(path);
    if (cleaned.startsWith(QLatin1String("/proc/")) || cleaned.startsWith(QLatin1String("/dev/")))
        return LocalPath::resolved(path);
    return cleaned;
}

// The request URL for `--new INDEX FOLDER`, or nothing after saying on standard error what is
// wrong. The index is checked against the enabled templates now, because the running instance
// drops a request with no template at its position without a word.
std::optional<QString> newFileRequest(const QString& indexText, const QString& folderText, const QString& fileManager)
{
    const std::optional<qint64> index = CreateRequest::parseIndex(indexText);
    if (!index || *index < 0) {
        std::fprintf(stderr, "quintara: '%s' is not a template position; expected a number from 0\n",
                     printable(indexText).constData());
        return std::nullopt;
    }
    const qsizetype enabled = TemplateStore().enabledTemplates().size();
    if (*index >= enabled) {
        std::fprintf(stderr, "quintara: there is no enabled template at position %lld (%lld enabled, from 0)\n",
                     static_cast<long long>(*index), static_cast<long long>(enabled));
        return std::nullopt;
    }
    const QString folder = absolutePath(folderText);
    if (LocalPath::kind(folder) != LocalPath::Kind::folder) {
        std::fprintf(stderr, "quintara: '%s' is not a folder\n", printable(folderText).constData());
        return std::nullopt;
    }
    return CreateRequest::url(*index, folder, fileManager);
}

// The request URL for `--import FILE`, or nothing after saying on standard error what is wrong. The
// running instance checks the file's content, and logs why it refuses one.
std::optional<QString> importRequest(const QString& fileText)
{
    const QString file = absolutePath(fileText);
    if (const LocalPath::Kind kind = LocalPath::kind(file);
        kind != LocalPath::Kind::regularFile && kind != LocalPath::Kind::folder) {
        std::fprintf(stderr, "quintara: '%s' is not a file or folder\n", printable(fileText).constData());
        return std::nullopt;
    }
    return ImportRequest::url(file);
}

// Says on standard error what is wrong with the arguments; the status for that.
int badArguments(const QString& message)
{
    std::fprintf(stderr, "quintara: %s\nTry 'quintara --help'.\n", printable(message).constData());
    return 2;
}

QString needsFileManager()
{
    return QStringLiteral("--from needs one of: %1").arg(CreateRequest::fileManagers().join(QStringLiteral(", ")));
}

// Why the parser refused the arguments, worded as for the option at fault.
QString refusal(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // Shown as typed, without a value given with "=".
        for (const QString& argument : arguments.sliced(1)) {
            if (argument == QLatin1String("--"))
                break;
            const QString name = argument.section(QLatin1Char('='), 0, 0);
            if (argument.startsWith(QLatin1Char('-')) &&
                unknown.contains(name.mid(name.startsWith(QLatin1String("--")) ? 2 : 1)))
                return QStringLiteral("unknown option '%1'").arg(name);
        }
        return QStringLiteral("unknown option '%1'").arg(unknown.first());
    }
    // A value is missing only after an option that ends the arguments.
    QString last = arguments.last();
    while (last.startsWith(QLatin1Char('-')))
        last.remove(0, 1);
    if (last == QLatin1String("new"))
        return QStringLiteral("--new needs a template position and a folder");
    if (last == QLatin1String("import"))
        return QStringLiteral("--import needs a file");
    if (last == QLatin1String("from"))
        return needsFileManager();
    return parser.errorText();
}

// Whether an argument is given as a URL: it names a scheme, and every byte of it is UTF-8, since a
// byte read as another character would ask for another folder (a URL holds such bytes percent-encoded).
bool isUrl(const QString& argument)
{
    const QUrl url(argument, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && argument.toUtf8() == LocalPath::toBytes(argument);
}

} // namespace

CommandLine CommandLine::parse(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(LocalPath::fromBytes(argv[i]));
    CommandLine line;
    QCommandLineParser parser;
    // One dash or two, an option is a word: "-help" is not "-h -e -l -p".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption newFile(QStringLiteral("new"), QString(), QStringLiteral("INDEX"));
    const QCommandLineOption import(QStringLiteral("import"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("FILEMANAGER"));
    parser.addOptions({help, version, newFile, import, from});
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        std::fputs(usage, stdout);
        line.exitCode = 0;
        return line;
    }
    if (parser.isSet(version)) {
        const QVariantMap info = BundleInfo::dictionary();
        std::printf("Quintara %s (%s)\n", qPrintable(BundleInfo::shortVersion(info)),
                    qPrintable(BundleInfo::buildNumber(info)));
        line.exitCode = 0;
        return line;
    }
    if (!parsed) {
        line.exitCode = badArguments(refusal(parser, arguments));
        return line;
    }
    const QStringList fileManagers = parser.values(from);
    for (const QString& fileManager : fileManagers) {
        if (!CreateRequest::fileManagers().contains(fileManager)) {
            line.exitCode = badArguments(needsFileManager());
            return line;
        }
    }
    // --new takes two values; the parser knows options of one, so its folder is the next argument
    // that is not a URL.
    QStringList indexes = parser.values(newFile);
    for (const QString& argument : parser.positionalArguments()) {
        if (isUrl(argument)) {
            line.urls.append(argument);
            line.direct.append(false);
            continue;
        }
        if (indexes.isEmpty()) {
            std::fprintf(stderr, "quintara: '%s' is not a URL; expected quintara://create?t=INDEX&d=FOLDER\n",
                         printable(argument).constData());
            line.exitCode = 2;
            return line;
        }
        const std::optional<QString> url =
            newFileRequest(indexes.takeFirst(), argument, fileManagers.isEmpty() ? QString() : fileManagers.last());
        if (!url) {
            line.exitCode = 2;
            return line;
        }
        line.urls.append(*url);
        line.direct.append(true);
    }
    if (!indexes.isEmpty()) {
        line.exitCode = badArguments(QStringLiteral("--new needs a template position and a folder"));
        return line;
    }
    for (const QString& file : parser.values(import)) {
        const std::optional<QString> url = importRequest(file);
        if (!url) {
            line.exitCode = 2;
            return line;
        }
        line.urls.append(*url);
        line.direct.append(true);
    }
    return line;
}

int CommandLine::report(const QStringList& failures)
{
    for (const QString& failure : failures)
        std::fprintf(stderr, "quintara: %s\n", printable(failure).constData());
    return failures.isEmpty() ? 0 : 1;
}
