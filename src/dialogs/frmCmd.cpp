#include "frmCmd.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "CmdDialogCaller.h"
#include "copyengine/StationCheck.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/widgets/ControlNaming.h"
#include "platform/widgets/KeyFilterInstaller.h"
#include "startup/Globals.h"
#include "tools/KeyFilters.h"

namespace kestrel {

namespace {

QFrame* Line(QWidget* parent, const char* name) {
    auto* line = Named(new QFrame(parent), name, "Line");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

frmCmd::frmCmd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCmd"));
    setProperty("typeName", QStringLiteral("Form"));
    setWindowTitle(QStringLiteral("Addition Data Needed"));
    setModal(true);
    setMinimumWidth(380);

    imgBack_ = Named(new QLabel(this), "imgBack", "Image");
    imgBack_->setScaledContents(true);
    imgBack_->hide();
    Image1_ = Named(new QLabel(this), "Image1", "Image");
    Image1_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    Label1_ = Named(new QLabel(this), "Label1", "Label");
    lblMsg_ = Named(new QLabel(this), "lblMsg", "Label");
    lblMsg_->setWordWrap(true);
    lblPrompt1_ = Named(new QLabel(this), "lblPrompt1", "Label");
    lblPrompt2_ = Named(new QLabel(this), "lblPrompt2", "Label");
    txtData1_ = Named(new QLineEdit(this), "txtData1", "TextBox");
    txtData2_ = Named(new QLineEdit(this), "txtData2", "TextBox");
    lblPrompt1_->setBuddy(txtData1_);
    lblPrompt2_->setBuddy(txtData2_);
    cmdButton_[0] = Named(new QPushButton(QStringLiteral("OK"), this), "cmdButton", "SSCommand", 0);
    cmdButton_[1] =
        Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdButton", "SSCommand", 1);
    cmdButton_[0]->setDefault(true);
    Line_[0] = Line(this, "Line1");
    Line_[1] = Line(this, "Line2");
    Line_[2] = Line(this, "Line3");
    Line_[3] = Line(this, "Line4");

    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout();
    head->addWidget(Image1_, 0, Qt::AlignTop);
    head->addWidget(lblMsg_, 1);
    layout->addLayout(head);
    layout->addWidget(Label1_);
    layout->addWidget(Line_[0]);
    auto* inputs = new QGridLayout();
    inputs->addWidget(lblPrompt1_, 0, 0);
    inputs->addWidget(txtData1_, 0, 1);
    inputs->addWidget(Line_[1], 1, 0, 1, 2);
    inputs->addWidget(lblPrompt2_, 2, 0);
    inputs->addWidget(txtData2_, 2, 1);
    inputs->addWidget(Line_[2], 3, 0, 1, 2);
    layout->addLayout(inputs);
    layout->addWidget(Line_[3]);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdButton_[0]);
    buttons->addWidget(cmdButton_[1]);
    layout->addLayout(buttons);

    connect(cmdButton_[0], &QPushButton::clicked, this, [this] { cmdButton_Click(0); });
    connect(cmdButton_[1], &QPushButton::clicked, this, [this] { cmdButton_Click(1); });
    connect(txtData1_, &QLineEdit::textChanged, this,
            [this] { OnTextChanged(txtData1_, rule_.min1, rule_.max1); });
    connect(txtData2_, &QLineEdit::textChanged, this,
            [this] { OnTextChanged(txtData2_, rule_.min2, rule_.max2); });
    for (QLineEdit* box : {txtData1_, txtData2_}) {
        new KeyFilterInstaller(box, [this](int key) { return FilterKeyByName(rule_.filter, key); });
    }
}

frmCmd::~frmCmd() {
    Unload();
}

bool frmCmd::Load() {
    if (!LocalizeForm(this, g_LangDb.get()) || !LocalizeControls(this, g_LangDb.get())) {
        Unload();
        return false;
    }
    LocalizeAccessibility(this, g_LangDb.get());
    // Captions of any language: both buttons as wide as the wider caption
    // needs, with room around it.
    int width = 0;
    for (QPushButton* button : cmdButton_) {
        width = std::max({width, button->sizeHint().width(),
                          button->fontMetrics().horizontalAdvance(button->text()) + 24});
    }
    for (QPushButton* button : cmdButton_)
        button->setMinimumWidth(width);
    loaded_ = true;
    g_CmdDialogShown = QStringLiteral("True");
    g_StationCheckPending = false;
    return true;
}

void frmCmd::SetBackground(const QPixmap& picture) {
    imgBack_->setPixmap(picture);
    imgBack_->setVisible(!picture.isNull());
    imgBack_->setGeometry(rect());
    imgBack_->lower();
}

void frmCmd::Unload() {
    if (loaded_)
        g_CmdDialogShown = QStringLiteral("False");
    loaded_ = false;
}

void frmCmd::Register(CmdDialogCaller* caller, Database* db, const QString& ruleQuery,
                      const QString& startValue, const QString& secondValue) {
    caller_ = caller;
    db_ = db;
    startValue_ = startValue;
    presentValue_ = startValue;
    secondValue_ = secondValue;
    if (!caller_ || !db_)
        return;
    if (caller_)
        SetBackground(caller_->BackgroundPicture());
    rule_ = ReadDialogRule(db_, ruleQuery);
    if (rule_.found) {
        lblMsg_->setText(rule_.description);
        lblPrompt1_->setText(rule_.prompt1);
        // The rule's prompt names the box better than the general name.
        if (!rule_.prompt1.isEmpty())
            txtData1_->setAccessibleName(rule_.prompt1);
        txtData1_->setMaxLength(rule_.len1 > 0 ? rule_.len1 : 32767);
        if (rule_.len2 != 0) {
            txtData2_->setMaxLength(rule_.len2);
            lblPrompt2_->setText(rule_.prompt2);
            if (!rule_.prompt2.isEmpty())
                txtData2_->setAccessibleName(rule_.prompt2);
        }
    }
    const bool second = rule_.len2 != 0;
    txtData2_->setVisible(second);
    lblPrompt2_->setVisible(second);
    Line_[1]->setVisible(second);
    Line_[2]->setVisible(second);
    const Prefill prefill = PrefillBoxes(rule_, startValue_);
    if (prefill.box1)
        txtData1_->setText(*prefill.box1);
    if (prefill.box2)
        txtData2_->setText(*prefill.box2);
    adjustSize();
}

bool frmCmd::Box2Visible() const {
    return !txtData2_->isHidden();
}

void frmCmd::OnTextChanged(QLineEdit* box, int min, int max) {
    const QString held = HoldInBounds(rule_.filter, box->text(), min, max);
    if (held != box->text())
        box->setText(held);
}

bool frmCmd::RefuseEmptyOrText(QLineEdit* box) {
    if (box->isHidden())
        return false;
    if (box->text().trimmed().isEmpty()) {
        cmdButton_[0]->setEnabled(true);
        box->setFocus();
        return true;
    }
    if (NotADigitValue(rule_.filter, box->text())) {
        LangMsgBox(kOwnSource, msgbox::own::kNotANumber, QString(), kProductTitle);
        cmdButton_[0]->setEnabled(true);
        box->setFocus();
        return true;
    }
    return false;
}

std::optional<QString> frmCmd::Compose() {
    std::optional<QString> value =
        ComposeValue(rule_, startValue_, txtData1_->text(), txtData2_->text(), Box2Visible());
    if (!value) {
        // The present value cannot take the addition: say so and ask again.
        LangMsgBox(kOwnSource, msgbox::own::kCannotAddToValue, presentValue_, kProductTitle);
        cmdButton_[0]->setEnabled(true);
        txtData1_->setFocus();
    }
    return value;
}

void frmCmd::HoldBoxes(bool held) {
    txtData1_->setReadOnly(held);
    txtData2_->setReadOnly(held);
}

void frmCmd::cmdButton_Click(std::int16_t index) {
    if (index == 0) {
        cmdButton_[0]->setEnabled(false);
        if (RefuseEmptyOrText(txtData1_) || RefuseEmptyOrText(txtData2_))
            return;
        const bool station = rule_.filter == u"STN_FILTER";
        if (!station) {
            const std::optional<QString> value = Compose();
            if (!value)
                return;
            ownTag_ = QStringLiteral("ok");
            if (caller_)
                caller_->SetSecondData(*value);
        } else {
            if (!g_StationCheckPending) {
                const std::optional<QString> value = Compose();
                if (!value)
                    return;
                askedValue_ = *value;
                if (caller_ && !caller_->Check_STNData(QStringLiteral("@LEN"), *value)) {
                    ownTag_.clear();
                    // A question the host refused leaves nothing to wait for.
                    if (g_StationCheckPending) {
                        HoldBoxes(true);
                    } else {
                        cmdButton_[0]->setEnabled(true);
                    }
                    return;
                }
            }
            HoldBoxes(false);
            // What the exchange confirmed is what is handed back.
            if (ownTag_ == u"ok" && caller_)
                caller_->SetSecondData(askedValue_);
            cmdButton_[0]->setEnabled(true);
        }
    } else {
        ownTag_ = QStringLiteral("cancel");
    }
    // Closing decision.
    const bool station = rule_.filter == u"STN_FILTER";
    if (caller_)
        caller_->SetTag(ownTag_);
    if ((ownTag_ == u"ok" && station) || ownTag_ == u"cancel" || !station) {
        Unload();
        if (ownTag_ == u"cancel") {
            QDialog::reject();
        } else {
            accept();
        }
    } else {
        g_StationCheckPending = false;
    }
}

void frmCmd::reject() {
    // Escape and the window frame are Cancel.
    cmdButton_Click(1);
}

}  // namespace kestrel
