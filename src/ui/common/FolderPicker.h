#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks the user for one folder, without blocking the rest of the program.
class FolderPicker {
public:
    struct Request {
        QString title;       // the dialog's window title
        QString message;     // shown above the folder list
        QString prompt;      // the confirming button
        QString startFolder; // where the picker opens
    };
    using Completion = std::function<void(const std::optional<QString>& folder)>;

    virtual ~FolderPicker() = default;
    // Returns at once; `done` runs later with the chosen folder, or nothing when the user cancelled.
    virtual void pickFolder(const Request& request, QWidget* parent, Completion done) = 0;
};

// The platform's folder dialog, shown non-modally.
class DialogFolderPicker final : public FolderPicker {
public:
    void pickFolder(const Request& request, QWidget* parent, Completion done) override;
};
