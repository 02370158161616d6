#pragma once

#include <QString>

// Names that other programs of the product (and their files) rely on; changing one breaks them.
namespace AppIdentity {
inline const QString applicationId = QStringLiteral("app.quintara.Quintara");
inline const QString suiteName = QStringLiteral("group.app.quintara.Quintara");
// The maker's pages, opened from the Help menu and the About view.
inline const QString supportUrl = QStringLiteral("https://quintara.app/support");
inline const QString privacyUrl = QStringLiteral("https://quintara.app/privacy");
} // namespace AppIdentity
