#pragma once

#include <QString>
#include <QStringList>

namespace kestrel {

// A language other than English brings, besides its two language
// databases, files of its own: its catalogue (LANGUAGES/<language>/
// KESTREL.MDB beside the language databases), its help file and report
// template (named by the project record) and Qt's own translation
// (qtbase_<language>, for the standard buttons). The start settles which of
// them are there, once the project record is loaded; a missing one is
// replaced by the English file and named in one notice.

// Picks the files of the language the project record names, makes it the
// default locale (Qt's dialogs, dates and numbers) and installs
// Qt's translation (from services().translationsFolder, or Qt's own
// folder). Calling it again first forgets what it picked.
void SettleLanguageFiles();

// The template the working copy is made from: the language's catalogue, or
// empty for the English KESTREL.MDB.
QString CatalogueTemplate();

// The files of the language that are missing (full paths), English being
// used in their place.
QStringList MissingLanguageFiles();

// Shows the notice that names the missing files (own message 38), once:
// later calls show nothing, as does a language that misses nothing.
void TellMissingLanguageFiles();

// Removes Qt's translation and forgets the language's files.
void ForgetLanguageFiles();

}  // namespace kestrel
