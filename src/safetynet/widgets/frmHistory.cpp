#include "frmHistory.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSaveFile>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/MessageBoxes.h"
#include "platform/Notices.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamTexts.h"

namespace kestrel {

namespace {

// Texts of the message table this window uses. A list row holds several short
// texts separated by '|', in a fixed order.
constexpr int kEntryHeads = 31;
constexpr int kCellHeads = 32;
constexpr int kOpenText = 33;
constexpr int kExportText = 34;
constexpr int kCloseText = 35;
constexpr int kKindNames = 36;
constexpr int kOutcomeNames = 37;
constexpr int kExportTitle = 38;
constexpr int kExportFilter = 39;
constexpr int kExportFailed = 40;

QStringList MsgList(int index) {
    return Msg(index).split(u'|');
}

// Rows stay one line high and columns are measured on the first rows only, so
// that tens of thousands of cells open at once.
void SetUpTable(QTableView* table, const char* name) {
    table->setObjectName(QString::fromLatin1(name));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setResizeContentsPrecision(50);
    table->horizontalHeader()->setStretchLastSection(true);
}

// Columns as wide as their first rows and heads, with some air.
void FitColumns(QTableView* table) {
    table->resizeColumnsToContents();
    for (int c = 0; c + 1 < table->model()->columnCount(); ++c)
        table->setColumnWidth(c, table->columnWidth(c) + 12);
}

// Qt's file dialog writes sizes and dates in the machine's language; these
// follow the language chosen for the tool, as the rest of the dialog does.
class ChosenLocaleFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && (index.column() == 1 || index.column() == 3)) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == 3)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

QString ChooseExportFile(QWidget* parent, const QString& title, const QString& suggested,
                         const QString& filter) {
    QFileDialog dialog(parent, title, suggested, filter);
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ChosenLocaleFiles(&dialog));
    dialog.setViewMode(QFileDialog::Detail);
    // Every column as wide as its longest text, in whatever language.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        for (int c = 1; c < 4; ++c)
            view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    dialog.resize(820, 480);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QComboBox* Choices(const char* name, const QStringList& items) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

// The caption of a filter control, its buddy; `at` picks the caption of the
// message's list, the control's name when the list is short.
QLabel* Caption(const QStringList& captions, int at, QWidget* buddy) {
    auto* label = new QLabel(captions.value(at, buddy->objectName().mid(3)));
    label->setObjectName(QStringLiteral("lbl") + buddy->objectName().mid(3));
    label->setBuddy(buddy);
    return label;
}

QPushButton* Button(const char* name, const QString& text) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

frmHistory::frmHistory(CopyJournal& journal, TeamJournal& team, const QString& exchange,
                       QWidget* parent)
    : QDialog(parent),
      journal_(journal),
      team_(team),
      entries_(new JournalEntryModel(this)),
      cells_(new JournalCellModel(this)),
      tblEntries_(new QTableView),
      tblCells_(new QTableView),
      txtSummary_(new QPlainTextEdit),
      cboEngineer_(Choices("cboEngineer", MsgList(text::kHistoryEngineers))),
      txtExchange_(new QLineEdit(exchange)),
      txtTrunk_(new QLineEdit),
      cboKind_(Choices("cboKind", QStringList{Msg(text::kHistoryEveryKind)} + MsgList(kKindNames))),
      cboTime_(Choices("cboTime", MsgList(text::kHistoryRanges))),
      lblProblem_(new QLabel) {
    setObjectName(QStringLiteral("frmHistory"));
    setProperty("typeName", QStringLiteral("Form"));
    entries_->SetTexts(MsgList(kEntryHeads), MsgList(kKindNames));
    // Without a server every entry is only here: none waits to be sent.
    entries_->SetWaitingMark(team_.HasServer() ? Msg(text::kHistoryWaiting) : QString());
    cells_->SetTexts(MsgList(kCellHeads), MsgList(kOutcomeNames));

    txtExchange_->setObjectName(QStringLiteral("txtExchange"));
    txtExchange_->setClearButtonEnabled(true);
    txtTrunk_->setObjectName(QStringLiteral("txtTrunk"));
    txtTrunk_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    txtTrunk_->setMaximumWidth(txtTrunk_->fontMetrics().horizontalAdvance(u'0') * 8 + 16);
    lblProblem_->setObjectName(QStringLiteral("lblTeamProblem"));
    lblProblem_->setWordWrap(true);
    lblProblem_->setStyleSheet(QStringLiteral(
        "padding: 4px 8px; background: #fff4d6; color: #4a3200; border: 1px solid #e0a800;"));
    lblProblem_->hide();
    const QStringList captions = MsgList(text::kHistoryFilterHeads);
    auto* filters = new QHBoxLayout;
    int at = 0;
    for (QWidget* control : {static_cast<QWidget*>(cboEngineer_),
                             static_cast<QWidget*>(txtExchange_), static_cast<QWidget*>(txtTrunk_),
                             static_cast<QWidget*>(cboKind_), static_cast<QWidget*>(cboTime_)}) {
        filters->addWidget(Caption(captions, at++, control));
        filters->addWidget(control, control == txtExchange_ ? 1 : 0);
    }

    SetUpTable(tblEntries_, "tblEntries");
    tblEntries_->setModel(entries_);
    SetUpTable(tblCells_, "tblCells");
    tblCells_->setModel(cells_);

    cmdOpen_ = Button("cmdOpen", Msg(kOpenText));
    cmdExport_ = Button("cmdExport", Msg(kExportText));
    cmdClose_ = Button("cmdClose", Msg(kCloseText));

    // The table shows a summary on one line; the open entry's whole summary
    // stands above its cells.
    txtSummary_->setObjectName(QStringLiteral("txtSummary"));
    txtSummary_->setReadOnly(true);
    txtSummary_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* lower = new QSplitter(Qt::Vertical);
    lower->addWidget(txtSummary_);
    lower->addWidget(tblCells_);
    lower->setStretchFactor(1, 3);
    lower->setSizes({90, 360});
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(tblEntries_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOpen_);
    buttons->addWidget(cmdExport_);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(lblProblem_);
    layout->addWidget(splitter);
    layout->addLayout(buttons);
    resize(1000, 640);

    chooseFile = [this] {
        const QString suggested =
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                .filePath(QStringLiteral("kestrel-%1-%2.csv")
                              .arg(open_.kind.toLower(),
                                   // an entry kept on the server only has no number here
                                   open_.id != 0 ? QString::number(open_.id) : open_.uuid.left(8)));
        return ChooseExportFile(this, Msg(kExportTitle), suggested, Msg(kExportFilter));
    };

    connect(tblEntries_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenEntry(index.row()); });
    connect(tblEntries_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateButtons(); });
    connect(cmdOpen_, &QPushButton::clicked, this, [this] {
        const QModelIndexList rows = tblEntries_->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            OpenEntry(rows.first().row());
    });
    connect(cmdExport_, &QPushButton::clicked, this, [this] { Export(); });
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);
    for (QComboBox* box : {cboEngineer_, cboKind_, cboTime_})
        connect(box, &QComboBox::currentIndexChanged, this, &frmHistory::Reload);
    // Typing reads again once the engineer pauses, not at every key: each
    // reading may ask the team's server.
    typed_ = new QTimer(this);
    typed_->setSingleShot(true);
    typed_->setInterval(200);
    connect(typed_, &QTimer::timeout, this, &frmHistory::Reload);
    for (QLineEdit* box : {txtExchange_, txtTrunk_})
        connect(box, &QLineEdit::textChanged, typed_, qOverload<>(&QTimer::start));
    // A colleague's entry reached the server, or this desk's went there:
    // read again once the signal's own work is done.
    connect(&team_, &TeamJournal::EntriesArrived, this, &frmHistory::ReloadSoon);
    connect(&team_, &TeamJournal::WaitingChanged, this, &frmHistory::ReloadSoon);

    if (g_LangDb)
        LocalizeForm(this, g_LangDb.get());
    Reload();
}

frmHistory::~frmHistory() = default;

HistoryChoice frmHistory::Choice() const {
    HistoryChoice choice;
    choice.mineOnly = cboEngineer_->currentIndex() == 1;
    choice.exchange = txtExchange_->text();
    choice.trunk = txtTrunk_->text();
    choice.kind = static_cast<HistoryChoice::Kind>(std::max(0, cboKind_->currentIndex()));
    choice.range = static_cast<HistoryChoice::Range>(std::max(0, cboTime_->currentIndex()));
    return choice;
}

void frmHistory::ReloadSoon() {
    if (reloadDue_)
        return;
    reloadDue_ = true;
    QMetaObject::invokeMethod(this, &frmHistory::Reload, Qt::QueuedConnection);
}

void frmHistory::Reload() {
    reloadDue_ = false;
    typed_->stop();
    // The chosen entry stays chosen when it is still shown.
    const QModelIndexList selected = tblEntries_->selectionModel()->selectedRows();
    const std::optional<JournalEntry> chosen =
        selected.isEmpty() ? std::nullopt : std::optional(entries_->Entry(selected.first().row()));
    TeamError problem{TeamProblem::None, QString()};
    try {
        entries_->SetEntries(team_.Entries(
            journal_, ToJournalFilter(Choice(), QDateTime::currentDateTime()), &problem));
    } catch (const RunError& e) {
        entries_->SetEntries({});
        ShowErrorNoNotice(e);
    }
    QStringList said;
    if (problem.problem != TeamProblem::None) {
        said << TeamProblemText(problem.problem, team_.Server().Name(), problem.detail)
             << Msg(text::kHistoryLocalOnly);
    } else if (team_.HasServer() && entries_->rowCount() >= TeamJournal::kHistoryRows) {
        said << Msg(text::kHistoryNewestOnly).arg(TeamJournal::kHistoryRows);
    }
    lblProblem_->setText(said.join(u' '));
    lblProblem_->setVisible(!said.isEmpty());
    FitColumns(tblEntries_);
    const int row = chosen ? entries_->RowOf(*chosen) : -1;
    // Else the newest entry is chosen, so Open works at once.
    if (row >= 0)
        tblEntries_->selectRow(row);
    else if (entries_->rowCount() > 0)
        tblEntries_->selectRow(0);
    UpdateButtons();
}

void frmHistory::UpdateButtons() {
    cmdOpen_->setEnabled(tblEntries_->selectionModel()->hasSelection());
    cmdExport_->setEnabled(EntryOpen());
}

void frmHistory::CloseEntry() {
    open_ = JournalEntry();
    cells_->SetCells({});
    txtSummary_->clear();
    UpdateButtons();
}

void frmHistory::SayCellsUnread(const QString& reason) {
    CloseEntry();
    if (MessageBoxes* boxes = services().messageBoxes) {
        MessageBoxRequest request;
        request.prompt = reason;
        request.flags = mb::kOkOnly | mb::kExclamation;
        boxes->Show(request);
    }
}

bool frmHistory::OpenEntry(int row) {
    if (row < 0 || row >= entries_->rowCount())
        return false;
    const JournalEntry entry = entries_->Entry(row);
    try {
        cells_->SetCells(team_.Cells(journal_, entry));
    } catch (const RunError& e) {
        CloseEntry();
        ShowErrorNoNotice(e);
        return false;
    } catch (const TeamError& e) {
        // Kept on the server only, and the server cannot be read now.
        SayCellsUnread(TeamProblemText(e.problem, team_.Server().Name(), e.detail));
        return false;
    }
    open_ = entry;
    const QString summary =
        entries_->data(entries_->index(row, JournalEntryModel::kSummary), Qt::ToolTipRole)
            .toString();
    txtSummary_->setPlainText(
        QString(summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    tblEntries_->selectRow(row);
    FitColumns(tblCells_);
    tblCells_->scrollToTop();
    UpdateButtons();
    return true;
}

bool frmHistory::Export() {
    if (!EntryOpen() || !chooseFile)
        return false;
    const QString path = chooseFile();
    if (path.isEmpty())
        return false;
    // Written whole or not at all: a failure leaves any earlier file as it was.
    QSaveFile file(path);
    const QByteArray csv = CopyJournal::ToCsv(open_, cells_->Cells());
    if (file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit())
        return true;
    const QString reason = file.errorString();
    file.cancelWriting();
    if (MessageBoxes* boxes = services().messageBoxes) {
        MessageBoxRequest request;
        QString text = Msg(kExportFailed);
        if (!text.contains(QStringLiteral("%1")))  // never a silent or empty box
            text = QStringLiteral("The copy could not be exported to %1: %2");
        request.prompt = text.arg(QDir::toNativeSeparators(path), reason);
        request.flags = mb::kOkOnly | mb::kCritical;
        boxes->Show(request);
    }
    return false;
}

}  // namespace kestrel
