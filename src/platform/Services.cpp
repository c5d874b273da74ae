#include "Services.h"

namespace kestrel {

Services& services() {
    static Services instance;
    return instance;
}

}  // namespace kestrel
