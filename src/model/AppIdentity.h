#pragma once

#include <QString>

// Names that other programs of the product (and their files) rely on; changing one breaks them.
namespace AppIdentity {
inline const QString applicationId = QStringLiteral("app.quintara.Quintara");
inline const QString suiteName = QStringLiteral("group.app.quintara.Quintara");
inline const QString storeDidChangeNotification = QStringLiteral("app.quintara.Quintara.TemplateStoreDidChange");
} // namespace AppIdentity
