#pragma once

#include <QStringList>

#include <optional>

// quintara [URL…] with --new INDEX FOLDER and --import FILE (each taken as the URL it stands for),
// --help and --version. Shared by the
// launcher and the program it starts, so both read the same arguments the same way.
struct CommandLine {
    QStringList urls;
    std::optional<int> exitCode; // set when the program should stop right away (help, version, an error)

    // Prints help, version or the error itself.
    static CommandLine parse(int argc, char** argv);
};
