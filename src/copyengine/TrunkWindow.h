#pragma once

#include <QString>

namespace kestrel {

class Database;

// What the trunk-copy operations need of the main window, and nothing more.
class TrunkWindow {
public:
    virtual ~TrunkWindow() = default;
    virtual QString TrunkBoxText() const = 0;
    virtual QString DestinationText() const = 0;
    virtual const QString& PBXName() const = 0;
    virtual Database* WorkDb() const = 0;
    virtual int HighestTrunk() const = 0;
    virtual bool NoSourceData() const = 0;
    virtual void SetNoSourceData(bool none) = 0;
    // Empties the labels of the selected item and value.
    virtual void ClearSelectionLabels() = 0;
    virtual void SetHourglass(bool busy) = 0;
    // Lets pending window events run (a repaint after long work).
    virtual void ProcessEvents() = 0;
    // Collapses every node of the catalogue tree.
    virtual void CollapseAll() = 0;
    // Hides the list while a copy answer is evaluated, and shows it again.
    virtual void SetListVisible(bool visible) = 0;
};

}  // namespace kestrel
