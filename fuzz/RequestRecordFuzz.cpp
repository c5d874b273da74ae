// The request record as the add-in unmarshals it from the link. The input
// is a small text program that builds one D-Bus structure of any shape:
//   s<text>;  string (a backslash takes the next character as it is)
//   n<num>;   16-bit number        i<num>;  32-bit number
//   b0 b1     bool                 y<c>     byte
//   d<num>;   double               v        the next value as a variant
//   ( ... )   structure            [ s..; ] list of strings
//   < 1;2; >  list of 32-bit numbers
//   { s..;s..; }  map of strings to strings
// Anything else is skipped. The structure travels over a peer-to-peer
// connection inside this process, so the unmarshalling reads the wire form
// exactly as it does from the host.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServer>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>

#include "FuzzInput.h"
#include "automation/AutomationContract.h"

using namespace kestrel;

namespace {

const QString kPath = QStringLiteral("/record");
const QString kInterface = QStringLiteral("opshelm.Fuzz.Record");

class Program {
public:
    Program(const std::uint8_t* data, std::size_t size)
        : p_(reinterpret_cast<const char*>(data)), end_(p_ + size) {}

    bool AtEnd() const { return p_ == end_; }

    // Appends the next value, if any; false at the end of the program or of
    // the enclosing structure.
    bool Value(QDBusArgument& out, int depth) {
        while (p_ != end_) {
            const char op = *p_++;
            if (!Room(Cost(op)))
                return false;
            switch (op) {
                case 's':
                    out << Text();
                    return true;
                case 'n':
                    out << static_cast<qint16>(Number());
                    return true;
                case 'i':
                    out << static_cast<qint32>(Number());
                    return true;
                case 'b':
                    out << (p_ != end_ && *p_++ == '1');
                    return true;
                case 'y':
                    out << static_cast<uchar>(p_ != end_ ? *p_++ : 0);
                    return true;
                case 'd':
                    out << static_cast<double>(Number());
                    return true;
                case 'v':
                    out << QDBusVariant(Simple());
                    return true;
                case '(':
                    // Deeper nesting than the wire format allows is not
                    // a record anyone can send.
                    if (depth >= 8)
                        continue;
                    Structure(out, depth + 1);
                    return true;
                case '[':
                    out << Strings();
                    return true;
                case '<':
                    Numbers(out);
                    return true;
                case '{':
                    Map(out);
                    return true;
                case ')':
                    return false;
                default:
                    continue;
            }
        }
        return false;
    }

    void Structure(QDBusArgument& out, int depth) {
        out.beginStructure();
        int fields = 0;
        while (Value(out, depth))
            ++fields;
        if (fields == 0)
            out << false;  // a structure holds one field at least
        out.endStructure();
    }

private:
    // Signatures are 255 characters at most on the wire, and libdbus does
    // not check it while building (it breaks on the result), so values stop
    // where the next would not fit. The outermost structure is counted in.
    static int Cost(char op) {
        switch (op) {
            case '(':
                return 3;  // the parentheses and a field
            case '[':
            case '<':
                return 2;
            case '{':
                return 5;
            case 's':
            case 'n':
            case 'i':
            case 'b':
            case 'y':
            case 'd':
            case 'v':
                return 1;
            default:
                return 0;
        }
    }
    bool Room(int characters) {
        if (signature_ + characters > 255)
            return false;
        signature_ += characters;
        return true;
    }

    QString Text() {
        QByteArray bytes;
        while (p_ != end_ && *p_ != ';') {
            if (*p_ == '\\' && p_ + 1 != end_)
                ++p_;
            bytes += *p_++;
        }
        if (p_ != end_)
            ++p_;
        return QString::fromUtf8(bytes);
    }
    qint64 Number() {
        const QString text = Text();
        return text.toLongLong();
    }
    QVariant Simple() {
        if (p_ != end_ && *p_ == 'n') {
            ++p_;
            return QVariant::fromValue(static_cast<qint16>(Number()));
        }
        if (p_ != end_ && *p_ == 's')
            ++p_;
        return Text();
    }
    QStringList Strings() {
        QStringList list;
        while (p_ != end_) {
            const char c = *p_++;
            if (c == ']')
                break;
            if (c == 's')
                list << Text();
        }
        return list;
    }
    void Numbers(QDBusArgument& out) {
        out.beginArray(QMetaType::fromType<qint32>());
        while (p_ != end_ && *p_ != '>')
            out << static_cast<qint32>(Number());
        if (p_ != end_)
            ++p_;
        out.endArray();
    }
    void Map(QDBusArgument& out) {
        out.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
        while (p_ != end_ && *p_ != '}') {
            const QString key = Text();
            const QString value = Text();
            out.beginMapEntry();
            out << key << value;
            out.endMapEntry();
        }
        if (p_ != end_)
            ++p_;
        out.endMap();
    }

    const char* p_;
    const char* end_;
    int signature_ = 3;
};

class Receiver : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        for (const QVariant& argument : message.arguments()) {
            if (argument.metaType() != QMetaType::fromType<QDBusArgument>())
                continue;
            const cListRequest r = qdbus_cast<cListRequest>(argument);
            const qsizetype n = r.CMDList().size();
            fuzz::Require(r.Count() == n && n <= cListRequest::kMaxCount,
                          "the count is the length of the lists");
            for (const QStringList* list :
                 {&r.FirstDataList(), &r.SecondDataList(), &r.ExtraDataList(),
                  &r.DescriptionDataList(), &r.CKList(), &r.ERMFPList(), &r.MSGFPList()})
                fuzz::Require(list->size() == n, "the eight lists have one length");
        }
        ++received;
        return true;
    }
    int received = 0;
};

QDBusConnection* g_sender = nullptr;
Receiver* g_receiver = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_request_record";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    contract::RegisterTypes();
    auto* server = new QDBusServer();  // an abstract socket: nothing left on disk
    g_receiver = new Receiver();
    static QDBusConnection* accepted = nullptr;
    QObject::connect(server, &QDBusServer::newConnection, [](const QDBusConnection& c) {
        accepted = new QDBusConnection(c);
        accepted->registerVirtualObject(kPath, g_receiver);
    });
    g_sender = new QDBusConnection(
        QDBusConnection::connectToPeer(server->address(), QStringLiteral("sender")));
    const QDeadlineTimer deadline(10000);
    while (!accepted && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    fuzz::Require(accepted && g_sender->isConnected(), "the peer connection is up");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Program program(data, size);
    QDBusArgument record;
    program.Structure(record, 1);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString(), kPath, kInterface, QStringLiteral("CallBack"));
    call.setArguments({QVariant::fromValue(record)});
    const int before = g_receiver->received;
    if (!g_sender->send(call))
        return 0;  // nothing the sender could put on the wire
    const QDeadlineTimer deadline(10000);
    while (g_receiver->received == before && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    fuzz::Require(g_receiver->received > before, "the record arrives");
    return 0;
}
