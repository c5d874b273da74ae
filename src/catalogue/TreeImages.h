#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace kestrel {

// The tree's image list: 1 "Num" (title nodes), 2 "Edit", 3 "Check",
// 4 "Medit", 5 "More", 6 "Blank". Drawn here so they stay crisp at any
// scale.
namespace image {
inline const QString kNum = QStringLiteral("Num");
inline const QString kEdit = QStringLiteral("Edit");
inline const QString kCheck = QStringLiteral("Check");
inline const QString kMedit = QStringLiteral("Medit");
inline const QString kMore = QStringLiteral("More");
inline const QString kBlank = QStringLiteral("Blank");
}  // namespace image

// The keys in image-list order.
const QStringList& TreeImageKeys();
// The image of a key; a null icon for an unknown key.
QIcon TreeImage(const QString& key);

// Images of the command bar by image name ("Tree", "grid", "get", "set",
// "print", "help", "hide", "exit").
QIcon CommandImage(const QString& name);

}  // namespace kestrel
