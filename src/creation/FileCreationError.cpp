#include "creation/FileCreationError.h"

namespace {

QString fixedMessage(FileCreationError::Case errorCase)
{
    switch (errorCase) {
    case FileCreationError::Case::directoryNotFound:
        return QStringLiteral("The target directory could not be found.");
    case FileCreationError::Case::notADirectory:
        return QStringLiteral("The target path is not a directory.");
    case FileCreationError::Case::readOnlyDirectory:
        return QStringLiteral("This directory is read-only. Check permissions.");
    case FileCreationError::Case::permissionDenied:
        return QStringLiteral("Permission denied. Cannot write to this location.");
    case FileCreationError::Case::tooManyConflicts:
        return QStringLiteral("Could not find a unique file name after many attempts.");
    case FileCreationError::Case::nameTaken:
        return QStringLiteral("An item with this name already exists in the target directory.");
    case FileCreationError::Case::invalidName:
        return QStringLiteral("The file name is not valid.");
    case FileCreationError::Case::unknownError:
        break;
    }
    return {};
}

} // namespace

FileCreationError::FileCreationError(Case errorCase) : m_case(errorCase), m_utf8(errorDescription().toStdString()) {}

FileCreationError FileCreationError::unknownError(PlatformError underlying)
{
    FileCreationError error(Case::unknownError);
    error.m_underlying = std::make_shared<const PlatformError>(std::move(underlying));
    error.m_utf8 = error.errorDescription().toStdString();
    return error;
}

QString FileCreationError::errorDescription() const
{
    if (m_case == Case::unknownError)
        return m_underlying ? m_underlying->description : QString();
    return fixedMessage(m_case);
}
