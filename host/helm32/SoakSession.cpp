#include "SoakSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <functional>

#include "AddinLauncher.h"
#include "copyengine/CopyWriter.h"
#include "exchange/SimulatedExchange.h"
#include "platform/Recordset.h"
#include "safetynet/CopyJournal.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

struct FaultKind {
    QString name;
    std::function<void(ExchangeFaults&)> set;
    // Writes answered OK that store nothing: the plain road cannot tell.
    bool answersLie = false;
};

// The faults the simulated exchange can show; the first is none.
const std::vector<FaultKind>& Kinds() {
    static const std::vector<FaultKind> kinds = {
        {QStringLiteral("None"), [](ExchangeFaults&) {}},
        {QStringLiteral("LoginBusy"),
         [](ExchangeFaults& f) { f.loginReply = QStringLiteral("BUSY"); }},
        {QStringLiteral("SendError"),
         [](ExchangeFaults& f) { f.sendReply = QStringLiteral("ERROR"); }},
        {QStringLiteral("SlowEntries"), [](ExchangeFaults& f) { f.entryDelayMs = 2; }},
        {QStringLiteral("LinkTimeout"),
         [](ExchangeFaults& f) {
             f.linkFailEntries = {0, 5};
         }},
        {QStringLiteral("PortTrouble"),
         [](ExchangeFaults& f) {
             f.linkFailEntries = {1};
             f.linkFailText = QStringLiteral("OPX_PORT TROUBLES");
         }},
        {QStringLiteral("CancelAtOnce"), [](ExchangeFaults& f) { f.cancelAfter = 0; }},
        {QStringLiteral("CancelAfter10"), [](ExchangeFaults& f) { f.cancelAfter = 10; }},
        {QStringLiteral("ErrCode99"), [](ExchangeFaults& f) { f.errCode = 99; }},
        {QStringLiteral("ErrCode61"), [](ExchangeFaults& f) { f.errCode = 61; }},
        {QStringLiteral("RefusedItems"),
         [](ExchangeFaults& f) {
             f.refuseItems = {QStringLiteral("3002"), QStringLiteral("3014")};
         }},
        {QStringLiteral("SilentWrites"),
         [](ExchangeFaults& f) { f.silentItems = {QStringLiteral("3002")}; }, true},
    };
    return kinds;
}

// A value as a Get stores it: answer codes ("DATA NOT SET") read as empty.
QString AsRead(const QString& value) {
    const int c = ClassifyAnswer(value);
    return c != code::kDataValue && c != code::kNone ? QString() : value;
}

QString CellKey(int trunk, const QString& item) {
    return QStringLiteral("%1/%2").arg(trunk, 3, 10, QChar(u'0')).arg(item);
}

// The cells that changed without being said to be written.
QStringList UnsaidChanges(const QHash<QString, QString>& before,
                          const QHash<QString, QString>& after, const QSet<QString>& said) {
    QStringList unsaid;
    QSet<QString> keys(before.keyBegin(), before.keyEnd());
    keys.unite(QSet<QString>(after.keyBegin(), after.keyEnd()));
    for (const QString& key : keys) {
        if (after.value(key) != before.value(key) && !said.contains(key)) {
            unsaid << QStringLiteral("%1 changed from '%2' to '%3' but was not reported written")
                          .arg(key, before.value(key), after.value(key));
        }
    }
    return unsaid;
}

int OpenFds(qint64 pid) {
    if (pid <= 0)
        return -1;
    return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                .size());
}

// The peak resident set (VmHWM) as /proc gives it, e.g. "61234 kB".
QString PeakMemory(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("unknown");
}

}  // namespace

SoakSession::SoakSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow,
                         QString exchange, QString folder, QString exchangeFolder, QString seedPath,
                         QString journalPath, int cycles, quint32 seed, QObject* parent)
    : ScriptedSession(launcher, model, hostWindow, std::move(exchange), std::move(folder), parent),
      exchangeFolder_(std::move(exchangeFolder)),
      seedPath_(std::move(seedPath)),
      journalPath_(std::move(journalPath)),
      cycles_(cycles),
      seed_(seed),
      random_(seed) {}

QHash<QString, QString> SoakSession::Dump(const QList<int>& trunks) const {
    QHash<QString, QString> values;
    auto exchange = SimulatedExchange::Open(exchangeFolder_, exchange_, seedPath_);
    for (const int trunk : trunks) {
        auto rs = exchange->Db().OpenRecordset(
            QStringLiteral("SELECT CMD, Value FROM TrunkData WHERE Trunk = ?"),
            RecordsetType::Snapshot, 0, {trunk});
        for (; !rs->Eof(); rs->MoveNext())
            values.insert(CellKey(trunk, rs->Fields(0).toString()), rs->Fields(1).toString());
    }
    return values;
}

void SoakSession::SetFault(int kind) const {
    ExchangeFaults faults;
    Kinds().at(static_cast<size_t>(kind)).set(faults);
    SimulatedExchange::Open(exchangeFolder_, exchange_, seedPath_)->SetFaults(faults);
}

qint64 SoakSession::NewestJournalId() const {
    QString error;
    auto journal = CopyJournal::Open(journalPath_, &error);
    if (!journal)
        return -1;
    const QList<JournalEntry> entries = journal->Entries(exchange_);
    return entries.isEmpty() ? 0 : entries.first().id;
}

QString SoakSession::CheckWritten(qint64 since, const QHash<QString, QString>& before,
                                  const QHash<QString, QString>& after) const {
    QString error;
    auto journal = CopyJournal::Open(journalPath_, &error);
    if (!journal)
        return QStringLiteral("the journal cannot be read: ") + error;
    QSet<QString> said;
    QHash<QString, QString> newValue;
    QStringList wrong;
    const QList<JournalEntry> entries = journal->Entries(exchange_);
    // Oldest first, so a later copy's cell counts over an earlier one's.
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        if (entry->id <= since || entry->kind != u"Copy")
            continue;
        for (const JournalCell& cell : journal->Cells(entry->id)) {
            const QString key = CellKey(cell.trunk.toInt(), cell.item);
            if (cell.outcome == CellOutcome::Written) {
                said.insert(key);
                newValue.insert(key, cell.newValue);
            } else if (cell.outcome != CellOutcome::Unchanged &&
                       AsRead(after.value(key)) !=
                           (cell.oldValue == kNotSetValue ? QString() : cell.oldValue)) {
                wrong << QStringLiteral("%1 reported %2 but holds '%3' instead of '%4'")
                             .arg(key, OutcomeName(cell.outcome), after.value(key), cell.oldValue);
            }
        }
    }
    wrong << UnsaidChanges(before, after, said);
    for (const QString& key : said) {
        if (AsRead(after.value(key)) != newValue.value(key)) {
            wrong << QStringLiteral("%1 reported written as '%2' but holds '%3'")
                         .arg(key, newValue.value(key), after.value(key));
        }
    }
    wrong.sort();
    return wrong.join(QStringLiteral("; "));
}

QString SoakSession::CheckPlainWritten(const QStringList& written, bool answersLie,
                                       const QStringList& told,
                                       const QHash<QString, QString>& before,
                                       const QHash<QString, QString>& after) {
    QStringList wrong;
    QList<CopyWriter::Cell> cells;
    for (const QString& cell : written)
        cells.append({cell.section(u'/', 0, 0), cell.section(u'/', 1)});
    QSet<QString> said;
    QHash<QString, QString> valueOf;  // the value list's, asked once per item
    for (const CopyWriter::Cell& cell : cells) {
        const QString key = CellKey(cell.first.toInt(), cell.second);
        said.insert(key);
        auto value = valueOf.find(cell.second);
        if (value == valueOf.end()) {
            value = valueOf.insert(cell.second,
                                   Call(QStringLiteral("ItemValue"), {cell.second}).toString());
        }
        if (!answersLie && AsRead(after.value(key)) != *value) {
            wrong << QStringLiteral("%1 reported written as '%2' but holds '%3'")
                         .arg(key, *value, after.value(key));
        }
    }
    wrong << UnsaidChanges(before, after, said);
    // A copy that did not end as asked names what it wrote in its box.
    const QString last = told.isEmpty() ? QString() : told.last();
    if (!cells.isEmpty() && !last.startsWith(QStringLiteral("The trunk data has been")) &&
        !last.startsWith(QStringLiteral("The exchange refused these items")) &&
        !last.contains(CopyWriter::CellLines(cells))) {
        wrong << QStringLiteral("the copy's box does not name the cells written: ") + last;
    }
    wrong.sort();
    return wrong.join(QStringLiteral("; "));
}

QString SoakSession::Cycle(int fault, bool onGet, bool net, int source, int first, int count) {
    QList<int> destinations;
    for (int t = first; t < first + count; ++t)
        destinations << t;
    const QHash<QString, QString> before = Dump(destinations);
    const qint64 since = NewestJournalId();
    if (since < 0)
        return QStringLiteral("the journal cannot be read");

    Call(QStringLiteral("SetSafetyNet"), {net});
    Call(QStringLiteral("TakeMessages"));
    if (onGet)
        SetFault(fault);
    Call(QStringLiteral("SetTrunk"), {QString::number(source)});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    const bool got = WaitIdle(60000);
    const bool toldGet = !Call(QStringLiteral("TakeMessages")).toStringList().isEmpty();
    if (!onGet)
        SetFault(fault);
    bool copied = got;
    QStringList told;
    if (got) {
        Call(QStringLiteral("SetDestinations"),
             {count == 1 ? QString::number(first)
                         : QStringLiteral("%1-%2").arg(first).arg(first + count - 1)});
        Call(QStringLiteral("RunCommand"), {QStringLiteral("Copy")});
        copied = WaitIdle(60000);
        told = Call(QStringLiteral("TakeMessages")).toStringList();
    }
    SetFault(0);
    if (ended_)
        return QStringLiteral("the add-in ended");
    if (!got)
        return QStringLiteral("still busy a minute after the Get");
    if (!copied)
        return QStringLiteral("still busy a minute after the Copy");
    if (!Call(QStringLiteral("Enabled")).toBool())
        return QStringLiteral("the window is disabled after the Copy");
    if (!toldGet)
        return QStringLiteral("the Get ended without a box");
    if (told.isEmpty())
        return QStringLiteral("the Copy ended without a box");

    QString wrong = net ? CheckWritten(since, before, Dump(destinations))
                        : CheckPlainWritten(Call(QStringLiteral("WrittenCells")).toStringList(),
                                            Kinds().at(static_cast<size_t>(fault)).answersLie, told,
                                            before, Dump(destinations));
    if (!wrong.isEmpty())
        return wrong;

    // Usable: the next Get of a trunk known to hold data reads it.
    Call(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    if (!WaitIdle(60000))
        return QStringLiteral("the next Get is still busy after a minute");
    const int items = Call(QStringLiteral("ItemCount")).toInt();
    if (ended_)
        return QStringLiteral("the add-in ended");
    if (items <= 0)
        return QStringLiteral("the next Get read no items");
    if (!Call(QStringLiteral("Enabled")).toBool())
        return QStringLiteral("the window is disabled after the next Get");
    return {};
}

void SoakSession::PrintFigures(const QString& when, qint64 addinPid) {
    const qint64 own = QCoreApplication::applicationPid();
    const int hostFds = OpenFds(own);
    const int addinFds = OpenFds(addinPid);
    if (when == u"start") {
        fdsAtStart_.insert(QStringLiteral("helm32"), hostFds);
        fdsAtStart_.insert(QStringLiteral("kestrel"), addinFds);
        return;
    }
    out_ << "SOAK peak memory (VmHWM): helm32 " << PeakMemory(own) << ", kestrel "
         << PeakMemory(addinPid) << Qt::endl;
    out_ << "SOAK open fds helm32: " << fdsAtStart_.value(QStringLiteral("helm32")) << " at start, "
         << hostFds << " at end" << Qt::endl;
    out_ << "SOAK open fds kestrel: " << fdsAtStart_.value(QStringLiteral("kestrel"))
         << " at start, " << addinFds << " at end" << Qt::endl;
}

void SoakSession::Run() {
    if (finished_ || Ended(QStringLiteral("Open Trunk Copy for ") + exchange_))
        return;
    running_ = true;
    const qint64 addinPid = launcher_.ProcessId(exchange_);
    PrintFigures(QStringLiteral("start"), addinPid);
    out_ << "SOAK " << cycles_ << " cycles on " << exchange_ << ", seed " << seed_ << Qt::endl;
    QElapsedTimer clock;
    clock.start();
    int run = 0;
    int failures = 0;
    const int kinds = static_cast<int>(Kinds().size());
    for (int cycle = 1; cycle <= cycles_ && !ended_; ++cycle) {
        const int fault = random_.bounded(kinds);
        const bool onGet = random_.bounded(2) == 0;
        const bool net = random_.bounded(2) == 0;
        const int source = 1 + random_.bounded(40);
        const int first = 1 + random_.bounded(40);
        const int count = 1 + random_.bounded(4);
        const QString wrong = Cycle(fault, onGet, net, source, first, count);
        ++run;
        if (!wrong.isEmpty()) {
            ++failures;
            Step(QStringLiteral("cycle %1 (fault %2 on the %3, %4, source %5, destinations %6-%7)")
                     .arg(cycle)
                     .arg(Kinds().at(static_cast<size_t>(fault)).name,
                          onGet ? QStringLiteral("Get") : QStringLiteral("Copy"),
                          net ? QStringLiteral("safety net on") : QStringLiteral("plain road"))
                     .arg(source)
                     .arg(first)
                     .arg(first + count - 1),
                 false, wrong);
        }
        if (cycle % 50 == 0)
            out_ << "SOAK progress " << cycle << "/" << cycles_ << ", " << failures << " failed"
                 << Qt::endl;
    }
    out_ << "SOAK cycles run: " << run << Qt::endl;
    out_ << "SOAK failures: " << failures << Qt::endl;
    out_ << "SOAK elapsed: " << QString::number(clock.elapsed() / 1000.0, 'f', 1) << " s"
         << Qt::endl;
    PrintFigures(QStringLiteral("end"), ended_ ? 0 : addinPid);
    Finish();
}

}  // namespace kestrel
