#include "SimulatedExchange.h"

#include "hostlink/cListRequest.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUuid>

#include "platform/FileOps.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Statement.h"

namespace kestrel {

namespace {

const QString kDigitError = QStringLiteral("DIGIT ERROR");
const QString kNotAssigned = QStringLiteral("TRK NOT ASSIGNED");
const QString kDataError = QStringLiteral("DATA ERROR");
const QString kCodeNotUsed = QStringLiteral("CODE NOT USED");

QSet<int> ParseIndices(const QString& text) {
    QSet<int> result;
    for (const QString& piece : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = piece.trimmed().toInt(&ok);
        if (ok)
            result.insert(n);
    }
    return result;
}

QSet<QString> ParseKeys(const QString& text) {
    QSet<QString> result;
    for (const QString& key : text.split(u',', Qt::SkipEmptyParts))
        result.insert(key.trimmed());
    return result;
}

QVariant JoinKeys(const QSet<QString>& keys) {
    if (keys.isEmpty())
        return QVariant();
    QStringList sorted = keys.values();
    sorted.sort();
    return sorted.join(u',');
}

bool HasField(const Recordset& row, const QString& name) {
    for (int i = 0; i < row.FieldCount(); ++i) {
        if (row.FieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

const QString kSilentItems = QStringLiteral("SilentItems");

QString JoinIndices(const QSet<int>& indices) {
    QList<int> sorted = indices.values();
    std::sort(sorted.begin(), sorted.end());
    QStringList parts;
    for (int n : sorted)
        parts.append(QString::number(n));
    return parts.join(u',');
}

// Makes the exchange file from the seed under a private name and moves it
// into place, so two processes making the same exchange never see half a
// file.
void MakeFromSeed(const QString& target, const QString& name, const QString& seedPath) {
    QDir().mkpath(QFileInfo(target).path());
    const QString temp = target + QStringLiteral(".") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) +
                         QStringLiteral(".new");
    if (!QFile::copy(ResolvePath(seedPath), temp)) {
        throw RunError(err::kFileNotFound,
                       QStringLiteral("The exchange seed '%1' cannot be copied.").arg(seedPath));
    }
    QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner);
    {
        auto db = Database::Open(temp, false);
        auto profile =
            db->OpenRecordset(QStringLiteral("SELECT * FROM Profile WHERE Name = ? OR Name = '*' "
                                             "ORDER BY Name = '*'"),
                              RecordsetType::Snapshot, 0, {name});
        db->Execute(QStringLiteral("INSERT INTO Exchange VALUES (?, ?, ?)"),
                    {name, profile->Fields(QStringLiteral("Processor")),
                     profile->Fields(QStringLiteral("MaxTrunk"))});
    }
    if (QFile::exists(target) || !QFile::rename(temp, target)) {
        QFile::remove(temp);  // another process made it first
    }
}

}  // namespace

QString SimulatedExchange::FileName(const QString& name) {
    QString file;
    for (const QChar c : name) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
            c == u'-' || c == u'_') {
            file += c;
        } else {
            for (const char byte : QString(c).toUtf8()) {
                file +=
                    QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QChar(u'0'));
            }
        }
    }
    return file + QStringLiteral(".pbx");
}

std::unique_ptr<SimulatedExchange> SimulatedExchange::Open(const QString& folder,
                                                           const QString& name,
                                                           const QString& seedPath) {
    if (name.trimmed().isEmpty()) {
        throw RunError(err::kCouldNotFindFile, QStringLiteral("No exchange name was given."));
    }
    const QString target = ResolvePath(folder + FileName(name));
    if (!QFile::exists(target))
        MakeFromSeed(target, name, seedPath);
    auto db = Database::Open(target, false);
    return std::unique_ptr<SimulatedExchange>(new SimulatedExchange(std::move(db), name));
}

SimulatedExchange::SimulatedExchange(std::unique_ptr<Database> db, QString name)
    : db_(std::move(db)), name_(std::move(name)) {
    // Entries are applied one by one, each its own transaction: in WAL mode
    // they cost no flush each, stay once the process is gone, and whoever
    // reads the exchange meanwhile (a tool, another host) is never locked
    // out. A file another connection holds keeps its mode until next time.
    try {
        Statement(*db_, QStringLiteral("PRAGMA journal_mode = WAL")).Step();
        Statement(*db_, QStringLiteral("PRAGMA synchronous = NORMAL")).Step();
    } catch (const RunError& e) {
        qCInfo(lcHostlink, "The exchange %s keeps its journal mode for now: %s",
               qUtf8Printable(name_), qUtf8Printable(e.Description()));
    }
    auto row = db_->OpenRecordset(QStringLiteral("SELECT MaxTrunk FROM Exchange"),
                                  RecordsetType::Snapshot);
    maxTrunk_ = row->Eof() ? 511 : row->Fields(0).toInt();
    faults_ = Faults();
}

QString SimulatedExchange::Processor() const {
    auto row = db_->OpenRecordset(QStringLiteral("SELECT Processor FROM Exchange"),
                                  RecordsetType::Snapshot);
    return row->Eof() ? QString() : TextOf(row->Fields(0));
}

int SimulatedExchange::MaxTrunk() const {
    return maxTrunk_;
}

ExchangeFaults SimulatedExchange::Faults() const {
    ExchangeFaults f;
    auto row = db_->OpenRecordset(QStringLiteral("SELECT * FROM Faults"), RecordsetType::Snapshot);
    if (row->Eof())
        return f;
    f.loginReply = TextOf(row->Fields(QStringLiteral("LoginReply")));
    f.sendReply = TextOf(row->Fields(QStringLiteral("SendReply")));
    f.entryDelayMs = row->Fields(QStringLiteral("EntryDelayMs")).toInt();
    f.linkFailEntries = ParseIndices(TextOf(row->Fields(QStringLiteral("LinkFailEntries"))));
    const QString failText = TextOf(row->Fields(QStringLiteral("LinkFailText")));
    if (!failText.isEmpty())
        f.linkFailText = failText;
    const QVariant cancel = row->Fields(QStringLiteral("CancelAfter"));
    f.cancelAfter = cancel.isNull() ? -1 : cancel.toInt();
    f.errCode = row->Fields(QStringLiteral("ErrCode")).toInt();
    f.refuseItems = ParseKeys(TextOf(row->Fields(QStringLiteral("RefuseItems"))));
    const QString refuseText = TextOf(row->Fields(QStringLiteral("RefuseText")));
    if (!refuseText.isEmpty())
        f.refuseText = refuseText;
    // Exchange files made before this fault existed have no column for it.
    if (HasField(*row, kSilentItems))
        f.silentItems = ParseKeys(TextOf(row->Fields(kSilentItems)));
    return f;
}

void SimulatedExchange::SetFaults(const ExchangeFaults& f) {
    const QVariant none;
    {
        auto columns = db_->OpenRecordset(QStringLiteral("SELECT * FROM Faults WHERE 0"),
                                          RecordsetType::Snapshot);
        if (!HasField(*columns, kSilentItems))
            db_->Execute(QStringLiteral("ALTER TABLE Faults ADD COLUMN SilentItems TEXT"));
    }
    db_->Execute(QStringLiteral("DELETE * FROM Faults"));
    db_->Execute(
        QStringLiteral("INSERT INTO Faults (LoginReply, SendReply, EntryDelayMs, LinkFailEntries, "
                       "LinkFailText, CancelAfter, ErrCode, RefuseItems, RefuseText, SilentItems) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {f.loginReply.isEmpty() ? none : f.loginReply, f.sendReply.isEmpty() ? none : f.sendReply,
         f.entryDelayMs, f.linkFailEntries.isEmpty() ? none : JoinIndices(f.linkFailEntries),
         f.linkFailText, f.cancelAfter < 0 ? none : QVariant(f.cancelAfter), f.errCode,
         JoinKeys(f.refuseItems), f.refuseText, JoinKeys(f.silentItems)});
    faults_ = f;
}

SimulatedExchange::TrunkCheck SimulatedExchange::CheckTrunk(const QString& text, int& trunk) const {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch())
        return TrunkCheck::DigitError;
    // 0 is a number like any other; the seed never assigns it.
    trunk = text.toInt();
    if (trunk > maxTrunk_)
        return TrunkCheck::DigitError;
    const bool assigned = ReadOnce(assigned_, trunk, [&] {
        auto row = db_->OpenRecordset(QStringLiteral("SELECT Assigned FROM Trunks WHERE Trunk = ?"),
                                      RecordsetType::Snapshot, 0, {trunk});
        return !row->Eof() && row->Fields(0).toInt() != 0;
    });
    return assigned ? TrunkCheck::Valid : TrunkCheck::NotAssigned;
}

void SimulatedExchange::Begin() {
    db_->BeginTrans();
    inTransaction_ = true;
}

void SimulatedExchange::Commit() {
    inTransaction_ = false;
    patterns_.clear();
    assigned_.clear();
    db_->CommitTrans();
}

void SimulatedExchange::Answer(const QString& cmd, const QString& firstData,
                               const QString& secondData, std::vector<AnswerEntry>& out) {
    int trunk = 0;
    if (cmd.isEmpty()) {
        out.push_back({cmd, firstData, kDataError, QString()});
        return;
    }
    if (cmd == u"3000" || cmd == u"L30") {
        const TrunkCheck check = CheckTrunk(firstData, trunk);
        if (check != TrunkCheck::Valid) {
            out.push_back({cmd, firstData,
                           check == TrunkCheck::DigitError ? kDigitError : kNotAssigned,
                           QString()});
            return;
        }
        if (cmd == u"3000") {
            auto route = db_->OpenRecordset(
                QStringLiteral("SELECT Value FROM TrunkData WHERE Trunk = ? AND CMD = '3001'"),
                RecordsetType::Snapshot, 0, {trunk});
            out.push_back({cmd, firstData,
                           route->Eof() ? QStringLiteral("NONE") : TextOf(route->Fields(0)),
                           QString()});
            return;
        }
        auto items = db_->OpenRecordset(
            QStringLiteral("SELECT CMD, Value FROM TrunkData WHERE Trunk = ? ORDER BY CMD"),
            RecordsetType::ForwardOnly, rs::kReadOnly, {trunk});
        while (!items->Eof()) {
            out.push_back(
                {TextOf(items->Fields(0)), firstData, TextOf(items->Fields(1)), QString()});
            items->MoveNext();
        }
        return;
    }
    if (cmd == u"@LEN") {
        // A forwarding value ("EB" or "C" and the station) names its station.
        QString number = firstData;
        if (number.startsWith(QStringLiteral("EB"))) {
            number = number.mid(2);
        } else if (number.startsWith(u'C')) {
            number = number.mid(1);
        }
        auto station = db_->OpenRecordset(QStringLiteral("SELECT Kind FROM Stations WHERE "
                                                         "Number = ?"),
                                          RecordsetType::Snapshot, 0, {number});
        out.push_back(
            {cmd, firstData, QString(),
             station->Eof() ? QStringLiteral("OPX_STN_NOT ASSIGNED") : TextOf(station->Fields(0))});
        return;
    }
    Write(cmd, firstData, secondData, faults_, out);
}

void SimulatedExchange::Write(const QString& cmd, const QString& firstData,
                              const QString& secondData, const ExchangeFaults& faults,
                              std::vector<AnswerEntry>& out) {
    const std::optional<QRegularExpression> pattern = ReadOnce(patterns_, cmd, [&] {
        auto item = db_->OpenRecordset(QStringLiteral("SELECT Pattern FROM Items WHERE CMD = ?"),
                                       RecordsetType::Snapshot, 0, {cmd});
        std::optional<QRegularExpression> read;
        if (!item->Eof())
            read.emplace(TextOf(item->Fields(0)));
        return read;
    });
    if (!pattern) {
        out.push_back({cmd, firstData, kCodeNotUsed, QString()});
        return;
    }
    int trunk = 0;
    const TrunkCheck check = CheckTrunk(firstData, trunk);
    QString verdict;
    QString value = secondData;
    if (check == TrunkCheck::DigitError) {
        verdict = kDigitError;
    } else if (check == TrunkCheck::NotAssigned) {
        verdict = kNotAssigned;
    } else if (faults.refuseItems.contains(cmd)) {
        verdict = faults.refuseText;
    } else {
        if (value == u"CCC")
            value = QStringLiteral("NONE");
        if (value != u"NONE" && !pattern->match(value).hasMatch()) {
            verdict = kDataError;
        } else if (faults.silentItems.contains(cmd)) {
            // Answers as a stored write would, and keeps the old value.
            verdict = QStringLiteral("OK");
        } else {
            db_->Execute(QStringLiteral("INSERT OR REPLACE INTO TrunkData VALUES (?, ?, ?)"),
                         {trunk, cmd, value});
            verdict = QStringLiteral("OK");
        }
    }
    out.push_back({cmd, firstData, secondData, verdict});
}

cListRequest AnswerOf(SimulatedExchange& exchange, const cListRequest& request) {
    cListRequest answer = request;
    answer.Clear();
    std::vector<AnswerEntry> lines;
    exchange.Begin();
    for (int i = 0; i < request.Count(); ++i)
        exchange.Answer(request.CMD(i), request.FirstData(i), request.SecondData(i), lines);
    exchange.Commit();
    QStringList cmd, fd, sd, ed;
    for (size_t i = 0; i < lines.size() && i < size_t(cListRequest::kMaxCount); ++i) {
        cmd.append(lines[i].cmd);
        fd.append(lines[i].firstData);
        sd.append(lines[i].secondData);
        ed.append(lines[i].extraData);
    }
    const QStringList empty(cmd.size(), QString());
    answer.SetLists(cmd, fd, sd, ed, empty, empty, empty, empty);
    return answer;
}

}  // namespace kestrel
