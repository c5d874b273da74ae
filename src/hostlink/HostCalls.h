#pragma once

#include <utility>

#include "platform/Logging.h"
#include "platform/RunError.h"

namespace kestrel {

// Runs a call of the host whose failure changes nothing for the caller (the
// host's message line, its help, a stored setting). The host's failure is a
// RunError; it is logged under kestrel.hostlink with what was asked and
// swallowed. Anything else is a fault of ours and passes on. True when the
// call returned.
template <typename Call>
bool TryHostCall(const char* what, Call&& call) {
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const RunError& e) {
        qCWarning(lcHostlink, "The host failed %s: %s [%d]", what, qUtf8Printable(e.Description()),
                  e.Number());
        return false;
    }
}

}  // namespace kestrel
