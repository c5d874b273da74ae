#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMap>

#include "dialogs/CmdDialogCaller.h"
#include "dialogs/frmCmd.h"
#include "support/WindowFixture.h"

namespace kestrel {
namespace {

struct NoCaller : CmdDialogCaller {
    void SetSecondData(const QString&) override {}
    bool Check_STNData(const QString&, const QString&) override { return true; }
    QPixmap BackgroundPicture() const override { return {}; }
    void SetTag(const QString&) override {}
};

// What a screen reader says for each control that takes the focus, by the
// control's name (and element number).
using SpokenNames = QMap<QString, QString>;

void CollectNames(QWidget* form, SpokenNames& names) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().isEmpty() ||
            w->objectName().startsWith(u"qt_"))
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(control, nullptr) << w->objectName().toStdString();
        const QVariant index = w->property("index");
        const QString key =
            form->objectName() + u'.' + w->objectName() +
            (index.isValid() ? QStringLiteral("(%1)").arg(index.toInt()) : QString());
        names.insert(key, control->text(QAccessible::Name));
    }
}

// The names of a standalone window and its additional-data dialog, with
// the language databases of `language`.
SpokenNames NamesIn(const QString& language) {
    test::RuntimeTree tree;
    if (language != u"EN")
        tree.UseLanguage(language);
    EXPECT_TRUE(tree.OpenStartupDatabases());
    g_Standalone = true;
    services().commandLine = QStringLiteral("PBX1");
    dlgKestrel window([](const QString& className) { return CreateHostObject(className); });
    EXPECT_TRUE(window.Load());
    SpokenNames names;
    CollectNames(&window, names);
    NoCaller caller;
    frmCmd dialog(&window);
    EXPECT_TRUE(dialog.Load());
    // A rule without prompts: the boxes have only their own names.
    dialog.Register(&caller, window.Session().WorkDb(),
                    QStringLiteral("SELECT * FROM DialogRules WHERE 0"), QStringLiteral("NONE"));
    CollectNames(&dialog, names);
    return names;
}

// Every focusable control of the window and of the additional-data dialog,
// in each language: a name to say, and in German no English one.
TEST(AccessibilityTest, EveryFocusableControlHasANameInEachLanguage) {
    const SpokenNames english = NamesIn(QStringLiteral("EN"));
    const SpokenNames deutsch = NamesIn(QStringLiteral("DE"));

    // The controls the engineer works with are all among them.
    for (const char* control :
         {"dlgKestrel.txtTrunk", "dlgKestrel.txtTrunkRange", "dlgKestrel.tvwTrkData",
          "dlgKestrel.grdTrkData", "dlgKestrel.chkSafetyNet", "dlgKestrel.lsbItem_Get",
          "dlgKestrel.lsbItem_Copy", "dlgKestrel.lsbGroup1", "dlgKestrel.cmdCancel",
          "frmCmd.txtData1", "frmCmd.txtData2", "frmCmd.cmdButton(0)", "frmCmd.cmdButton(1)"}) {
        EXPECT_TRUE(english.contains(QString::fromLatin1(control))) << control;
    }
    EXPECT_EQ(deutsch.keys(), english.keys());
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const QString& control = it.key();
        EXPECT_FALSE(it.value().isEmpty()) << "EN " << control.toStdString();
        EXPECT_FALSE(deutsch.value(control).isEmpty()) << "DE " << control.toStdString();
        if (it.value() != u"OK") {  // the same word in both
            EXPECT_NE(deutsch.value(control), it.value())
                << control.toStdString() << " says " << it.value().toStdString()
                << " in German too";
        }
    }
    // The boxes take their names from their labels.
    EXPECT_EQ(english.value(QStringLiteral("dlgKestrel.txtTrunk")), QStringLiteral("Source trunk"));
    EXPECT_EQ(deutsch.value(QStringLiteral("dlgKestrel.txtTrunk")), QStringLiteral("Quellleitung"));
}

}  // namespace
}  // namespace kestrel
