#pragma once

#include <QString>
#include <cstdint>

namespace kestrel {

class cListRequest;

// Receives the host's answers: the main window's public CallBack. The host
// learns it as the second argument of Login and calls it later, on the
// caller's event loop, with an answer record of the request's shape.
class CallBackTarget {
public:
    virtual ~CallBackTarget() = default;
    virtual void CallBack(cListRequest& response) = 0;
};

// The host's link to the exchange (Parent.oPBX, or the standalone host).
// Every member may raise RunError when the host fails.
class ExchangeLink {
public:
    virtual ~ExchangeLink() = default;
    // A login identifier; "BUSY", "ERROR" or empty mean refused.
    virtual QString Login(const QString& pbxName, CallBackTarget* callback) = 0;
    // "BUSY", "ERROR" or empty mean refused; any other text means accepted
    // and the answer comes later through the login's call-back.
    virtual QString SendRequest(cListRequest& request) = 0;
    virtual void LogOut(const QString& pbxName, const QString& loginId) = 0;
    // Cancels one request under way by the id SendRequest answered: the
    // exchange answers its remaining entries as cancelled by the user. False
    // when no such request is under way, or the link cannot cancel.
    virtual bool CancelRequest(const QString& /*requestId*/) { return false; }
};

// Processor information of an exchange (Parent.oOPX).
class ProcessorInfo {
public:
    virtual ~ProcessorInfo() = default;
    // Processor type and revision separated by a blank, e.g. "SC-K 4.2".
    virtual QString GetMPVersion(const QString& pbxName) = 0;
};

// The host maintenance programme (Parent). Every member may raise RunError
// when the host fails; callers decide whether that matters.
class HostProgramme {
public:
    virtual ~HostProgramme() = default;
    virtual void ShowMessage(const QString& text) = 0;
    virtual void ShowCode(std::int32_t code) = 0;
    virtual void DisplayHelp(const QString& helpFile) = 0;
    virtual void UnloadChild(std::int32_t id) = 0;
    virtual void TurnOnFlow() = 0;
    virtual void TurnOffFlow() = 0;
    // Stores a text per add-in and key.
    virtual void REGComData(const QString& addin, const QString& key, const QString& value) = 0;
    // The stored text; raises RunError when there is none.
    virtual QString GetComData(const QString& addin, const QString& key) = 0;
    // Prints the report; empty on success, else a description of the failure.
    virtual QString PrintReport(const QString& databasePath, const QString& templatePath,
                                const QString& selection, const QString& reserved,
                                std::int32_t options) = 0;
    virtual void AddItem(const QString& line) = 0;
    // The file the last report printed for this add-in went to; empty when
    // the host does not say (it printed on paper, or knows no such member).
    virtual QString LastReportFile() { return {}; }
    virtual ExchangeLink* oPBX() = 0;
    virtual ProcessorInfo* oOPX() = 0;
};

}  // namespace kestrel
