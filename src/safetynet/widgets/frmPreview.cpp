#include "frmPreview.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/widgets/ControlNaming.h"
#include "safetynet/CopyPlan.h"
#include "safetynet/PreviewModel.h"
#include "startup/Globals.h"

namespace kestrel {

namespace {

// Texts of the message table.
constexpr int kItemsHead = 19;
constexpr int kChangedOnly = 20;
constexpr int kTrunksHead = 21;
constexpr int kMoreTrunks = 22;
constexpr int kSourceWarning = 23;
constexpr int kLeftOutHead = 24;
constexpr int kReadFailed = 25;
constexpr int kCopyCaption = 26;
constexpr int kCloseCaption = 27;
constexpr int kSummary = 30;
constexpr int kChangedOnlyLeftOut = 79;

constexpr int kKeyRole = Qt::UserRole;

}  // namespace

QString frmPreview::TrunkListText(const QStringList& trunks) {
    QString text = trunks.mid(0, kListedTrunks).join(QStringLiteral(", "));
    if (trunks.size() > kListedTrunks)
        text += u' ' + Msg(kMoreTrunks).arg(trunks.size());
    return text;
}

frmPreview::frmPreview(CopyPlan& plan, QWidget* parent) : QDialog(parent), plan_(plan) {
    setObjectName(QStringLiteral("frmPreview"));
    setProperty("typeName", QStringLiteral("Form"));
    setWindowTitle(QStringLiteral("Copy Preview"));
    setModal(true);
    if (g_LangDb)
        LocalizeForm(this, g_LangDb.get());

    model_ = new PreviewModel(plan_, this);

    lblTrunks_ = Named(new QLabel(this), "lblTrunks", "Label");
    lblTrunks_->setWordWrap(true);
    lblTrunks_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Whose data is written heads the preview: the trunk read, not the box.
    QString heading = Msg(text::kPreviewSource).arg(plan_.SourceTrunk()) + u'\n' +
                      Msg(kTrunksHead) + u' ' + TrunkListText(plan_.Destinations());
    if (!plan_.LeftOutLine().isEmpty())
        heading += u'\n' + plan_.LeftOutLine();
    lblTrunks_->setText(heading);
    lblSourceWarning_ = Named(new QLabel(this), "lblSourceWarning", "Label");
    lblSourceWarning_->setWordWrap(true);
    lblSourceWarning_->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    lblSourceWarning_->setText(Msg(kSourceWarning).arg(plan_.SourceTrunk()));
    lblSourceWarning_->setVisible(plan_.IncludesSource());
    lblSummary_ = Named(new QLabel(this), "lblSummary", "Label");
    lblFailure_ = Named(new QLabel(this), "lblFailure", "Label");
    lblFailure_->setWordWrap(true);
    lblFailure_->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    lblFailure_->setText(Msg(kReadFailed).arg(plan_.ReadFailure()));
    lblFailure_->setVisible(!plan_.ReadComplete());
    lblChangedSince_ = Named(new QLabel(this), "lblChangedSince", "Label");
    lblChangedSince_->setWordWrap(true);
    lblChangedSince_->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    lblChangedSince_->setText(Msg(text::kChangedSincePreview).arg(plan_.ChangedSinceCount()));
    lblChangedSince_->setVisible(plan_.ChangedSinceCount() > 0);
    // Destinations a colleague wrote after this engineer's Get.
    lblChangedByOthers_ = Named(new QLabel(this), "lblChangedByOthers", "Label");
    lblChangedByOthers_->setWordWrap(true);
    lblChangedByOthers_->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    lblChangedByOthers_->setText(PreviewModel::ChangedByOthersLine(plan_, QDate::currentDate()));
    lblChangedByOthers_->setVisible(!lblChangedByOthers_->text().isEmpty());

    lblItems_ = Named(new QLabel(Msg(kItemsHead), this), "lblItems", "Label");
    lstItems_ = Named(new QListWidget(this), "lstItems", "ListBox");
    lblItems_->setBuddy(lstItems_);
    chkChangedOnly_ = Named(new QCheckBox(Msg(kChangedOnly), this), "chkChangedOnly", "CheckBox");
    lblChangedOnly_ = Named(new QLabel(this), "lblChangedOnly", "Label");
    lblChangedOnly_->setWordWrap(true);
    // Its place is kept, so the check box does not move under the pointer.
    QSizePolicy keep = lblChangedOnly_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblChangedOnly_->setSizePolicy(keep);
    lblChangedOnly_->setVisible(false);
    lblLeftOut_ = Named(new QLabel(Msg(kLeftOutHead), this), "lblLeftOut", "Label");
    lblLeftOut_->setWordWrap(true);
    lstLeftOut_ = Named(new QListWidget(this), "lstLeftOut", "ListBox");
    lstLeftOut_->setSelectionMode(QAbstractItemView::NoSelection);

    tblPreview_ = Named(new QTableView(this), "tblPreview", "Grid");
    tblPreview_->setModel(model_);
    // The trunk stands in the row header, so it stays in sight while the
    // items scroll past.
    tblPreview_->setColumnHidden(PreviewModel::kTrunk, true);
    tblPreview_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    tblPreview_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    NameTrunkHeader();
    tblPreview_->setWordWrap(false);
    tblPreview_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblPreview_->verticalHeader()->setDefaultSectionSize(tblPreview_->fontMetrics().height() + 6);
    tblPreview_->verticalHeader()->setMinimumSectionSize(tblPreview_->fontMetrics().height() + 2);
    tblPreview_->horizontalHeader()->setHighlightSections(false);
    // Tab goes on to the next control, not through hundreds of cells; the
    // arrow keys move inside the grid.
    tblPreview_->setTabKeyNavigation(false);

    cmdCopy_ = Named(new QPushButton(Msg(kCopyCaption), this), "cmdCopy", "CommandButton");
    cmdClose_ = Named(new QPushButton(Msg(kCloseCaption), this), "cmdClose", "CommandButton");
    // Enter alone never starts a copy: the engineer presses Copy.
    cmdCopy_->setAutoDefault(false);
    cmdClose_->setAutoDefault(false);

    auto* side = new QVBoxLayout();
    side->addWidget(lblItems_);
    side->addWidget(lstItems_, 3);
    side->addWidget(chkChangedOnly_);
    side->addWidget(lblChangedOnly_);
    side->addSpacing(8);
    side->addWidget(lblLeftOut_);
    side->addWidget(lstLeftOut_, 1);
    auto* body = new QHBoxLayout();
    body->addLayout(side, 0);
    body->addWidget(tblPreview_, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(lblSummary_, 1);
    buttons->addWidget(cmdCopy_);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTrunks_);
    layout->addWidget(lblSourceWarning_);
    layout->addWidget(lblChangedByOthers_);
    layout->addLayout(body, 1);
    layout->addWidget(lblFailure_);
    layout->addWidget(lblChangedSince_);
    layout->addLayout(buttons);

    FillItems();
    FillLeftOut();
    tblPreview_->resizeColumnsToContents();
    UpdateCounts();

    connect(lstItems_, &QListWidget::itemChanged, this, &frmPreview::OnItemChanged);
    connect(chkChangedOnly_, &QCheckBox::toggled, this, &frmPreview::OnChangedOnlyToggled);
    connect(cmdCopy_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);
    resize(1100, 680);
}

// Puts the trunk column's head over the row header, in the table's corner.
void frmPreview::NameTrunkHeader() {
    const QString head =
        model_->headerData(PreviewModel::kTrunk, Qt::Horizontal, Qt::DisplayRole).toString();
    auto* corner = tblPreview_->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (!corner || head.isEmpty())
        return;
    auto* label = Named(new QLabel(head, corner), "lblTrunkHead", "Label");
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(corner);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(label);
    tblPreview_->verticalHeader()->setMinimumWidth(label->sizeHint().width() + 8);
}

void frmPreview::FillItems() {
    const QColor dimmed(0x8a, 0x8f, 0x96);
    for (const SourceItem& source : plan_.Items()) {
        auto* item = new QListWidgetItem(
            source.description.isEmpty() ? source.key
                                         : source.key + QStringLiteral("  ") + source.description,
            lstItems_);
        item->setData(kKeyRole, source.key);
        item->setToolTip(source.description);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(plan_.Included(source.key) ? Qt::Checked : Qt::Unchecked);
        // Items that change nowhere are told apart at a glance.
        if (!plan_.ChangesSomewhere(source.key))
            item->setForeground(dimmed);
    }
    lstItems_->setMinimumWidth(lstItems_->sizeHintForColumn(0) + 2 * lstItems_->frameWidth() + 24);
}

void frmPreview::FillLeftOut() {
    for (const QString& trunk : plan_.NotAssigned())
        lstLeftOut_->addItem(trunk);
    const QMap<QString, QString> refused = plan_.Refused();
    for (auto it = refused.constBegin(); it != refused.constEnd(); ++it)
        lstLeftOut_->addItem(it.key() + QStringLiteral("  ") + it.value());
    for (const QString& trunk : plan_.Unread()) {
        lstLeftOut_->addItem(plan_.ReadFailure().isEmpty()
                                 ? trunk
                                 : trunk + QStringLiteral("  ") + plan_.ReadFailure());
    }
    const bool any = lstLeftOut_->count() > 0;
    lblLeftOut_->setVisible(any);
    lstLeftOut_->setVisible(any);
}

// True while no item without a change is chosen.
bool frmPreview::ChoiceIsChangedOnly() const {
    for (const SourceItem& item : plan_.Items()) {
        if (plan_.Included(item.key) && !plan_.ChangesSomewhere(item.key))
            return false;
    }
    return true;
}

void frmPreview::OnItemChanged(QListWidgetItem* item) {
    if (syncing_)
        return;
    model_->SetIncluded(item->data(kKeyRole).toString(), item->checkState() == Qt::Checked);
    SyncChecks();
    if (chkChangedOnly_->isChecked() && !ChoiceIsChangedOnly()) {
        // A choice of the engineer's own ends "changed items only" and
        // keeps the choice as it now is.
        const QSignalBlocker block(chkChangedOnly_);
        chkChangedOnly_->setChecked(false);
    }
    UpdateCounts();
}

void frmPreview::OnChangedOnlyToggled(bool on) {
    if (on) {
        choiceBefore_.clear();
        for (const SourceItem& item : plan_.IncludedItems())
            choiceBefore_.insert(item.key);
        model_->IncludeChangedOnly();
    } else {
        for (const SourceItem& item : plan_.Items())
            plan_.SetIncluded(item.key, choiceBefore_.contains(item.key));
        model_->ChoiceChanged();
    }
    SyncChecks();
    UpdateCounts();
}

void frmPreview::SyncChecks() {
    syncing_ = true;
    for (int i = 0; i < lstItems_->count(); ++i) {
        QListWidgetItem* item = lstItems_->item(i);
        const Qt::CheckState state =
            plan_.Included(item->data(kKeyRole).toString()) ? Qt::Checked : Qt::Unchecked;
        if (item->checkState() != state)
            item->setCheckState(state);
    }
    syncing_ = false;
}

void frmPreview::UpdateCounts() {
    // What "changed items only" took out of the choice, in sight while it holds.
    int leftOut = 0;
    for (const QString& key : std::as_const(choiceBefore_))
        leftOut += plan_.Included(key) || plan_.ChangesSomewhere(key) ? 0 : 1;
    lblChangedOnly_->setText(Msg(kChangedOnlyLeftOut).arg(leftOut));
    lblChangedOnly_->setVisible(chkChangedOnly_->isChecked());
    const int chosen = static_cast<int>(plan_.IncludedItems().size());
    lblSummary_->setText(Msg(kSummary)
                             .arg(plan_.TotalChanges())
                             .arg(plan_.ChangedTrunks())
                             .arg(plan_.Destinations().size())
                             .arg(chosen)
                             .arg(plan_.Items().size()));
    cmdCopy_->setEnabled(plan_.ReadComplete() && !plan_.Destinations().isEmpty() && chosen > 0);
}

}  // namespace kestrel
