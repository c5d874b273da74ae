#include "Services.h"

#include <QStandardPaths>

namespace kestrel {

Services& services() {
    static Services instance;
    return instance;
}

QString DataFolder() {
    return services().dataFolder.isEmpty()
               ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
               : services().dataFolder;
}

}  // namespace kestrel
