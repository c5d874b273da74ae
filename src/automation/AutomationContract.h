#pragma once

#include <QDBusArgument>
#include <QMetaType>
#include <QString>

#include "hostlink/cListRequest.h"

// The automation contract between the host and the add-in, peer to peer
// over D-Bus. Both programs and the tests build on this one header; the
// exported interfaces are also kept as introspection XML in dbus/.

// The interface names. Q_CLASSINFO hands its value to moc, which reads only
// a string literal (a constexpr variable is invisible to it), so the names
// are macros that moc expands; the QString constants below are made from
// the same macros, so each name is written once.
#define KESTREL_DBUS_CLASS_INTERFACE "opshelm.Kestrel10013"
#define KESTREL_DBUS_LAYER_INTERFACE "opshelm.Kestrel10013.cOLELayer"
#define KESTREL_DBUS_WINDOW_INTERFACE "opshelm.Kestrel10013.dlgKestrel"
#define KESTREL_DBUS_SESSION_INTERFACE "opshelm.Kestrel10013.Session"
#define KESTREL_DBUS_PARENT_INTERFACE "opshelm.Helm32.Parent"
#define KESTREL_DBUS_LINK_INTERFACE "opshelm.Helm32.Link"
#define KESTREL_DBUS_PROCESSOR_INTERFACE "opshelm.Helm32.Processor"

namespace kestrel::contract {

// The add-in's objects.
inline const QString kClassPath = QStringLiteral("/Kestrel10013");
inline const QString kClassInterface = QStringLiteral(KESTREL_DBUS_CLASS_INTERFACE);
inline const QString kLayerPathPrefix = QStringLiteral("/cOLELayer/");
inline const QString kLayerInterface = QStringLiteral(KESTREL_DBUS_LAYER_INTERFACE);
inline const QString kWindowPath = QStringLiteral("/dlgKestrel");
inline const QString kWindowInterface = QStringLiteral(KESTREL_DBUS_WINDOW_INTERFACE);
// The unattended session's object, exported only when KESTREL_SESSION is set.
inline const QString kSessionPath = QStringLiteral("/Session");
inline const QString kSessionInterface = QStringLiteral(KESTREL_DBUS_SESSION_INTERFACE);
// The host's objects: Parent at the path given to RegisterPBX (helm32
// exports it at kHostParentPath), its link and processor below it.
inline const QString kHostParentPath = QStringLiteral("/Parent");
inline const QString kParentInterface = QStringLiteral(KESTREL_DBUS_PARENT_INTERFACE);
inline const QString kLinkInterface = QStringLiteral(KESTREL_DBUS_LINK_INTERFACE);
inline const QString kProcessorInterface = QStringLiteral(KESTREL_DBUS_PROCESSOR_INTERFACE);
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
