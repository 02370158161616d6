#include "launcher/CommandLine.h"

#include "model/BundleInfo.h"
#include "platform/Log.h"

#include <QUrl>

#include <cstdio>

namespace {

const char usage[] = "Usage: quintara [URL…]\n"
                     "Creates new files from templates. Each URL has the form\n"
                     "  quintara://create?t=INDEX&d=FOLDER\n"
                     "where INDEX is the position of an enabled template (from 0) and FOLDER the\n"
                     "absolute path of the folder for the new file, percent-encoded.\n"
                     "A running Quintara serves the URLs; otherwise this launch becomes it.\n"
                     "\n"
                     "Options:\n"
                     "  -h, --help     show this help and exit\n"
                     "  -v, --version  show the version and exit\n";

// An argument as it may be shown on a terminal: escapes and line breaks in it are written out.
QByteArray printable(const QString& argument)
{
    return Log::escapeControls(argument).toLocal8Bit();
}

} // namespace

CommandLine CommandLine::parse(int argc, char** argv)
{
    CommandLine line;
    bool optionsEnded = false;
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
        } else if (option) {
            std::fprintf(stderr, "quintara: unknown option '%s'\nTry 'quintara --help'.\n",
                         printable(argument).constData());
            line.exitCode = 2;
            return line;
        } else if (const QUrl url(argument, QUrl::StrictMode); !url.isValid() || url.scheme().isEmpty()) {
            std::fprintf(stderr, "quintara: '%s' is not a URL; expected quintara://create?t=INDEX&d=FOLDER\n",
                         printable(argument).constData());
            line.exitCode = 2;
            return line;
        } else {
            line.urls.append(argument);
        }
    }
    return line;
}
