#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>

#include "copyengine/TrunkWindow.h"
#include "session/SessionWindow.h"

namespace kestrel::test {

// A window without widgets, for the trunk-copy session and for operations
// driven on their own: the two trunk boxes are plain texts, what is asked
// of the views is kept, and the dialogs answer as the test scripts them.
// Driven on its own, an operation also finds here what the session keeps
// (exchange, working database, highest trunk, source data).
class FakeTrunkWindow : public SessionWindow, public SessionDialogs, public TrunkWindow {
public:
    explicit FakeTrunkWindow(Database* workDb = nullptr) : db(workDb) {}

    QString trunkBox;
    QString destinations;
    bool enabled = true;
    // The additional-data dialog's outcome ("ok", "cancel").
    std::function<QString(const QString& ruleQuery, const QString& startValue)> runDialog;
    // The preview: Copy unless the test says otherwise or it only previews.
    std::function<bool(CopyPlan& plan, bool previewOnly)> preview;
    int previews = 0;

    // Seen by an operation driven without a session.
    const QString pbxName = QStringLiteral("PBX1");
    Database* db = nullptr;
    bool noSourceData = false;

    bool IsEnabled() const override { return enabled; }
    void SetEnabled(bool on) override { enabled = on; }
    void SetHourglass(bool) override {}
    QString TrunkBoxText() const override { return trunkBox; }
    QString DestinationText() const override { return destinations; }
    void ShowSelection(const QString&, const QString&) override {}
    void ClearSelectionLabels() override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void CollapseAll() override {}
    void SetListVisible(bool) override {}
    void SetTreeEnabled(bool) override {}

    QString RunAdditionalDataDialog(const QString& query, const QString& start) override {
        return runDialog ? runDialog(query, start) : QStringLiteral("cancel");
    }
    bool ShowPreview(CopyPlan& plan, bool previewOnly) override {
        ++previews;
        return preview ? preview(plan, previewOnly) : !previewOnly;
    }
    bool DialogOpen() const override { return false; }
    void SetDialogTag(const QString&) override {}
    void PressDialogOk() override {}

    const QString& PBXName() const override { return pbxName; }
    Database* WorkDb() const override { return db; }
    int HighestTrunk() const override { return 511; }
    bool NoSourceData() const override { return noSourceData; }
    void SetNoSourceData(bool none) override { noSourceData = none; }
};

}  // namespace kestrel::test
