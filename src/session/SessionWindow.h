#pragma once

#include <QString>

#include "hostlink/WindowState.h"

namespace kestrel {

class CopyPlan;

// What a trunk-copy session needs of the window that shows it: the texts of
// its two trunk boxes, the labels of the selected item, and the state of the
// views it redraws. Taking input away during a request is WindowState's.
class SessionWindow : public WindowState {
public:
    virtual QString TrunkBoxText() const = 0;
    virtual QString DestinationText() const = 0;
    // Shows the selected item and value in the two labels, or empties them.
    virtual void ShowSelection(const QString& cmd, const QString& value) = 0;
    virtual void ClearSelectionLabels() = 0;
    // Lets pending window events run (a repaint after long work).
    virtual void ProcessEvents() = 0;
    // Collapses every node of the catalogue tree.
    virtual void CollapseAll() = 0;
    // Hides the list while a copy answer is evaluated, and shows it again.
    virtual void SetListVisible(bool visible) = 0;
    // The tree control is usable only when its build succeeded.
    virtual void SetTreeEnabled(bool enabled) = 0;
};

// The modal dialogs a session runs through its window.
class SessionDialogs {
public:
    virtual ~SessionDialogs() = default;
    // Runs the additional-data dialog for a rule query and a starting value;
    // returns the window's Tag afterwards ("ok" when accepted).
    virtual QString RunAdditionalDataDialog(const QString& ruleQuery,
                                            const QString& startValue) = 0;
    // Shows the preview of a copy; true when the engineer chose Copy.
    virtual bool ShowPreview(CopyPlan& plan, bool previewOnly) = 0;
    // The additional-data dialog that asked for a station check is still
    // open; its own tag, and its OK pressed once more with the verdict.
    virtual bool DialogOpen() const = 0;
    virtual void SetDialogTag(const QString& tag) = 0;
    virtual void PressDialogOk() = 0;
};

}  // namespace kestrel
