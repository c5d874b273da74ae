#include "BuiltInHost.h"

#include <QRegularExpression>

#include "SimulatedLink.h"
#include "platform/RunError.h"
#include "startup/InstallPaths.h"

namespace kestrel {

QString ExchangeFolder() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("RegDBofHelm32")) +
           QStringLiteral("EXCHANGE/");
}

QString ExchangeSeedPath() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("RegDBofHelm32")) +
           QStringLiteral("Exchange.seed");
}

std::unique_ptr<SimulatedLink> CreateHostObject(const QString& className) {
    static const QRegularExpression known(QStringLiteral("^PBXDeskProj([0-9]*|NONE)\\.cPBXOle$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (!known.match(className).hasMatch()) {
        throw RunError(429,
                       QStringLiteral("The component can't create object '%1'.").arg(className));
    }
    return std::make_unique<SimulatedLink>(ExchangeFolder(), ExchangeSeedPath());
}

}  // namespace kestrel
