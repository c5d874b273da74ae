#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "HostProgramme.h"

namespace kestrel {

// The host object of a standalone start: an exchange link that reports how
// far each request has got and cancels one request on demand. The window's
// progress strip follows it; the built-in simulated host is one.
//
// requestProgress(requestId, loginId, done, total) comes with done 0 when
// a request is accepted and then as its entries complete; requestEnded
// follows once, right before the answer reaches the login's call-back.
class StandaloneLink : public QObject, public ExchangeLink {
    Q_OBJECT

public:
    using QObject::QObject;

    // Cancels one request under way by the id SendRequest answered; false
    // when no such request is under way.
    bool CancelRequest(const QString& requestId) override = 0;

signals:
    void requestProgress(const QString& requestId, const QString& loginId, int done, int total);
    void requestEnded(const QString& requestId, const QString& loginId, int errCode);
};

// Makes the standalone host object of a class name; raises RunError (429)
// for a class it does not know.
using StandaloneLinkFactory =
    std::function<std::unique_ptr<StandaloneLink>(const QString& className)>;

}  // namespace kestrel
