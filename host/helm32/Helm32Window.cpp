#include "Helm32Window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "AddinLauncher.h"
#include "Helm32Log.h"
#include "HostObjects.h"
#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedLink.h"
#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/widgets/HelpViewer.h"
#include "startup/InstallPaths.h"

namespace kestrel {

namespace {

QString SuiteDatabase() {
    return GetInstallPath(QStringLiteral("HELM32"), QStringLiteral("REGDBOFHELM32"));
}

// The exchanges the seed knows by name.
QStringList SeededExchanges() {
    QStringList names;
    try {
        auto db =
            Database::Open(ResolvePath(SuiteDatabase() + QStringLiteral("Exchange.seed")), true);
        auto rows = db->OpenRecordset(
            QStringLiteral("SELECT Name FROM Profile WHERE Name <> '*' ORDER BY Name"),
            RecordsetType::Snapshot);
        while (!rows->Eof()) {
            names << rows->Fields(0).toString();
            rows->MoveNext();
        }
    } catch (const RunError& e) {
        qCWarning(lcHelm32, "The exchanges could not be listed, PBX1 offered: %s [%d]",
                  qUtf8Printable(e.Description()), e.Number());
        names << QStringLiteral("PBX1");
    }
    return names;
}

const char* const kStyle = R"(
QMainWindow { background: #e9edf1; }
QGroupBox { font-weight: bold; border: 1px solid #c5ccd3; border-radius: 4px; margin-top: 14px;
            background: #ffffff; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; color: #24384b; }
QPushButton#trunkCopy { background: #2f6f8f; color: white; padding: 8px 16px; border-radius: 3px;
                        font-weight: bold; }
QLabel#messageLine { padding: 2px 6px; }
QLabel#codeDisplay { font-family: "DejaVu Sans Mono"; padding: 2px 8px; background: #24384b;
                     color: #9fe2bf; border-radius: 2px; }
)";

}  // namespace

Helm32Window::Helm32Window(QString addinProgram, QWidget* parent)
    : QMainWindow(parent), model_(std::make_unique<HostModel>()) {
    setObjectName(QStringLiteral("helm32"));
    setWindowTitle(QStringLiteral("Helm32 Maintenance"));
    setStyleSheet(QString::fromLatin1(kStyle));
    resize(760, 480);
    const QString database = ResolvePath(SuiteDatabase());
    exchangeFolder_ = database + QStringLiteral("/EXCHANGE/");
    exchangeSeed_ = database + QStringLiteral("/Exchange.seed");
    link_ = std::make_unique<SimulatedLink>(exchangeFolder_, exchangeSeed_);
    launcher_ = std::make_unique<AddinLauncher>(*model_, *link_, std::move(addinProgram));
    model_->SetReportsFolder(
        ResolvePath(GetInstallPath(QStringLiteral("HELM32"), QStringLiteral("ME"))) +
        QStringLiteral("REPORTS"));

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    auto* left = new QGroupBox(QStringLiteral("Exchanges"), central);
    auto* leftLayout = new QVBoxLayout(left);
    exchanges_ = new QListWidget(left);
    exchanges_->setObjectName(QStringLiteral("exchanges"));
    exchanges_->addItems(SeededExchanges());
    exchanges_->setCurrentRow(0);
    leftLayout->addWidget(exchanges_);
    auto* open = new QPushButton(QStringLiteral("Trunk Copy"), left);
    open->setObjectName(QStringLiteral("trunkCopy"));
    leftLayout->addWidget(open);
    auto* backgrounds = new QComboBox(left);
    backgrounds->setObjectName(QStringLiteral("backgroundSet"));
    backgrounds->addItems({QStringLiteral("Background: Default"),
                           QStringLiteral("Background: Slate"),
                           QStringLiteral("Background: Sand")});
    leftLayout->addWidget(backgrounds);
    connect(backgrounds, &QComboBox::currentIndexChanged, this,
            [this](int set) { launcher_->SetBackGround(set); });
    layout->addWidget(left, 1);

    auto* right = new QGroupBox(QStringLiteral("Lines sent by add-ins"), central);
    auto* rightLayout = new QVBoxLayout(right);
    lines_ = new QListWidget(right);
    lines_->setObjectName(QStringLiteral("addinLines"));
    rightLayout->addWidget(lines_);
    layout->addWidget(right, 2);
    setCentralWidget(central);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("messageLine"));
    code_ = new QLabel(QStringLiteral("0"), this);
    code_->setObjectName(QStringLiteral("codeDisplay"));
    flow_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setMaximumWidth(160);
    progress_->setTextVisible(true);
    progress_->hide();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelRequest"));
    cancel_->hide();
    statusBar()->addWidget(message_, 1);
    statusBar()->addPermanentWidget(flow_);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_);
    statusBar()->addPermanentWidget(code_);

    connect(open, &QPushButton::clicked, this, [this] {
        if (exchanges_->currentItem())
            OpenTrunkCopy(exchanges_->currentItem()->text());
    });
    connect(exchanges_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenTrunkCopy(item->text()); });
    // Cancels every request under way, each through its own flag.
    connect(cancel_, &QPushButton::clicked, link_.get(), &SimulatedLink::Cancel);
    connect(model_.get(), &HostModel::message, message_, &QLabel::setText);
    connect(model_.get(), &HostModel::code, this,
            [this](int c) { code_->setText(QString::number(c)); });
    connect(model_.get(), &HostModel::flow, this,
            [this](bool on) { flow_->setText(on ? QStringLiteral("Flow on") : QString()); });
    connect(model_.get(), &HostModel::itemAdded, lines_, [this](const QString& line) {
        lines_->addItem(QString(line).replace(u'\t', QStringLiteral("  |  ")));
    });
    connect(model_.get(), &HostModel::helpRequested, this, [](const QString& file) {
        // The add-ins' help lies beside this programme's folder.
        HelpViewer::ShowTopic(GetInstallPath(QStringLiteral("HELM32"), QStringLiteral("ME")) +
                                  QStringLiteral("../ADDINS/HELP/") + file,
                              1000);
    });
    connect(launcher_.get(), &AddinLauncher::status, message_, &QLabel::setText);
    connect(model_.get(), &HostModel::reportWritten, this, [this](const QString& file) {
        message_->setText(QStringLiteral("Report written: %1").arg(file));
    });
    connect(link_.get(), &SimulatedLink::requestStarted, this, [this](const QString&, int total) {
        progress_->setRange(0, std::max(total, 1));
        progress_->setValue(0);
        progress_->show();
        cancel_->show();
    });
    connect(link_.get(), &SimulatedLink::progress, this, [this](int done, int total) {
        progress_->setRange(0, std::max(total, 1));
        progress_->setValue(done);
    });
    connect(link_.get(), &SimulatedLink::requestFinished, this, [this](const QString&, int) {
        // Another add-in's request may still be under way.
        if (link_->RequestUnderWay())
            return;
        progress_->hide();
        cancel_->hide();
    });
}

Helm32Window::~Helm32Window() = default;

void Helm32Window::OpenTrunkCopy(const QString& exchange) {
    launcher_->Open(exchange);
}

void Helm32Window::closeEvent(QCloseEvent* event) {
    // An add-in writing to an exchange is asked first: its engineer may stop
    // the copy after the entries in flight, or keep everything open.
    if (!closeApproved_ && launcher_->OpenCount() > 0) {
        event->ignore();
        if (askingToClose_)
            return;
        askingToClose_ = true;
        launcher_->AskToClose(
            [this] {
                askingToClose_ = false;
                closeApproved_ = true;
                close();
            },
            [this] {
                askingToClose_ = false;
                message_->setText(QStringLiteral("An add-in is kept open, so helm32 stays open."));
            });
        return;
    }
    launcher_->Shutdown();
    QMainWindow::closeEvent(event);
}

}  // namespace kestrel
