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
// of UTF-8 text (a NUL byte counts as not text). Every file gets one log line.
//
// A name that a template has already, built-in or custom, gets the first free number after it
// ("Notes 2"): every menu entry keeps a label of its own, and no template is ever replaced.
class TemplateImporter {
public:
    enum class Refusal { missing, unreadable, notRegularFile, tooLarge, notText };
    struct Outcome {
        QString path;
        std::variant<FileTemplate, Refusal> result; // the template as stored, or why there is none
    };
    static constexpr qsizetype maximumSize = 1024 * 1024;

    explicit TemplateImporter(TemplateStore& store) : m_store(store) {}

    // Appends the templates to the custom ones in the order of `paths` and saves once, so that the
    // menus and the views learn of all of them together.
    QList<Outcome> importFiles(const QStringList& paths);

    // For a file named `fileName`: "archive.tar.gz" gives "archive.tar" and "gz", "Makefile" gives
    // "Makefile" and no extension. A leading full stop belongs to the name (".profile"), and a name
    // that trimming would leave empty is the whole file name, without an extension.
    static std::pair<QString, QString> nameAndExtension(const QString& fileName);

    // Why a file was refused, in the log's English; QCoreApplication::translate("TemplateImporter",
    // …) gives the windows' words.
    static const char* reason(Refusal refusal);

private:
    std::variant<FileTemplate, Refusal> templateFrom(const QString& path) const;
    QString freeName(const QString& name) const;

    TemplateStore& m_store;
};
