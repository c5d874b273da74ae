#pragma once

#include <QPixmap>
#include <QString>

namespace kestrel {

// What the additional-data dialog needs of the window that calls it.
class CmdDialogCaller {
public:
    virtual ~CmdDialogCaller() = default;
    // The value the engineer accepted (the window's public SecondData).
    virtual void SetSecondData(const QString& value) = 0;
    // The dialog's outcome: "ok", "cancel" or empty.
    virtual void SetTag(const QString& tag) = 0;
    // The station check (first call asks, second call gives the verdict).
    virtual bool Check_STNData(const QString& cmd, const QString& fd) = 0;
    // The picture of the window's background image imgBack(0).
    virtual QPixmap BackgroundPicture() const = 0;
};

}  // namespace kestrel
