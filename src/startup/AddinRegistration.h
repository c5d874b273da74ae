#pragma once

#include <QString>

namespace kestrel {

// Writes the add-in's version into its row of the host's registry database
// (Register.mdb beside Common.LNG). A missing row is no error; any failure
// shows "description [number]" titled "System Fatal Notice" and gives false.
bool RegisterAddin(const QString& module, const QString& appName, const QString& version);

}  // namespace kestrel
