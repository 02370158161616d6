#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A lasting reference to a folder the user granted, kept as data in the settings. Resolving it
// finds the folder again and tells whether the folder at that path is still the same one.
class Bookmark {
public:
    struct Resolved {
        QString path;
        // The folder at the path was replaced since the bookmark was made; make a fresh one.
        bool isStale = false;
    };

    virtual ~Bookmark() = default;
    // Nothing, with *error set, when the path is not an existing folder.
    virtual std::optional<QByteArray> make(const QString& folderPath, QString* error) const = 0;
    // Nothing, with *error set, for data in any other form or a folder that is gone.
    virtual std::optional<Resolved> resolve(const QByteArray& data, QString* error) const = 0;

    // Data is the UTF-8 JSON object {"kind":"quintara-bookmark","version":1,"path":…,"device":…,"inode":…}.
    static const Bookmark& system();
};
