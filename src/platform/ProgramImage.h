#pragma once

#include <QString>

// The running program's own executable file.
namespace ProgramImage {

// The folder holding this process's executable.
QString folder();

// The program's file `name`, beside this executable or in ../libexec/quintara/ relative to it, and
// executable when it is a program (a module is installed without that bit); empty when it is in
// neither place.
QString companion(const QString& name, bool program);

// Replaces this process (same PID, same arguments) with the program `name`, found beside this
// executable or in ../libexec/quintara/ relative to it. Returns only on failure, with the reason.
QString replaceWith(const QString& name, int argc, char** argv);

} // namespace ProgramImage
