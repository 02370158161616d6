#pragma once

#include <QString>

#include <optional>

// A request to make a custom template of one file: quintara://import?f=PATH, where PATH is the
// file's absolute path, written and read exactly as a create request's folder is.
struct ImportRequest {
    QString filePath;

    // Nothing for anything but a well-formed request: another scheme (in any other case) or host, or
    // no "f" holding an absolute path. A path with a NUL character in it is not one: the file system
    // would read it only up to there, which names another file.
    static std::optional<ImportRequest> parse(const QString& url);

    static QString url(const QString& filePath);
};
