#pragma once

#include <QStringList>

#include <optional>

// quintara [URL…] with --new INDEX FOLDER and --import FILE (each taken as the URL it stands for),
// --from FILEMANAGER, --help and --version. Shared by the launcher and the program it starts, so both
// read the same arguments the same way.
struct CommandLine {
    QStringList urls;
    // Per URL: made from an option rather than given as a link, so the user's own act.
    QList<bool> direct;
    std::optional<int> exitCode; // set when the program should stop right away (help, version, an error)

    // Prints help, version or the error itself.
    static CommandLine parse(int argc, char** argv);
    // Says on standard error why each request the running instance served failed; the status to exit with.
    static int report(const QStringList& failures);
};
