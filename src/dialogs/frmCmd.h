#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

#include "DialogRule.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

namespace kestrel {

class CmdDialogCaller;
class Database;

// The additional-data dialog: asks for the value an option needs (a
// number within bounds, a hexadecimal code, a station number, two numbers)
// as one DialogRules row describes, and hands it back to its caller.
class frmCmd : public QDialog {
    Q_OBJECT

public:
    explicit frmCmd(QWidget* parent = nullptr);
    ~frmCmd() override;

    // Localises the dialog and takes the caller's background; false when
    // the dialog unloaded itself.
    bool Load();
    // Fills the dialog from the rule row and the starting value. Errors
    // reading the rule raise RunError to the caller.
    void Register(CmdDialogCaller* caller, Database* db, const QString& ruleQuery,
                  const QString& startValue, const QString& secondValue = {});
    // 0 OK, 1 Cancel; the station check's verdict presses 0 again.
    void cmdButton_Click(std::int16_t index);

    const QString& OwnTag() const { return ownTag_; }
    void SetOwnTag(const QString& tag) { ownTag_ = tag; }
    bool IsLoaded() const { return loaded_; }
    void SetBackground(const QPixmap& picture);

protected:
    void reject() override;

private:
    void Unload();
    void OnTextChanged(QLineEdit* box, int min, int max);
    bool Box2Visible() const;
    bool RefuseEmptyOrText(QLineEdit* box);
    // The value from the boxes; nothing, after saying why and giving OK
    // back, when the rule cannot make one.
    std::optional<QString> Compose();
    // While the exchange is asked about a number, the boxes hold it.
    void HoldBoxes(bool held);

    QLabel* lblMsg_;
    QLabel* lblPrompt1_;
    QLabel* lblPrompt2_;
    QLineEdit* txtData1_;
    QLineEdit* txtData2_;
    QPushButton* cmdButton_[2];
    QLabel* imgBack_;
    QLabel* Image1_;
    QLabel* Label1_;
    QFrame* Line_[4];

    CmdDialogCaller* caller_ = nullptr;
    Database* db_ = nullptr;
    DialogRule rule_;
    QString startValue_;
    QString presentValue_;  // the starting value as the item holds it
    QString askedValue_;    // the station number the exchange is asked about
    QString secondValue_;
    QString ownTag_;
    bool loaded_ = false;
};

}  // namespace kestrel
