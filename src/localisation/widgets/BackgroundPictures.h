#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace kestrel {

class Database;

// Skins a window with the pictures its "tPicture" rows name, mapped to the
// files of background set `set` through "PictureFileName" (set 0: the names
// as stored). Missing files are skipped silently; any other failure shows
// "description [number]" titled "System Fatal Notice", shows a hidden base
// again and returns false.
bool LoadBackgrounds(QWidget* window, Database* langDb, Database* commonDb, std::int16_t set,
                     const QString& folder);

}  // namespace kestrel
