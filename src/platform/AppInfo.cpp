#include "AppInfo.h"

namespace kestrel {

AppInfo& App() {
    static AppInfo instance;
    return instance;
}

}  // namespace kestrel
