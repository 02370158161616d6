#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Asks the user for existing files, several at once, without blocking the rest of the program.
// Every request gets exactly one answer: the chosen files, or none when the user cancelled or
// closed the picker.
class FilePicker {
public:
    struct Request {
        QString title;       // the picker window's title: short, a few words
        QString prompt;      // the confirming button
        QString startFolder; // where the picker opens
    };
    using Completion = std::function<void(const QStringList& files)>;

    virtual ~FilePicker() = default;
    // Returns at once; `done` runs later with the chosen files' paths.
    virtual void pickFiles(const Request& request, QWidget* parent, Completion done) = 0;
};
