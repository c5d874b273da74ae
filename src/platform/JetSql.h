#pragma once

#include <QString>

namespace kestrel {

// Adapts the few desktop-engine forms the tool's query texts use, so the
// texts keep their meaning on SQLite: "DELETE * FROM", a bare column named
// Index, and double-quoted text literals. Single-quoted literals and
// bracketed names pass through untouched.
QString TranslateJetSql(const QString& sql);

// Quotes a table or field name that cannot be bound as a value.
QString QuoteName(const QString& name);

}  // namespace kestrel
