#include "launcher/CommandLine.h"

#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "model/BundleInfo.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "store/TemplateStore.h"

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
                     "which makes a custom template of the text file at the absolute path FILE.\n"
                     "A running Quintara serves the URLs; otherwise this launch creates the files\n"
                     "itself, or becomes Quintara when a request needs a window. A template made\n"
                     "by a link is made only once you agree to it in a window.\n"
                     "Exit status: 0 when every request was served, 1 when one failed (the reason\n"
                     "is on standard error), 2 for arguments that are not requests.\n"
                     "\n"
                     "Options:\n"
                     "  --new INDEX FOLDER  the same request as quintara://create?t=INDEX&d=FOLDER,\n"
                     "                      for callers that can only pass a path; FOLDER may be\n"
                     "                      relative to the current folder\n"
                     "  --import FILE       the same request as quintara://import?f=FILE; FILE may\n"
                     "                      be relative to the current folder\n"
                     "  --from FILEMANAGER  the file manager the --new requests after it come from,\n"
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
    if (LocalPath::kind(file) != LocalPath::Kind::regularFile) {
        std::fprintf(stderr, "quintara: '%s' is not a file\n", printable(fileText).constData());
        return std::nullopt;
    }
    return ImportRequest::url(file);
}

} // namespace

int CommandLine::report(const QStringList& failures)
{
    for (const QString& failure : failures)
        std::fprintf(stderr, "quintara: %s\n", printable(failure).constData());
    return failures.isEmpty() ? 0 : 1;
}

CommandLine CommandLine::parse(int argc, char** argv)
{
    CommandLine line;
    bool optionsEnded = false;
    QString fileManager;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const bool option = !optionsEnded && argument.startsWith(QLatin1Char('-'));
        if (option && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (option && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            std::fputs(usage, stdout);
            line.exitCode = 0;
            return line;
        } else if (option && (argument == QLatin1String("--version") || argument == QLatin1String("-v"))) {
            const QVariantMap info = BundleInfo::dictionary();
            std::printf("Quintara %s (%s)\n", qPrintable(BundleInfo::shortVersion(info)),
                        qPrintable(BundleInfo::buildNumber(info)));
            line.exitCode = 0;
            return line;
        } else if (option && argument == QLatin1String("--new")) {
            if (argc - i < 3) {
                std::fputs("quintara: --new needs a template position and a folder\nTry 'quintara --help'.\n", stderr);
                line.exitCode = 2;
                return line;
            }
            const std::optional<QString> url =
                newFileRequest(QString::fromLocal8Bit(argv[i + 1]), LocalPath::fromBytes(argv[i + 2]), fileManager);
            if (!url) {
                line.exitCode = 2;
                return line;
            }
            line.urls.append(*url);
            line.direct.append(true);
            i += 2;
        } else if (option && argument == QLatin1String("--from")) {
            fileManager = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
            if (!CreateRequest::fileManagers().contains(fileManager)) {
                std::fprintf(stderr, "quintara: --from needs one of: %s\nTry 'quintara --help'.\n",
                             qPrintable(CreateRequest::fileManagers().join(QStringLiteral(", "))));
                line.exitCode = 2;
                return line;
            }
            ++i;
        } else if (option && argument == QLatin1String("--import")) {
            if (i + 1 == argc) {
                std::fputs("quintara: --import needs a file\nTry 'quintara --help'.\n", stderr);
                line.exitCode = 2;
                return line;
            }
            const std::optional<QString> url = importRequest(LocalPath::fromBytes(argv[i + 1]));
            if (!url) {
                line.exitCode = 2;
                return line;
            }
            line.urls.append(*url);
            line.direct.append(true);
            ++i;
        } else if (option) {
            std::fprintf(stderr, "quintara: unknown option '%s'\nTry 'quintara --help'.\n",
                         printable(argument).constData());
            line.exitCode = 2;
            return line;
        } else if (const QUrl url(argument, QUrl::StrictMode);
                   !url.isValid() || url.scheme().isEmpty() || argument.toLocal8Bit() != argv[i]) {
            // Bytes that are not UTF-8 would be read with others in their place, which asks for
            // another folder; a URL holds such bytes percent-encoded.
            std::fprintf(stderr, "quintara: '%s' is not a URL; expected quintara://create?t=INDEX&d=FOLDER\n",
                         printable(argument).constData());
            line.exitCode = 2;
            return line;
        } else {
            line.urls.append(argument);
            line.direct.append(false);
        }
    }
    return line;
}
