#pragma once

#include <QString>
#include <QVariantMap>

// The program's own identity as the About view shows it: a dictionary of version keys filled at build
// time, and the reads that fall back to a default whenever a value is missing or is not text.
namespace BundleInfo {

// "CFBundleShortVersionString" (the project version) and "CFBundleVersion" (the build number).
QVariantMap dictionary();

// The short version when it is text, else "1.0".
QString shortVersion(const QVariantMap& info);
// The build number when it is text, else "1".
QString buildNumber(const QVariantMap& info);
// "Version <short> (<build>)"; the parentheses are there even when both values are defaults.
QString versionLine(const QVariantMap& info);

} // namespace BundleInfo
