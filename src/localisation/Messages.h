#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "localisation/MessageNumbers.h"
#include "platform/Database.h"

namespace kestrel {

// The tool's short texts, entry i being the i-th row of "tMessages" in ID
// order. Filled once at start-up.
extern QStringList g_Messages;

// Entry i of g_Messages, or the empty text when the table is shorter.
QString Msg(int index);

// Source number of the suite's common language database; any other source
// selects the tool's own.
constexpr std::int16_t kCommonSource = 10;
constexpr std::int16_t kOwnSource = 2;

// Hands LangMsgBox the two language databases it reads: the suite's common
// one (source 10) and the tool's own. The handles themselves are kept, not
// the databases they hold, so a database opened, replaced or closed through
// them later is seen; they must outlive every LangMsgBox. Null: none.
void SetLanguageDatabases(const std::unique_ptr<Database>* common,
                          const std::unique_ptr<Database>* own);

// Shows message box msgNo of the common (source 10) or the tool's own
// language database, tokens expanded with the insert text, and returns the
// button code; 0 after any failure (shown as "System Fatal Notice").
// title is used only for the common database (kProductTitle: the application
// title).
std::int16_t LangMsgBox(std::int16_t source, std::int16_t msgNo, const QString& insert,
                        const QString& title);

// Reads a two-column (ID, Caption) table into target by position. False
// after a failure (shown as "System Fatal Notice"), an empty table
// included.
bool LoadCaptionTable(QStringList& target, const QString& table, Database* db);

// Applies the "tProject" row of the program: application title, the
// automation notices, the language and its help file and report template.
// False after a failure ("System Fatal Notice").
bool LoadProjectInfo(const QString& programName, Database* db);

}  // namespace kestrel
