#pragma once

#include <QDBusArgument>
#include <QMetaType>
#include <QString>

#include "hostlink/cListRequest.h"

// The automation contract between the host and the add-in, peer to peer
// over D-Bus. Both programs build on this one header.
namespace kestrel::contract {

inline const QString kClassPath = QStringLiteral("/Kestrel10013");
inline const QString kClassInterface = QStringLiteral("opshelm.Kestrel10013");
inline const QString kLayerPathPrefix = QStringLiteral("/cOLELayer/");
inline const QString kLayerInterface = QStringLiteral("opshelm.Kestrel10013.cOLELayer");
inline const QString kWindowPath = QStringLiteral("/dlgKestrel");
inline const QString kWindowInterface = QStringLiteral("opshelm.Kestrel10013.dlgKestrel");
inline const QString kParentInterface = QStringLiteral("opshelm.Helm32.Parent");
inline const QString kLinkInterface = QStringLiteral("opshelm.Helm32.Link");
inline const QString kProcessorInterface = QStringLiteral("opshelm.Helm32.Processor");
inline const QString kLinkPathSuffix = QStringLiteral("/oPBX");
inline const QString kProcessorPathSuffix = QStringLiteral("/oOPX");
// A host call refused because the host is busy; the add-in retries.
inline const QString kBusyError = QStringLiteral("opshelm.Error.Busy");
// Any other failure of a host member.
inline const QString kFailedError = QStringLiteral("opshelm.Error.Failed");
// CreateObject of a class the add-in does not offer.
inline const QString kUnknownClassError = QStringLiteral("opshelm.Error.UnknownClass");
// A window member given an argument it cannot use (a control name that
// names no control).
inline const QString kInvalidArgumentError = QStringLiteral("opshelm.Error.InvalidArgument");
// The object path that stands for no object (an object argument of
// Nothing).
inline const QString kNoObjectPath = QStringLiteral("/");
// The class name the host creates.
inline const QString kClassName = QStringLiteral("cOLELayer");
// The command line switch of the automation start.
inline const QString kEmbedding = QStringLiteral("-Embedding");

// Registers the record's D-Bus type; call once per process before use.
void RegisterTypes();

}  // namespace kestrel::contract

// The request record as one D-Bus struct: the header fields in declaration
// order, then the eight lists.
QDBusArgument& operator<<(QDBusArgument& out, const kestrel::cListRequest& record);
const QDBusArgument& operator>>(const QDBusArgument& in, kestrel::cListRequest& record);

Q_DECLARE_METATYPE(kestrel::cListRequest)
