#pragma once

#include "model/FileTemplate.h"

#include <QList>
#include <QStringList>

#include <utility>
#include <variant>

class TemplateStore;

// Makes custom templates of files: the name is the file's name without its last extension, the
// extension that extension as the editor cleans it, the content the file's text. A file is
// refused, and nothing is stored for it, unless it is a regular file of at most maximumSize bytes
// of UTF-8 text (a NUL byte counts as not text) outside the kernel's and the devices' folders.
// A folder makes a folder template named as the folder, its tree stored by FolderTemplateTree.
// Every file gets one log line, and a template is logged as added only once it is stored.
//
// A name that a template has already, built-in or custom, gets the first free number after it
// ("Notes 2"): every menu entry keeps a label of its own, and no template is ever replaced.
class TemplateImporter {
public:
    enum class Refusal {
        missing,
        unreadable,
        notRegularFile,
        tooLarge,
        notText,
        systemFile,
        declined,     // the user did not agree
        noDisplay,    // the user's agreement was needed, and there is no display to ask on
        noRoom,       // the settings would grow past what can be read back
        notSaved,     // the settings could not be written (a full disk, say)
        unfitItems,   // a folder holding what a template cannot: its notes name each item
        tooManyItems, // a folder of more than FolderTemplateTree::maximumItems
        folderTooLarge,
    };
    struct Outcome {
        QString path;
        std::variant<FileTemplate, Refusal> result; // the template as stored, or why there is none
        // For a folder: the items at fault ("sub/fifo: a pipe, socket or device"), or the links left out.
        QStringList notes = {};
    };
    // A file read whole, or a folder read through, and found fit; nothing is stored yet.
    struct Candidate {
        QString path;
        QString text;
        bool ownerOnly = false; // nobody but its owner may read it: a secret, perhaps
        bool isFolder = false;
        QStringList notes = {}; // a folder's links, which are left out
        qsizetype items = 0;    // a folder's files and folders
        qint64 size = 0;        // a folder's files' bytes; a file's are its text's
    };
    static constexpr qsizetype maximumSize = 1024 * 1024;

    explicit TemplateImporter(TemplateStore& store) : m_store(store) {}

    // Reads and checks one file or folder; a refusal is logged, and a folder's items at fault are
    // put in `notes`.
    static std::variant<Candidate, Refusal> examine(const QString& path, QStringList* notes = nullptr);
    // Appends templates of the candidates to the custom ones in their order and saves once, so that
    // the menus and the views learn of all of them together. When the save fails, none is stored.
    QList<Outcome> add(const QList<Candidate>& candidates);

    // For a file named `fileName`: "archive.tar.gz" gives "archive.tar" and "gz", "Makefile" gives
    // "Makefile" and no extension. A leading full stop belongs to the name (".profile"), and a name
    // that trimming would leave empty is the whole file name, without an extension.
    static std::pair<QString, QString> nameAndExtension(const QString& fileName);

    // Why a file was refused, in the log's English; QCoreApplication::translate("TemplateImporter",
    // …) gives the windows' words.
    static const char* reason(Refusal refusal);
    static void logRefusal(const QString& path, Refusal refusal, const QStringList& items = {});

private:
    QString freeName(const QString& name) const;

    TemplateStore& m_store;
};
