#pragma once

// The user's language for the windows: Quintara's own texts, compiled in, and Qt's, so that the
// standard dialogs and buttons match. Log lines and the texts carried in data stay as they are.
namespace Translations {

// Installs into the running application the translations for the languages the user prefers
// (QLocale's default); nothing for English, or for a language Quintara has no translation for.
void install();

} // namespace Translations
