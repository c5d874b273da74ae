#pragma once

#include <QString>
#include <functional>

namespace kestrel {

class RequestDispatcher;

// Set from the moment a station number is sent to the exchange until the
// additional-data dialog has seen the verdict; shared by the whole program.
extern bool g_StationCheckPending;

// The check of a station number typed into the additional-data dialog, in
// two calls: the first asks the exchange and returns false at once; the
// second (step 14, on the answer) gives the verdict.
class StationCheck {
public:
    struct Hooks {
        // Sets the open dialog's own tag ("ok": the number was accepted).
        std::function<void(const QString&)> setDialogTag;
        // Presses the open dialog's OK button once more.
        std::function<void()> pressDialogOk;
        // The dialog that asked is still open (the engineer may have
        // cancelled it while the exchange was being asked).
        std::function<bool()> dialogOpen;
    };

    StationCheck(RequestDispatcher& dispatcher, Hooks hooks);
    void RegisterSteps();

    bool Check_STNData(const QString& cmd, const QString& fd);
    void OnStationChecked();
    // The answer failed as a whole (step 15): told, and the dialog's OK
    // made usable again.
    void OnStationCheckFailed();

private:
    void SetDialogTag(const QString& tag);

    RequestDispatcher& dispatcher_;
    Hooks hooks_;
};

}  // namespace kestrel
