#pragma once

#include <QString>
#include <memory>

#include "platform/Database.h"

namespace kestrel {

// Gives this instance its own numbered copy of the template baseName.MDB in
// folder (which ends in a separator): takes the next number from the
// counter row of the add-in in Serial.MDB, held exclusively meanwhile, and
// copies the template to baseName<n>.MDB. A copy in use by another instance
// or failing otherwise moves on to the next number (each number tried is
// stored); a read-only copy is made writable and overwritten. Copies left
// by instances that no longer run (no lock held on them) are removed first.
// templateFile is the file copied (a language's own catalogue); empty:
// folder + baseName.MDB. Returns the file name, or an empty text after
// showing the error.
QString MakeWorkingCopy(const QString& addin, const QString& folder, const QString& baseName,
                        const QString& templateFile = QString());

// Distinct numbers tried before a copy that no number cures is given up.
constexpr int kMaxWorkingCopyAttempts = 64;

// Opens folder + name read-write; nullptr on any error, without a message
// ("description [number]" in failure when given). A database without the
// catalogue and work tables counts as an error.
std::unique_ptr<Database> OpenWorkingDb(const QString& folder, const QString& name,
                                        QString* failure = nullptr);

// Releases this instance's hold on the copy and deletes the file. Errors
// are ignored.
void RemoveWorkingCopy(const QString& folder, const QString& name);

}  // namespace kestrel
