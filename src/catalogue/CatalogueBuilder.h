#pragma once

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
// DialogID, image by the value list). A failure stops the build where it
// is, reports through the host's message line and code (not standalone),
// and leaves the tree control disabled.
void BuildCatalogueTree(const CatalogueContext& context);

// The last option node number a tree can hold: the running number is a
// 16-bit signed number.
constexpr int kMaxOptionNumber = 32767;

}  // namespace kestrel
