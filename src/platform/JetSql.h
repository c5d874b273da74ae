#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

namespace kestrel {

// Adapts the few desktop-engine forms the tool's query texts use, so the
// texts keep their meaning on SQLite: "DELETE * FROM", a bare column named
// Index, and double-quoted text literals. Single-quoted literals and
// bracketed names pass through untouched.
QString TranslateJetSql(const QString& sql);

// The collation every connection registers: text compared without regard to
// case (Unicode case folding), as the desktop engine compares keys.
inline constexpr char kNoCaseCollation[] = "KESTREL_NOCASE";

// Compares two texts as the collation does: <0, 0 or >0.
int CompareTextNoCase(QStringView a, QStringView b);

// Gives the comparisons (=, <>, <, <=, >, >=) of a data statement (SELECT,
// INSERT, UPDATE, DELETE, WITH) the case-insensitive collation, so a key
// asked in any case finds its row. The right-hand operand gets it when it is
// a text literal, a column or a '?' whose value is text; with params given,
// a '?' bound to a number, a Yes/No or Null is left alone, so numeric keys
// keep their indexes. Other statements pass unchanged.
QString WithCaseInsensitiveText(const QString& sql, const QVariantList* params = nullptr);

// Quotes a table or field name that cannot be bound as a value.
QString QuoteName(const QString& name);

}  // namespace kestrel
