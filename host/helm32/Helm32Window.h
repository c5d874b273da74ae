#pragma once

#include <QMainWindow>
#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace kestrel {

class AddinLauncher;
class HostModel;
class SimulatedLink;

// The reference host: a list of exchanges, the add-ins it opens, a message
// line, a completion code, the progress of the request under way with a
// cancel button, and the lines add-ins send it.
class Helm32Window : public QMainWindow {
    Q_OBJECT

public:
    Helm32Window(QString addinProgram, QWidget* parent = nullptr);
    ~Helm32Window() override;

    AddinLauncher& Launcher() { return *launcher_; }
    HostModel& Model() { return *model_; }
    void OpenTrunkCopy(const QString& exchange);
    // Where the simulated exchanges' files are kept, and their seed.
    const QString& ExchangeFolder() const { return exchangeFolder_; }
    const QString& ExchangeSeed() const { return exchangeSeed_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<HostModel> model_;
    QString exchangeFolder_;
    QString exchangeSeed_;
    std::unique_ptr<SimulatedLink> link_;
    std::unique_ptr<AddinLauncher> launcher_;
    QListWidget* exchanges_;
    QListWidget* lines_;
    QLabel* message_;
    QLabel* code_;
    QLabel* flow_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    // The add-ins have been asked and may all go: the next close is final.
    bool closeApproved_ = false;
    bool askingToClose_ = false;
};

}  // namespace kestrel
