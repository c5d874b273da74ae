// Every fault the simulated exchange can inject, on every request of a Get,
// of a copy, on the copy request only and on the destination check only,
// with and without the safety net: afterwards the session is idle and
// usable, the engineer was told in a box, the exchange holds exactly what
// the add-in said it wrote, and the next Get works. On the built-in host and
// through helm32's own host objects over a peer-to-peer D-Bus connection.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <functional>

#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "exchange/SimulatedExchange.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/Recordset.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/Helm32Peer.h"
#include "support/SessionFixture.h"
#include "support/SqlRows.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

struct FaultKind {
    const char* name;
    std::function<void(ExchangeFaults&)> set;
    // Writes answered OK that store nothing: only a read-back can tell.
    bool answersLie = false;
};

const FaultKind kFaults[] = {
    {"LoginBusy", [](ExchangeFaults& f) { f.loginReply = QStringLiteral("BUSY"); }},
    {"SendError", [](ExchangeFaults& f) { f.sendReply = QStringLiteral("ERROR"); }},
    {"SlowEntries", [](ExchangeFaults& f) { f.entryDelayMs = 2; }},
    {"LinkTimeout", [](ExchangeFaults& f) { f.linkFailEntries << 0 << 5; }},
    {"PortTrouble",
     [](ExchangeFaults& f) {
         f.linkFailText = QStringLiteral("OPX_PORT TROUBLES");
         f.linkFailEntries << 1;
     }},
    {"CancelAtOnce", [](ExchangeFaults& f) { f.cancelAfter = 0; }},
    {"CancelAfter10", [](ExchangeFaults& f) { f.cancelAfter = 10; }},
    {"ErrCode99", [](ExchangeFaults& f) { f.errCode = 99; }},
    {"ErrCode61", [](ExchangeFaults& f) { f.errCode = 61; }},
    {"RefusedItems",
     [](ExchangeFaults& f) { f.refuseItems << QStringLiteral("3002") << QStringLiteral("3014"); }},
    {"SilentWrites", [](ExchangeFaults& f) { f.silentItems << QStringLiteral("3002"); }, true},
};

// Where the faults apply: every request of a Get or of a copy, or only the
// copy's write request, or only its destination check.
enum class Scope { Get, Copy, CopyRequestOnly, CheckOnly };
enum class Road { Plain, SafetyNet };
enum class Host { BuiltIn, Helm32 };

struct MatrixCase {
    int fault;
    Scope scope;
    Road road;
    Host host = Host::BuiltIn;
};

std::vector<MatrixCase> AllCases() {
    std::vector<MatrixCase> cases;
    for (int f = 0; f < static_cast<int>(std::size(kFaults)); ++f) {
        cases.push_back({f, Scope::Get, Road::Plain});
        for (const Scope scope : {Scope::Copy, Scope::CopyRequestOnly, Scope::CheckOnly}) {
            for (const Road road : {Road::Plain, Road::SafetyNet})
                cases.push_back({f, scope, road});
        }
    }
    return cases;
}

// Over D-Bus one row per fault kind: fault f takes the (f mod 7)th of its
// seven rows, so every scope and both nets are crossed there too.
std::vector<MatrixCase> Helm32Cases() {
    const std::vector<MatrixCase> all = AllCases();
    std::vector<MatrixCase> cases;
    for (std::size_t f = 0; f < std::size(kFaults); ++f) {
        cases.push_back(all[f * 7 + f % 7]);
        cases.back().host = Host::Helm32;
    }
    return cases;
}

// Messages and test lists name a case as its test does, not as raw bytes.
void PrintTo(const MatrixCase& c, std::ostream* out) {
    static const char* const scopes[] = {"Get", "Copy", "CopyRequestOnly", "CheckOnly"};
    *out << kFaults[c.fault].name << '_' << scopes[static_cast<int>(c.scope)];
    if (c.scope != Scope::Get)
        *out << (c.road == Road::Plain ? "_Plain" : "_SafetyNet");
}

std::string CaseName(const ::testing::TestParamInfo<MatrixCase>& info) {
    return ::testing::PrintToString(info.param);
}

// A value as a Get stores it: answer codes ("DATA NOT SET") read as empty.
QString AsRead(const QString& value) {
    const int c = ClassifyAnswer(value);
    return c != code::kDataValue && c != code::kNone ? QString() : value;
}

class FaultMatrixTest : public test::SessionFixture,
                        public ::testing::WithParamInterface<MatrixCase> {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        SetSafetyNetSetting(GetParam().road == Road::SafetyNet);
        if (GetParam().host == Host::BuiltIn) {
            OpenStandalone();
            ASSERT_NE(link_, nullptr);
            return;
        }
        peer_ = std::make_unique<test::Helm32Peer>();
        ASSERT_NO_FATAL_FAILURE(peer_->StartPeer(tree_));
        peer_->Register(peer_->Create(), QStringLiteral("PBX1"), 3);
        dlg_ = peer_->addin_->Session().Window();
        ASSERT_NE(dlg_, nullptr);
        // The engineer copies from the preview whenever it offers to, as the
        // built-in road's window does.
        auto* poll = new QTimer(dlg_);
        QObject::connect(poll, &QTimer::timeout, [] {
            QWidget* preview = QApplication::activeModalWidget();
            if (!preview || preview->objectName() != u"frmPreview")
                return;
            auto* copy = preview->findChild<QPushButton*>(QStringLiteral("cmdCopy"));
            QTest::mouseClick(copy && copy->isEnabled() && copy->isVisible()
                                  ? copy
                                  : preview->findChild<QPushButton*>(QStringLiteral("cmdClose")),
                              Qt::LeftButton);
        });
        poll->start(20);
    }
    void TearDown() override {
        if (peer_)
            peer_->StopPeer();
        SessionFixture::TearDown();
        SetSafetyNetSetting(true);
    }

    void SetFaults(bool on) {
        ExchangeFaults faults;
        if (on)
            kFaults[GetParam().fault].set(faults);
        SimulatedExchange::Open(ExchangeFolder(), QStringLiteral("PBX1"), ExchangeSeedPath())
            ->SetFaults(faults);
    }
    TrunkCopySession& Session() { return dlg_ ? dlg_->Session() : *session_; }
    SimulatedLink& Link() { return dlg_ ? *peer_->link_ : *link_; }
    bool Enabled() const { return dlg_ ? dlg_->IsEnabled() : window_.enabled; }
    void Run(const QString& box, const QString& text, const std::function<void()>& command) {
        if (dlg_)
            dlg_->findChild<QLineEdit*>(box)->setText(text);
        else
            (box == u"txtTrunk" ? window_.trunkBox : window_.destinations) = text;
        command();
        ASSERT_TRUE(test::WaitFor([&] { return !Session().RequestUnderWay(); }, 20000));
    }
    // Every trunk-data value of the exchange by "trunk/item", read as one
    // text: a recordset row per value cost more than the rest of a case.
    QHash<QString, QString> Dump() const {
        auto exchange =
            SimulatedExchange::Open(ExchangeFolder(), QStringLiteral("PBX1"), ExchangeSeedPath());
        const QString all = test::SqlValue(
            exchange->Db(),
            QStringLiteral("SELECT group_concat(printf('%03d/%s', Trunk, CMD) || "
                           "char(9) || ifnull(Value, ''), char(10)) FROM TrunkData"));
        QHash<QString, QString> values;
        for (const QStringView line : QStringView(all).split(u'\n')) {
            const qsizetype tab = line.indexOf(u'\t');
            values.insert(line.left(tab).toString(), line.mid(tab + 1).toString());
        }
        return values;
    }
    void Get() {
        Run(QStringLiteral("txtTrunk"), QStringLiteral("004"), [&] { Session().GetSourceTrunk(); });
    }
    // The faults on the request that follows one with the tag `after`, off
    // again once a request with the tag `until` has been answered.
    void ArmBetween(const QString& after, const QString& until) {
        TrunkCopySession* session = &Session();
        QObject::connect(&Link(), &SimulatedLink::requestEnded, session, [=, this] {
            const QString tag = session->Dispatcher().SentTag();
            if (tag == after)
                SetFaults(true);
            if (tag == until)
                SetFaults(false);
        });
    }

    std::unique_ptr<test::Helm32Peer> peer_;  // helm32 over D-Bus, in its cases
    dlgKestrel* dlg_ = nullptr;               // the add-in's window there
};

TEST_P(FaultMatrixTest, UsableToldAndWroteWhatItSaid) {
    const MatrixCase c = GetParam();
    const bool net = c.road == Road::SafetyNet;
    if (c.scope != Scope::Get) {
        Get();
        ASSERT_EQ(Session().Values().rowCount(), 14);
    }
    const QHash<QString, QString> before = Dump();
    tree_.boxes.Clear();
    switch (c.scope) {
        case Scope::Get:
        case Scope::Copy:
            SetFaults(true);
            break;
        case Scope::CheckOnly:
            SetFaults(true);
            ArmBetween(QString(), QStringLiteral("12"));
            break;
        case Scope::CopyRequestOnly:
            // The write follows the check, or with the net the destinations' read.
            ArmBetween(net ? QStringLiteral("16") : QStringLiteral("12"), QStringLiteral("10"));
            break;
    }
    if (c.scope == Scope::Get) {
        Get();
    } else {
        Run(QStringLiteral("txtTrunkRange"), QStringLiteral("5-6,8"),
            [&] { Session().Copy(false); });
    }
    ASSERT_TRUE(test::WaitFor([&] { return !Session().Busy(); }, 20000));
    SetFaults(false);

    // Usable and told.
    EXPECT_FALSE(Session().Busy());
    EXPECT_TRUE(Enabled());
    ASSERT_FALSE(tree_.boxes.shown.empty()) << "no box";

    // What the add-in said it wrote: the answer's entries on the plain road,
    // the journal's written cells with the net.
    const QHash<QString, QString> after = Dump();
    QSet<QString> said;
    QHash<QString, QString> newValue;
    if (c.scope != Scope::Get && !net) {
        for (const CopyWriter::Cell& cell : Session().Copier().Written())
            said.insert(cell.first + u'/' + cell.second);
        for (int r = 0; r < Session().Values().rowCount(); ++r) {
            for (const char* trunk : {"005", "006", "008"}) {
                newValue.insert(QString::fromLatin1(trunk) + u'/' +
                                    Session().Values().Cell(r, ValueListModel::kCmd),
                                Session().Values().Cell(r, ValueListModel::kData));
            }
        }
        const QString prompt = tree_.boxes.Last().prompt;
        if (!said.isEmpty() && !prompt.startsWith(QStringLiteral("The trunk data has been")) &&
            !prompt.startsWith(QStringLiteral("The exchange refused these items"))) {
            EXPECT_TRUE(prompt.contains(CopyWriter::CellLines(Session().Copier().Written())))
                << prompt.toStdString();
        }
    } else if (net) {
        QString error;
        auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        ASSERT_NE(journal, nullptr) << error.toStdString();
        const QList<JournalEntry> entries = journal->Entries(QStringLiteral("PBX1"));
        if (!entries.isEmpty()) {
            EXPECT_EQ(entries.first().kind, QStringLiteral("Copy"));
            for (const JournalCell& cell : journal->Cells(entries.first().id)) {
                const QString key = cell.trunk + u'/' + cell.item;
                const QString now = AsRead(after.value(key));
                if (cell.outcome == CellOutcome::Written) {
                    said.insert(key);
                    newValue.insert(key, cell.newValue);
                } else if (cell.outcome != CellOutcome::Unchanged) {
                    // Not written: the destination holds what it held.
                    EXPECT_EQ(now, cell.oldValue) << key.toStdString();
                }
            }
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (it.value() != before.value(it.key())) {
            EXPECT_TRUE(said.contains(it.key()))
                << it.key().toStdString() << " changed but was not said to be written";
        }
    }
    if (!(kFaults[c.fault].answersLie && !net)) {
        for (const QString& key : said) {
            EXPECT_EQ(AsRead(after.value(key)), newValue.value(key))
                << key.toStdString() << " said to be written but does not hold the value";
        }
    }

    // The next Get works.
    tree_.boxes.Clear();
    Get();
    EXPECT_EQ(Session().Values().rowCount(), 14);
    ASSERT_FALSE(tree_.boxes.shown.empty());
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("The request has been completed."));
    EXPECT_FALSE(Session().Busy());
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrixTest, ::testing::ValuesIn(AllCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Helm32OverDBus, FaultMatrixTest, ::testing::ValuesIn(Helm32Cases()),
                         CaseName);

}  // namespace
}  // namespace kestrel
