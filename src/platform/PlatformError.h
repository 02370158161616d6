#pragma once

#include <QString>

// An error as the operating system layer reports it: a code and a sentence for people.
struct PlatformError {
    // A write refused for lack of permission, including a path outside every folder under access.
    static constexpr int permissionDenied = 513;
    // The name was taken when the file was to be linked into place; nothing was replaced.
    static constexpr int nameTaken = 516;

    int code = 0;
    QString description;

    friend bool operator==(const PlatformError&, const PlatformError&) = default;
};
