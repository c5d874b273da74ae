#pragma once

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "ExchangeFaults.h"
#include "platform/Database.h"

namespace kestrel {

// One answer entry: item key or command, trunk or station, and the two
// answer texts.
struct AnswerEntry {
    QString cmd;
    QString firstData;
    QString secondData;
    QString extraData;
};

// An exchange kept in a SQLite file: its trunks, their trunk data, its
// stations and injected faults. Answers request entries the way an
// exchange does; writes persist. One object per thread.
class SimulatedExchange {
public:
    // Opens folder/<name>.pbx, making it from the seed file first when the
    // exchange is new. Raises RunError.
    static std::unique_ptr<SimulatedExchange> Open(const QString& folder, const QString& name,
                                                   const QString& seedPath);
    // The file name of an exchange: letters, digits, "-" and "_" kept,
    // everything else written as %XX so no two names share a file.
    static QString FileName(const QString& name);

    const QString& Name() const { return name_; }
    QString Processor() const;
    int MaxTrunk() const;

    ExchangeFaults Faults() const;
    void SetFaults(const ExchangeFaults& faults);

    // Answers one request entry, appending one entry per answer line (a
    // list-up gives one per item).
    void Answer(const QString& cmd, const QString& firstData, const QString& secondData,
                std::vector<AnswerEntry>& out);

    // Groups many writes into one transaction.
    void Begin();
    void Commit();

    // Direct access for tests and the host's maintenance views.
    Database& Db() { return *db_; }

private:
    SimulatedExchange(std::unique_ptr<Database> db, QString name);

    enum class TrunkCheck { Valid, DigitError, NotAssigned };
    TrunkCheck CheckTrunk(const QString& text, int& trunk) const;
    void Write(const QString& cmd, const QString& firstData, const QString& secondData,
               const ExchangeFaults& faults, std::vector<AnswerEntry>& out);

    std::unique_ptr<Database> db_;
    QString name_;
    int maxTrunk_ = 0;
    ExchangeFaults faults_;
    // What the open transaction has read of the items' patterns and the
    // trunks' assignment: a large write asks for the same few again and
    // again. Nothing is kept outside a transaction, where another
    // connection may change them between two entries.
    bool inTransaction_ = false;
    // The value `read` gives for `key`, read once in the open transaction.
    template <typename Key, typename Value, typename Read>
    Value ReadOnce(QHash<Key, Value>& kept, const Key& key, Read read) const {
        if (const auto found = kept.constFind(key); found != kept.cend())
            return *found;
        Value value = read();
        if (inTransaction_)
            kept.insert(key, value);
        return value;
    }
    mutable QHash<QString, std::optional<QRegularExpression>> patterns_;
    mutable QHash<int, bool> assigned_;
};

class cListRequest;

// The answer an exchange gives a whole request, entry by entry in one
// transaction, as its host hands it back (cut at a record's length). For
// tools and tests that ask an exchange without a link.
cListRequest AnswerOf(SimulatedExchange& exchange, const cListRequest& request);

}  // namespace kestrel
