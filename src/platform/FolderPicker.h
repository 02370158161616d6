#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks the user for one folder, without blocking the rest of the program. Every request gets
// exactly one answer: the chosen folder, or nothing when the user cancelled or closed the picker.
class FolderPicker {
public:
    struct Request {
        QString title;       // the picker window's title: short, a few words
        QString message;     // what to choose and why, shown where the picker has room for a message
        QString prompt;      // the confirming button
        QString startFolder; // where the picker opens
    };
    using Completion = std::function<void(const std::optional<QString>& folder)>;

    virtual ~FolderPicker() = default;
    // Returns at once; `done` runs later with the chosen folder, or nothing when the user cancelled.
    virtual void pickFolder(const Request& request, QWidget* parent, Completion done) = 0;
};
