#pragma once

#include "platform/FilePicker.h"

// A file dialog that picks existing files, shown non-modally: the platform theme's own dialog
// where the desktop has one, Qt's dialog otherwise.
class DialogFilePicker final : public FilePicker {
public:
    void pickFiles(const Request& request, QWidget* parent, Completion done) override;
};
