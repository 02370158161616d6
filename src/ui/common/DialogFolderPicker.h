#pragma once

#include "platform/FolderPicker.h"

// A file dialog that picks one folder, shown non-modally. The platform theme's own dialog is used
// where the desktop has one; Qt's dialog is the fallback, with the request's message above it.
class DialogFolderPicker final : public FolderPicker {
public:
    void pickFolder(const Request& request, QWidget* parent, Completion done) override;
};
