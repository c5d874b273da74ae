#include "Helm32Log.h"

namespace kestrel {

Q_LOGGING_CATEGORY(lcHelm32, "helm32", QtInfoMsg)

}  // namespace kestrel
