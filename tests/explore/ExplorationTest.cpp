// Random sequences of everything an engineer (and the exchange) can do to
// the standalone window, checked after every step against the simulated
// exchange's own file. RC_PARAMS sets the seed, the number of sequences and
// their length; EXPLORE_WITHOUT (command names, comma separated) leaves
// commands out, to look past a fault already known.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>
#include <sqlite3.h>

#include <array>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

#include "catalogue/TreeEditor.h"
#include "copyengine/TrunkRange.h"
#include "safetynet/PreviewModel.h"
#include "safetynet/widgets/frmPreview.h"
#include "support/MainWindowParts.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

using test::WaitFor;

// Without RC_PARAMS of its own a run is the suite's: a fixed seed and a few
// hundred steps. Set before RapidCheck first reads it.
const bool suiteParams = [] {
    if (!qEnvironmentVariableIsSet("RC_PARAMS"))
        qputenv("RC_PARAMS", "seed=101 max_success=12 max_size=90");
    return true;
}();

constexpr int kCap = 60000;  // ms a request chain may take before the window counts as stuck
const QString kListupTag = QString::number(step::kListupAnswered);
const QString kWriteTag = QString::number(step::kCopyAnswered);

const auto Text = [](const char* text) { return QString::fromLatin1(text); };
const auto S = [](const QString& text) { return text.toStdString(); };
void Require(bool ok, const QString& what) {
    if (!ok)
        RC_FAIL(S(what));
}
// "NONE" and "CCC" are one value to the exchange; an answer code held as a
// value ("DATA NOT SET", the journal's "not set") reads as empty, as a Get stores it.
bool Same(const QString& a, const QString& b) {
    auto v = [](const QString& x) {
        const int c = ClassifyAnswer(x);
        if (x == u"CCC")
            return QStringLiteral("NONE");
        return x == kNotSetValue || (c != -1 && c != code::kNone) ? QString() : x;
    };
    return v(a) == v(b);
}
// A destination list as the engineer means it: numbers and ranges with one
// dash between two numbers, no range above the highest trunk. A single
// number above it is left out (and named); the list stands on the rest.
bool WellFormed(const QString& text, int highest) {
    static const QRegularExpression piece(QStringLiteral("^([0-9]+)(-([0-9]+))?$"));
    int kept = 0;
    for (const QString& p : text.split(u',')) {
        const auto m = piece.match(p);
        if (!m.hasMatch() || (m.hasCaptured(3) &&
                              (m.captured(1).toInt() > highest || m.captured(3).toInt() > highest)))
            return false;
        kept += m.hasCaptured(3) || m.captured(1).toInt() <= highest;
    }
    return kept > 0;
}

// The window's link, watched: which trunk's list-up filled the value list,
// which trunk that was when a write went out, and how far each request got.
class WatchedLink : public SimulatedLink, public CallBackTarget {
public:
    using SimulatedLink::SimulatedLink;
    QString Login(const QString& pbx, CallBackTarget* target) override {
        target_ = target;
        return SimulatedLink::Login(pbx, this);
    }
    QString SendRequest(cListRequest& request) override {
        const QString id = SimulatedLink::SendRequest(request);
        tags[id] = request.Tag();
        if (request.Tag() == kWriteTag)
            *writeSource = *listTrunk;
        return id;
    }
    void CallBack(cListRequest& answer) override {
        if (answer.Tag() == kListupTag && answer.Count() > 0 && answer.CMD(0) != u"L30")
            *listTrunk = answer.FirstData(0).toInt();
        if (target_)
            target_->CallBack(answer);
    }
    int* listTrunk = nullptr;
    int* writeSource = nullptr;
    QHash<QString, QString> tags;  // request id -> step tag

private:
    CallBackTarget* target_ = nullptr;
};

// Another engineer's window on the same exchange: its own link and login,
// as its own process has.
class OtherWindow : public CallBackTarget {
public:
    OtherWindow() : link(ExchangeFolder(), ExchangeSeedPath()) {
        login = link.Login(QStringLiteral("PBX1"), this);
    }
    void CallBack(cListRequest& response) override { answer = response; }
    SimulatedLink link;
    QString login;
    std::optional<cListRequest> answer;
};

using Cells = QHash<QString, QString>;  // "005/3002" -> value

// One runtime tree for every sequence, as making one takes a second; each
// sequence starts on a fresh exchange file and journal of its own.
std::unique_ptr<test::RuntimeTree> runtime;

class Explorer : public ::testing::Test {
public:
    static inline int steps = 0;

    void SetUp() override {
        QFile::remove(ResolvePath(ExchangeFolder()) + SimulatedExchange::FileName(Text("PBX1")));
        QFile::remove(CopyJournal::DefaultPath());
        tree_.boxes.Clear();
        // What the tool logs of the faults injected is its answer to them;
        // the exchange's file judges. Qt's own warnings still fail.
        previous_ = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (!QByteArray(context.category).startsWith("kestrel."))
                    previous_(type, context, message);
            });
        SetSafetyNetSetting(true);
        files_ = QDir(tree_.DatabaseDir()).entryList(QDir::Files);
        test::OnModal(&answerer_, [this](QWidget* modal) { AnswerDialogs(modal); });
        Reopen();
        exchange_ = test::OpenExchange();
        other_ = std::make_unique<OtherWindow>();
        Remember();
    }
    // RapidCheck leaves out TearDown after a failing sequence: the
    // destructor cleans up.
    ~Explorer() override {
        window_.reset();
        other_.reset();
        exchange_.reset();
        qInstallMessageHandler(previous_);
    }
    TrunkCopySession& Session() const { return window_->Session(); }
    QLineEdit* Box(const char* name) const { return test::Child<QLineEdit>(window_.get(), name); }

    bool Open() const { return window_ && window_->IsLoaded(); }
    // Closed, or nothing under way and no dialog up.
    bool Idle() const {
        return !Open() || (!Session().Busy() && !QApplication::activeModalWidget());
    }

    // One step: the action, then (unless it leaves its request running) the
    // wait for the window to settle, then the invariants once it is idle.
    void Step(const std::function<void()>& action, bool leave = false, const QString& tag = {}) {
        ++steps;
        progressed_ = false;
        watchTag_ = tag;
        action();
        if (leave) {
            WaitFor([&] { return Idle() || progressed_; }, kCap);
        } else {
            Require(WaitFor([&] { return Idle(); }, kCap),
                    "the window is still busy after a minute");
            Require(!Open() || window_->IsEnabled(), "the window is idle but disabled");
        }
        tree_.boxes.answers.clear();
        if (Idle())
            Check();
    }
    void Command(const QString& key) {
        if (Open())
            window_->RunCommand(key);
    }

    void TypeSource(const QString& text, bool leave) {
        QLineEdit* box = Box("txtTrunk");
        Type(box, text);
        if (leave && box->isEnabled())
            Box("txtTrunkRange")->setFocus(Qt::TabFocusReason);
    }
    void TypeDestination(const QString& text) { Type(Box("txtTrunkRange"), text); }
    void Copy(bool preview, bool accept) {
        acceptPreview_ = accept && !preview;
        const QString text = Box("txtTrunkRange")->text();
        // A source retyped without leaving the box is read before the copy.
        if (!preview && !Session().Busy())
            boxSource_ = Box("txtTrunk")->text().toInt();
        if (!preview && SafetyNetSetting() && !Session().Busy())
            refuseAll_ |= !WellFormed(text, exchange_->MaxTrunk());
        else if (!preview && !Session().Busy()) {
            tree_.boxes.Clear();
            plainTrunks_ = ParseTrunkRange(text, exchange_->MaxTrunk()).trunks;
            plainItems_.clear();
            for (int r = 0; r < Session().Values().rowCount(); ++r)
                plainItems_ << Session().Values().Cell(r, ValueListModel::kCmd);
        }
        Command(preview ? QStringLiteral("Preview") : QStringLiteral("Copy"));
    }
    void Undo(bool yes) {
        tree_.boxes.Script({yes ? 6 : 7});
        Command(QStringLiteral("Undo"));
    }
    void Edit(int how, const QString& item, int option, const QString& value) {
        if (!Open() || !window_->IsEnabled())
            return;
        if (how == 2) {
            Session().Values().SetItemValue(item, value);
            return;
        }
        dialogText_ = value;
        if (QStandardItem* title = test::Title(Session().Tree(), item);
            title && option < title->rowCount()) {
            Session().Editor().NodeClick(title->child(option));
            Session().Editor().DoubleClick(title->child(option));
        }
    }
    void CancelRequest() {
        auto* cancel = window_->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
        if (cancel && cancel->isVisible() && cancel->isEnabled())
            cancel->click();
    }
    void SetNet(bool on) {
        auto* box = window_->findChild<QCheckBox*>(QStringLiteral("chkSafetyNet"));
        if (box->isChecked() != on)
            box->click();
    }
    void Close() {
        window_->close();
        Require(WaitFor([&] { return !Open(); }, kCap), "the window does not close");
        Require(!window_->isVisible(), "the closed window is still shown");
        const QStringList files = QDir(tree_.DatabaseDir()).entryList(QDir::Files);
        Require(files == files_, "a working copy is left after the close: " + files.join(u' '));
    }
    // A new start on the same exchange (closing ended the last one).
    void Reopen() {
        window_.reset();
        Require(tree_.OpenStartupDatabases(), QStringLiteral("the start-up databases do not open"));
        g_Standalone = true;
        services().commandLine = QStringLiteral("PBX1");
        window_ = std::make_unique<dlgKestrel>([this](const QString&) {
            auto link = std::make_unique<WatchedLink>(ExchangeFolder(), ExchangeSeedPath());
            link->listTrunk = &listTrunk_;
            link->writeSource = &writeSource_;
            QObject::connect(
                link.get(), &SimulatedLink::requestProgress,
                [this, l = link.get()](const QString& id, const QString&, int done, int) {
                    progressed_ |= done > 0 && l->tags.value(id) == watchTag_;
                });
            return link;
        });
        listTrunk_ = -1;
        Require(window_->Load(), QStringLiteral("the window does not load"));
        window_->show();
        window_->activateWindow();
        Require(QTest::qWaitForWindowActive(window_.get()), Text("the window is not activated"));
        // A source named but not yet read, and a destination.
        Box("txtTrunk")->setText(QStringLiteral("4"));
        Box("txtTrunkRange")->setText(QStringLiteral("5"));
    }
    // Another engineer's change, straight into the exchange's file.
    void ChangeOutside(int trunk, const QString& item, const QString& value) {
        try {
            exchange_->Db().Execute(
                QStringLiteral("INSERT OR REPLACE INTO TrunkData VALUES (?, ?, ?)"),
                {trunk, item, value});
            outside_[Key(trunk, item)] = value;
        } catch (const RunError&) {
            // The window's request holds the file: the other engineer tries later.
        }
    }
    // The other window copies one value to a few trunks.
    void OtherCopy(const QList<int>& trunks, const QString& item, const QString& value) {
        cListRequest request;
        request.SetPBXName(QStringLiteral("PBX1"));
        request.SetLoginID(other_->login);
        for (int t : trunks)
            request.AddToList(item, FormatTrunk(t), value);
        other_->answer.reset();
        if (other_->link.SendRequest(request).startsWith(u"REQ"))
            Require(WaitFor([&] { return other_->answer.has_value(); }, kCap),
                    "the other window's copy never ended");
        for (int t : trunks)
            outside_[Key(t, item)] = value;
    }
    void SetFaults(const ExchangeFaults& faults) { exchange_->SetFaults(faults); }

private:
    static QString Key(int trunk, const QString& item) { return FormatTrunk(trunk) + u'/' + item; }
    static void Type(QLineEdit* box, const QString& text) {
        if (!box->isEnabled())
            return;
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // The exchange as it is now, kept beside it in the oracle's own
    // temporary table: comparing inside SQLite is what keeps a step cheap.
    void Remember() {
        Raw("DROP TABLE IF EXISTS temp.Base");
        Raw("CREATE TEMP TABLE Base AS SELECT Trunk, CMD, Value FROM TrunkData");
    }
    // "trunk/item=was=is" for every cell that differs from the one remembered.
    QStringList Changes() const {
        return Raw(
            "SELECT printf('%03d/', t.Trunk) || t.CMD, b.Value, t.Value FROM TrunkData t LEFT "
            "JOIN temp.Base b ON b.Trunk = t.Trunk AND b.CMD = t.CMD WHERE b.Value IS NOT "
            "t.Value UNION ALL SELECT printf('%03d/', b.Trunk) || b.CMD, b.Value, NULL FROM "
            "temp.Base b LEFT JOIN TrunkData t ON b.Trunk = t.Trunk AND b.CMD = t.CMD WHERE "
            "t.Trunk IS NULL");
    }
    QString ListValue(const QString& item) const {
        for (int r = 0; r < Session().Values().rowCount(); ++r) {
            if (Session().Values().Cell(r, ValueListModel::kCmd) == item)
                return Session().Values().Cell(r, ValueListModel::kData);
        }
        return {};
    }
    // The rows of a statement run as written, fields joined by '=': the oracle
    // compares byte for byte, not with the tool's case-blind text comparison.
    QStringList Raw(const char* sql) const {
        sqlite3* db = exchange_->Db().Handle();
        sqlite3_stmt* stmt = nullptr;
        Require(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK,
                QString::fromUtf8(sqlite3_errmsg(db)));
        QStringList rows;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList fields;
            for (int f = 0; f < sqlite3_column_count(stmt); ++f)
                fields << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, f)));
            rows << fields.join(u'=');
        }
        Require(sqlite3_finalize(stmt) == SQLITE_OK, QString::fromUtf8(sqlite3_errmsg(db)));
        return rows;
    }
    // The modal dialogs, answered as the engineer does: the preview with
    // Copy or Close (what it showed is kept), the additional-data dialog
    // with the typed value, anything else closed.
    void AnswerDialogs(QWidget* modal) {
        if (auto* preview = qobject_cast<frmPreview*>(modal)) {
            auto* copy = preview->findChild<QPushButton*>(QStringLiteral("cmdCopy"));
            if (acceptPreview_ && copy->isEnabled()) {
                CopyPlan& plan = preview->Model().Plan();
                for (const PlannedCell& cell : plan.Cells()) {
                    if (!cell.changed || !plan.Included(cell.item))
                        continue;
                    previewed_[cell.trunk + u'/' + cell.item] = cell.newValue;
                    // What is written is what the engineer left in the list.
                    Require(Same(cell.newValue, ListValue(cell.item)),
                            "the preview shows " + cell.item + u'=' + cell.newValue +
                                ", the list holds " + ListValue(cell.item));
                }
                copy->click();
            } else {
                preview->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
            }
        } else if (auto* dialog = qobject_cast<frmCmd*>(modal)) {
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtData1"));
            if (box) {
                box->clear();
                QTest::keyClicks(box, dialogText_);
            }
            dialog->cmdButton_Click(0);
            if (dialog->isVisible())
                dialog->cmdButton_Click(1);
        } else if (auto* other = qobject_cast<QDialog*>(modal)) {
            other->reject();
        }
    }
    // Every cell the exchange holds differently since the last idle step
    // is the other engineer's, named by the plain road's boxes, or shown in
    // an accepted preview (or undone) and journalled with its true old value
    // and source trunk.
    void Check() {
        QHash<QString, std::pair<JournalEntry, JournalCell>> journalled;
        qint64 newest = journalSeen_;
        QString error;
        if (auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error)) {
            for (const JournalEntry& entry : journal->Entries(QStringLiteral("PBX1"))) {
                newest = std::max(newest, entry.id);
                if (entry.id <= journalSeen_ || entry.kind == u"Preview")
                    continue;
                for (const JournalCell& cell : journal->Cells(entry.id)) {
                    const QString key = cell.trunk + u'/' + cell.item;
                    if (!journalled.contains(key))
                        journalled.insert(key, {entry, cell});
                }
            }
        }
        QSet<QString> named;
        if (!plainTrunks_.isEmpty() && !tree_.boxes.shown.empty()) {
            for (const QString& trunk : plainTrunks_)
                for (const QString& item : plainItems_)
                    named.insert(trunk + u'/' + item);
        }
        const QStringList changes = Changes();
        for (const QString& change : changes) {
            const QString key = change.section(u'=', 0, 0), was = change.section(u'=', 1, 1),
                          is = change.section(u'=', 2, 2);
            if (outside_.contains(key))
                continue;
            const QString cell = QStringLiteral("%1 (%2 -> %3)").arg(key, was, is);
            Require(!refuseAll_, "with the net on, a malformed destination list wrote " + cell);
            if (named.contains(key))
                continue;
            const auto found = journalled.constFind(key);
            Require(found != journalled.constEnd(),
                    "written, neither journalled nor named in a box: " + cell);
            const auto& [entry, jc] = *found;
            Require(entry.kind == u"Undo" || Same(previewed_.value(key), is),
                    "written without being shown in an accepted preview: " + cell);
            Require(Same(jc.oldValue, was),
                    "the journal's old value is " + jc.oldValue + ", the trunk held " + cell);
            Require(entry.kind == u"Undo" ||
                        (entry.sourceTrunk.toInt() == writeSource_ && writeSource_ == boxSource_),
                    "the journal names source " + entry.sourceTrunk + ", the source box " +
                        FormatTrunk(boxSource_) + ", the data written was " +
                        FormatTrunk(writeSource_) + "'s: " + cell);
        }
        if (!changes.isEmpty())
            Remember();
        journalSeen_ = newest;
        previewed_.clear();
        outside_.clear();
        plainTrunks_.clear();
        refuseAll_ = false;
        tree_.boxes.Clear();
    }

    static inline QtMessageHandler previous_ = nullptr;
    test::RuntimeTree& tree_ = *runtime;
    std::unique_ptr<dlgKestrel> window_;
    QObject answerer_;                             // answers the dialogs while it lives
    std::unique_ptr<SimulatedExchange> exchange_;  // the oracle
    std::unique_ptr<OtherWindow> other_;
    QStringList files_;  // the database folder before any window
    qint64 journalSeen_ = 0;
    Cells previewed_;  // cells of accepted previews -> the value shown
    Cells outside_;    // cells changed by others
    QStringList plainTrunks_, plainItems_;
    bool refuseAll_ = false;
    bool acceptPreview_ = false;
    QString dialogText_;
    int listTrunk_ = -1, writeSource_ = -1, boxSource_ = -1;
    bool progressed_ = false;
    QString watchTag_;
};

struct Model {
    bool open = true;
};
using Base = rc::state::Command<Model, Explorer>;

template <typename T>
T Pick(std::vector<T> choices) {
    return *rc::gen::elementOf(std::move(choices));
}

// A command of the open window; its name can be left out by EXPLORE_WITHOUT.
// Its values are drawn as it is made, in the order they are named; `act` is
// its one step, left running when `leave` is set.
struct Action : Base {
    explicit Action(const char* command, std::function<void(Explorer&)> step = {})
        : name(command), act(std::move(step)) {
        if (qEnvironmentVariable("EXPLORE_WITHOUT").split(u',').contains(Text(command)))
            RC_DISCARD("left out");
    }
    void checkPreconditions(const Model& m) const override { RC_PRE(m.open); }
    void show(std::ostream& os) const override { os << name << ' ' << args; }
    void run(const Model&, Explorer& t) const override {
        t.Step([&] { act(t); }, leave, tag);
    }
    const char* name;
    std::string args;
    std::function<void(Explorer&)> act;
    bool leave = false;
    QString tag;
};

struct Get : Action {
    Get() : Action("Get", [](Explorer& t) { t.Command(Text("Get")); }) {
        leave = *rc::gen::arbitrary<bool>();
        args = leave ? "(left running)" : "";
        tag = QString::number(step::kSourceChecked);
    }
};
struct TypeSource : Action {
    TypeSource() : Action("TypeSource") {
        const QString text =
            Text(Pick<const char*>({"4", "004", "8", "6", "2", "17", "600", "", "4a"}));
        const bool away = *rc::gen::arbitrary<bool>();
        args = S(text) + (away ? " and leave the box" : " and stay in the box");
        act = [=](Explorer& t) { t.TypeSource(text, away); };
    }
};
// A plain option of the tree, an option whose dialog takes a typed value, or
// the value list's cell.
struct Edit : Action {
    Edit() : Action("Edit") {
        const auto [how, i, option, v] =
            Pick<std::tuple<int, const char*, int, const char*>>({{0, "3002", 0, ""},
                                                                  {0, "3002", 3, ""},
                                                                  {0, "3014", 1, ""},
                                                                  {1, "3001", 0, "9"},
                                                                  {1, "3001", 0, "99"},
                                                                  {2, "3006", 0, "3C"},
                                                                  {2, "3002", 0, "Z"},
                                                                  {2, "3005", 0, "NONE"}});
        args = std::string(i) + ' ' + std::to_string(option) + ' ' + v + " by " +
               std::array{"tree", "dialog", "list"}[how];
        act = [h = how, o = option, item = Text(i), value = Text(v)](Explorer& t) {
            t.Edit(h, item, o, value);
        };
    }
};
struct Destination : Action {
    explicit Destination(const char* command = "Destination",
                         std::vector<const char*> texts = {"5", "5-7", "6,8", "9-5", "4", "5-9",
                                                           "510-511"})
        : Action(command) {
        const QString text = Text(Pick(std::move(texts)));
        args = '"' + S(text) + '"';
        act = [=](Explorer& t) { t.TypeDestination(text); };
    }
};
// A slip of the fingers: a range without its end, a doubled or trailing
// dash, a number above the highest trunk, nothing at all.
struct SlippedDestination : Destination {
    SlippedDestination()
        : Destination("SlippedDestination", {"5-", "5-65-", "40-4135-36", "8,600", ""}) {}
};
struct Preview : Action {
    Preview() : Action("Preview", [](Explorer& t) { t.Copy(true, false); }) {}
};
struct Copy : Action {
    Copy() : Action("Copy") {
        const bool accept = *rc::gen::weightedElement<bool>({{4, true}, {1, false}});
        leave = *rc::gen::arbitrary<bool>();
        args = std::string(accept ? "preview accepted" : "preview closed") +
               (leave ? ", left writing" : "");
        tag = kWriteTag;
        act = [=](Explorer& t) { t.Copy(false, accept); };
    }
};
struct Cancel : Action {
    Cancel() : Action("Cancel", [](Explorer& t) { t.CancelRequest(); }) {}
};
struct Undo : Action {
    Undo() : Action("Undo") {
        const bool yes = *rc::gen::weightedElement<bool>({{3, true}, {1, false}});
        args = yes ? "yes" : "no";
        act = [=](Explorer& t) { t.Undo(yes); };
    }
};
struct Print : Action {
    Print() : Action("Print", [](Explorer& t) { t.Command(Text("Print")); }) {}
};
struct History : Action {
    History() : Action("History", [](Explorer& t) { t.Command(Text("History")); }) {}
};
struct Net : Action {
    Net() : Action("Net") {
        const bool on = *rc::gen::arbitrary<bool>();
        args = on ? "on" : "off";
        act = [=](Explorer& t) { t.SetNet(on); };
    }
};
struct Close : Action {
    Close() : Action("Close", [](Explorer& t) { t.Close(); }) {}
    void apply(Model& m) const override { m.open = false; }
};
struct Reopen : Action {
    Reopen() : Action("Reopen", [](Explorer& t) { t.Reopen(); }) {}
    void checkPreconditions(const Model& m) const override { RC_PRE(!m.open); }
    void apply(Model& m) const override { m.open = true; }
};
// Another engineer's change, mostly where copies go.
struct Outside : Action {
    Outside() : Action("Outside") {
        const int trunk = *rc::gen::inRange(5, 8);
        const QString item = Text(Pick<const char*>({"3002", "3006"}));
        const QString value =
            item == u"3002" ? QString::number(*rc::gen::inRange(0, 4)) : Text("A1");
        args = std::to_string(trunk) + ' ' + S(item) + '=' + S(value);
        act = [=](Explorer& t) { t.ChangeOutside(trunk, item, value); };
    }
};
struct OtherWindowCopy : Action {
    OtherWindowCopy() : Action("OtherWindowCopy") {
        const int first = *rc::gen::inRange(4, 9), value = *rc::gen::inRange(0, 4);
        args = "3002=" + std::to_string(value) + " to " + std::to_string(first) + "-" +
               std::to_string(first + 2);
        act = [=](Explorer& t) {
            t.OtherCopy({first, first + 1, first + 2}, Text("3002"), QString::number(value));
        };
    }
};
struct Fault : Action {
    Fault() : Action("Fault") {
        using Set = void (*)(ExchangeFaults&, int);
        const std::pair<const char*, Set> kinds[] = {
            {"none", [](ExchangeFaults&, int) {}},
            {"login BUSY", [](ExchangeFaults& f, int) { f.loginReply = Text("BUSY"); }},
            {"send ERROR", [](ExchangeFaults& f, int) { f.sendReply = Text("ERROR"); }},
            {"link failure", [](ExchangeFaults& f, int n) { f.linkFailEntries = {n}; }},
            {"cancel after", [](ExchangeFaults& f, int n) { f.cancelAfter = n; }},
            {"ErrCode 1", [](ExchangeFaults& f, int) { f.errCode = 1; }},
            {"refused 3002", [](ExchangeFaults& f, int) { f.refuseItems = {Text("3002")}; }},
            {"silent 3006", [](ExchangeFaults& f, int) { f.silentItems = {Text("3006")}; }},
            {"slow entries", [](ExchangeFaults&, int) {}}};
        const int kind = *rc::gen::inRange(0, 9), n = *rc::gen::inRange(0, 4);
        ExchangeFaults faults;
        kinds[kind].second(faults, n);
        // Slow entries let a close or cancel meet a request under way.
        faults.entryDelayMs = kind == 8 || *rc::gen::arbitrary<bool>() ? 3 : 0;
        args = std::string(kinds[kind].first) +
               (kind == 3 || kind == 4 ? " " + std::to_string(n) : "") +
               (faults.entryDelayMs ? ", slow" : "");
        act = [=](Explorer& t) { t.SetFaults(faults); };
    }
};

// The open window's commands, weighted by repetition; a closed window can
// only be started again.
void Explore(Explorer& explorer) {
    const auto open = rc::state::gen::execOneOfWithArgs<
        Get, Get, TypeSource, TypeSource, TypeSource, Edit, Edit, Destination, Destination,
        SlippedDestination, Preview, Preview, Copy, Copy, Copy, Copy, Cancel, Undo, Print, History,
        Net, Close, Close, Outside, Outside, OtherWindowCopy, Fault, Fault>();
    const auto closed = rc::state::gen::execOneOfWithArgs<Reopen>();
    rc::state::check(Model{}, explorer, [=](const Model& m) { return m.open ? open() : closed(); });
    explorer.Step([] {});  // whatever was left running ends, and is checked
}

RC_GTEST_FIXTURE_PROP(Explorer, EveryStepLeavesTheExchangeAccountedFor, ()) {
    Explore(*this);
}

// The figures of a run, for the long runs of scripts/explore.sh.
class Figures : public ::testing::Environment {
    void SetUp() override {
        clock_.start();
        runtime = std::make_unique<test::RuntimeTree>();
    }
    void TearDown() override {
        runtime.reset();
        std::cout << "explored " << Explorer::steps << " steps in " << clock_.elapsed() / 1000.0
                  << " s" << std::endl;
    }
    QElapsedTimer clock_;
};
const auto* figures = ::testing::AddGlobalTestEnvironment(new Figures);

}  // namespace
}  // namespace kestrel
