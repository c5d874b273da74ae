#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace kestrel {

class HostProgramme;
class dlgKestrel;

// The add-in's state in an automation start: the one main window, loaded
// by the first object and unloaded by the last.
class AddinSession {
public:
    AddinSession();
    // Deletes a closed window still waiting for its deferred deletion.
    ~AddinSession();

    // Registers the add-in, sets the automation time-outs and loads the
    // window (once). False when the registration failed: the process ends.
    bool PrepareAutomationStart();
    dlgKestrel* Window() const { return window_.get(); }
    // Unloads and releases the window (the last object went). Open boxes,
    // dialogs and menus are closed first, and the window is deleted only once
    // the loops running under it have returned: a release may come inside
    // any of them (a box waiting for the engineer, a host call).
    void CloseWindow();
    // True while the window is loaded; an unloaded window stays unloaded.
    bool WindowLoaded() const;

    // The version text of the program, major.minor.revision.
    static QString VersionText();

private:
    std::unique_ptr<dlgKestrel> window_;
    // The closed window until its deferred deletion has run.
    QPointer<dlgKestrel> retired_;
};

// The public automation class: a thin layer over the main window.
// Creating one runs the start preparation and counts it; destroying the
// last saves the window position, unloads it and ends the process. Once the
// window has unloaded (the engineer's Exit) the members no longer act on it:
// it is not shown again, GetVisible answers false and RegisterPBX reports
// the load error, until the host releases the objects.
class cOLELayer {
public:
    explicit cOLELayer(AddinSession& session);
    ~cOLELayer();
    cOLELayer(const cOLELayer&) = delete;
    cOLELayer& operator=(const cOLELayer&) = delete;

    bool RegisterPBX(const QString& pbx, HostProgramme* parent, std::int16_t id);
    void SetVisible(bool visible);
    bool GetVisible() const;
    void SetBackGround(std::int16_t index);
    // Asked by a host about to close: 0 the window may go now, 1 it is
    // stopping its request and unloads itself when that has ended, 2 the
    // engineer keeps it open.
    std::int16_t QueryUnload();

private:
    AddinSession& session_;
};

}  // namespace kestrel
