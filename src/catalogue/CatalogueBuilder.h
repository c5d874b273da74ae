#pragma once

#include <QStringList>
#include <functional>

namespace kestrel {

class CatalogueTreeModel;
class Database;
class HostProgramme;
class ValueListModel;

// What building the tree needs: the working database, the tree and value
// list, a switch for the tree control, and the host for failure reports.
struct CatalogueContext {
    Database* workDb = nullptr;
    CatalogueTreeModel* tree = nullptr;
    ValueListModel* values = nullptr;
    std::function<void(bool)> setTreeEnabled;
    HostProgramme* parent = nullptr;  // nothing in a standalone start
};

// Clears the tree and builds it from the catalogue: a title node per
// visible item ("Title" + TitleID, tag CMD, image "Num") and an option node
// per allowed value ("D" + running number + ":" + trimmed Data, tag
// DialogID, image by the value list). A row that cannot be built (an
// option with no dialog number or one no rule describes, a title whose
// options cannot be read) is left out and the rest is built; the rows left
// out are returned, one line each, logged, and the first goes to the host's
// message line (not standalone). The tree control is enabled again unless
// nothing could be built.
QStringList BuildCatalogueTree(const CatalogueContext& context);

// The last option node number a tree can hold: the running number is a
// 16-bit signed number.
constexpr int kMaxOptionNumber = 32767;

}  // namespace kestrel
