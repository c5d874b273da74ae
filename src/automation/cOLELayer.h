#pragma once

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
    ~AddinSession();

    // Registers the add-in, sets the automation time-outs and loads the
    // window (once). False when the registration failed: the process ends.
    bool PrepareAutomationStart();
    dlgKestrel* Window() const { return window_.get(); }
    // Unloads and releases the window (the last object went).
    void CloseWindow();
    // True while the window is loaded; an unloaded window stays unloaded.
    bool WindowLoaded() const;

    // The version text of the program, major.minor.revision.
    static QString VersionText();

private:
    std::unique_ptr<dlgKestrel> window_;
    // A window released while its own unload still waits for the host; it
    // is kept until the session ends instead of being deleted under it.
    std::unique_ptr<dlgKestrel> retired_;
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

private:
    AddinSession& session_;
};

}  // namespace kestrel
