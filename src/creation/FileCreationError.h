#pragma once

#include "platform/PlatformError.h"

#include <QString>

#include <exception>
#include <memory>

// Why a file could not be created, with a fixed English sentence for each case. Only
// unknownError carries something: the platform's error, whose own description is the message.
class FileCreationError final : public std::exception {
public:
    enum class Case {
        unknownError,
        directoryNotFound,
        notADirectory,
        readOnlyDirectory,
        permissionDenied,
        tooManyConflicts,
        nameTaken,   // only for a name the person chose: it is never replaced, and no other is tried
        invalidName, // a chosen name that is not exactly one path component
    };

    explicit FileCreationError(Case errorCase);
    static FileCreationError unknownError(PlatformError underlying);

    Case errorCase() const { return m_case; }
    // The platform error of unknownError; nullptr for every other case.
    const PlatformError* underlying() const { return m_underlying.get(); }

    QString errorDescription() const;
    // The same text, for code that only knows standard exceptions.
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    Case m_case;
    std::shared_ptr<const PlatformError> m_underlying; // copies share it
    std::string m_utf8;
};
