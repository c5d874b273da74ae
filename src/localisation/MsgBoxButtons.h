#pragma once

#include <QString>
#include <cstdint>

namespace kestrel {

// The flag value of one message-box constant name, compared exactly (case
// included); unknown names count 0.
std::int32_t ButtonConstant(const QString& name);

// The sum of the names joined by "+". Pieces are not trimmed, so blanks
// around a "+" make the names unknown.
std::int32_t ParseButtons(const QString& names);

}  // namespace kestrel
