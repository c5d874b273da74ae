#pragma once

#include <QLoggingCategory>

namespace kestrel {

// The reference host's logging category; debug output is off unless
// switched on with QT_LOGGING_RULES="helm32.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcHelm32)

}  // namespace kestrel
