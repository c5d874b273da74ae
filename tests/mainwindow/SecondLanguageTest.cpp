#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QGroupBox>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>

#include "copyengine/ReportWriter.h"
#include "platform/AppInfo.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "startup/InstallPaths.h"
#include "support/MainWindowParts.h"

namespace kestrel {
namespace {

// The standard buttons' own English texts, which Qt's translation replaces.
const QStringList kQtEnglishButtons =
    QStringLiteral("OK Cancel Yes No Help Abort Retry Ignore Close").split(u' ');

// A shown text as the engineer reads it: without the mnemonic marks.
QString Readable(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("&(?=[^&\\s])"));
    return text.remove(mnemonic).trimmed();
}

// A widget's name, or its class for one without.
QString Name(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// Every text the English databases, help and report template hold, cut into
// the pieces that are shown whole: a stored prompt at its tokens, a list at
// its bars, a sentence with places at the places.
class EnglishTexts {
public:
    EnglishTexts() {
        const QString stage = QStringLiteral(KESTREL_STAGE_ROOT);
        auto lng = Database::Open(stage + QStringLiteral("/ADDINS/DATABASE/Kestrel.lng"), true);
        auto common = Database::Open(stage + QStringLiteral("/HELM32/DATABASE/Common.LNG"), true);
        auto mdb = Database::Open(stage + QStringLiteral("/ADDINS/DATABASE/KESTREL.MDB"), true);
        for (Database* db : {lng.get(), common.get()})
            AddRows(*db, QStringLiteral("SELECT Prompt, Title FROM tMsgBox"), true);
        AddRows(*lng, QStringLiteral("SELECT Caption FROM tForms"), true);
        AddRows(*lng, QStringLiteral("SELECT Caption FROM tMessages"));
        AddRows(*lng, QStringLiteral("SELECT Caption, ToolTipText FROM tControls"));
        AddRows(*lng, QStringLiteral("SELECT Caption FROM tSSGridsHD"));
        AddRows(*lng, QStringLiteral("SELECT Caption, Text FROM tSSListBar"));
        AddRows(*lng, QStringLiteral("SELECT Title, OleServerBusyMsgTitle, OleServerBusyMsgText, "
                                     "OleRequestPendingMsgTitle, OleRequestPendingMsgText "
                                     "FROM tProject"));
        AddRows(*mdb, QStringLiteral("SELECT Description FROM CMD30Titles"));
        AddRows(*mdb, QStringLiteral("SELECT Description FROM CMD30Codes"));
        AddRows(*mdb, QStringLiteral("SELECT Description, Prompt1, Prompt2 FROM DialogRules"));
        for (const QString& button : kQtEnglishButtons)
            Add(button);
        // The help's topics, sentence by sentence.
        const QString help = stage + QStringLiteral("/ADDINS/HELP/kestrel.hlp");
        for (const QString& topic : HelpViewer::TopicTexts(help)) {
            for (const QString& sentence :
                 topic.split(QRegularExpression(QStringLiteral("\\. |\n"))))
                Add(sentence);
        }
        // The report's own words.
        QFile report(stage + QStringLiteral("/ADDINS/REPORT/kestrel.rpt"));
        EXPECT_TRUE(report.open(QIODevice::ReadOnly));
        QTextDocument page;
        page.setHtml(QString::fromUtf8(report.readAll()));
        static const QRegularExpression placeholder(QStringLiteral("\\{\\{[A-Z]+\\}\\}"));
        for (const QString& line : page.toPlainText().split(u'\n'))
            for (const QString& piece : line.split(placeholder))
                Add(piece);
        Add(page.metaInformation(QTextDocument::DocumentTitle).split(placeholder).join(u' '));
    }

    // What of `text` is English: a whole line that is an English text, or an
    // English phrase inside it; empty when there is none.
    QString EnglishIn(const QString& text) const {
        for (const QString& rawLine : text.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
            const QString line = Readable(rawLine);
            if (line.isEmpty() || line == u"OK")  // the same in both languages
                continue;
            if (whole_.contains(line))
                return line;
            for (const QString& phrase : phrases_) {
                if (line.contains(phrase))
                    return phrase;
            }
        }
        return {};
    }
    int Size() const { return static_cast<int>(whole_.size()); }

private:
    void Add(const QString& text) {
        const QString piece = Readable(text);
        // Numbers, units and signs alone are no language.
        static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
        if (!word.match(piece).hasMatch())
            return;
        whole_.insert(piece);
        // A phrase long enough not to occur by chance in the other language.
        if (piece.size() >= 12 && piece.contains(u' '))
            phrases_ << piece;
    }
    // A stored prompt is cut at its tokens, which are left out; any other
    // text at its places and bars.
    void AddRows(Database& db, const QString& sql, bool tokens = false) {
        static const QRegularExpression place(QStringLiteral("%\\d|\\|"));
        for (auto rows = db.OpenRecordset(sql, RecordsetType::Snapshot); !rows->Eof();
             rows->MoveNext()) {
            for (int f = 0; f < rows->FieldCount(); ++f) {
                const QString text = TextOf(rows->Fields(f));
                for (const QString& piece : tokens ? text.split(u'&') : text.split(place)) {
                    const QString p = piece.trimmed();
                    if (!tokens || (!p.startsWith(u'%') && !p.contains(u"%ST") && p != u"-1"))
                        Add(p);
                }
            }
        }
    }

    QSet<QString> whole_;
    QStringList phrases_;
};

// Every text a widget and its children show or offer: captions, labels,
// buttons, boxes, tips, What's This, menus, the cells and heads of views,
// the command bar's groups and items.
void CollectTexts(QWidget* root, const QString& where, QList<QPair<QString, QString>>& out) {
    const auto add = [&](const QString& what, const QString& text) {
        if (!text.trimmed().isEmpty())
            out.append({where + u'/' + what, text});
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString name = Name(w);
        if (w->isWindow())
            add(name + QStringLiteral(".title"), w->windowTitle());
        // Labels', buttons' and boxes' text, a box's placeholder, any tip.
        for (const char* property : {"text", "placeholderText", "toolTip", "whatsThis"})
            add(name + u'.' + QLatin1String(property), w->property(property).toString());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            add(name, group->title());
        if (auto* grid = qobject_cast<DataGrid*>(w))
            add(name + QStringLiteral(".caption"), grid->Caption());
        if (auto* bar = qobject_cast<ListBar*>(w)) {
            for (int g = 1; g <= bar->GroupCount(); ++g) {
                add(name + QStringLiteral(".group"), bar->GroupCaption(g));
                for (int i = 1; i <= bar->ItemCount(g); ++i)
                    add(name + QStringLiteral(".item"), bar->ItemText(g, i));
            }
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            const QAbstractItemModel* model = view->model();
            if (!model)
                continue;
            for (int c = 0; c < model->columnCount(); ++c)
                add(name + QStringLiteral(".head"),
                    model->headerData(c, Qt::Horizontal).toString());
            std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
                for (int r = 0; r < model->rowCount(parent); ++r) {
                    for (int c = 0; c < model->columnCount(parent); ++c) {
                        const QModelIndex cell = model->index(r, c, parent);
                        add(name + QStringLiteral(".cell"), cell.data().toString());
                        add(name + QStringLiteral(".cellTip"),
                            cell.data(Qt::ToolTipRole).toString());
                        if (c == 0)
                            walk(cell);
                    }
                }
            };
            walk(QModelIndex());
        }
    }
    for (QAction* action : root->findChildren<QAction*>())
        add(action->objectName() + QStringLiteral(".action"), action->text());
}

// The names a screen reader says for the controls that take the focus: one
// for each, and (with the texts) none English.
void CollectSpokenNames(QWidget* form, const QString& where, QList<QPair<QString, QString>>& out) {
    const auto names = test::SpokenNames(form);
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        EXPECT_FALSE(it.value().isEmpty()) << where.toStdString() << "/" << it.key().toStdString();
        out.append({where + u'/' + it.key() + QStringLiteral(".spoken"), it.value()});
    }
}

// The standalone window in German on the simulated exchange, with the real
// message boxes, so the standard buttons are Qt's own.
class SecondLanguageTest : public test::WindowFixture {
protected:
    void SetUp() override {
        tree_.UseLanguage(QStringLiteral("DE"));
        WindowFixture::SetUp();
        services().messageBoxes = &qtBoxes_;
        LoadStandalone();
        window_->resize(900, 620);
        window_->show();
    }

    QtMessageBoxes qtBoxes_;
};

// After the language swap nothing the engineer reads or hears is English: not
// the window's controls or their spoken names, the catalogue or the value list, not the
// additional-data dialog of any rule, the preview, the history, any
// message box with its buttons, nor the report.
TEST_F(SecondLanguageTest, NothingShownIsEnglish) {
    const EnglishTexts english;
    ASSERT_GT(english.Size(), 200);
    QList<QPair<QString, QString>> texts;
    // Each modal dialog or box, as it comes up: its texts kept, a box
    // answered with Yes or OK, the preview with Copy, any other closed.
    QStringList seen;
    QObject watching;  // ends the watch before what it fills
    test::OnModal(&watching, [&](QWidget* modal) {
        const QString name = Name(modal);
        seen << name;
        CollectTexts(modal, name, texts);
        auto* box = qobject_cast<QMessageBox*>(modal);
        QList<QAbstractButton*> presses =
            box ? QList<QAbstractButton*>{box->button(QMessageBox::Yes),
                                          box->button(QMessageBox::Ok), box->buttons().value(0)}
                : QList<QAbstractButton*>{test::Child<QPushButton>(modal, "cmdCopy"),
                                          test::Child<QPushButton>(modal, "cmdClose")};
        presses.removeAll(nullptr);
        if (presses.isEmpty())
            modal->close();
        else
            presses.first()->click();
    });

    // The window with a source trunk read, the catalogue and the list.
    Box("txtTrunk")->setText(QStringLiteral("4"));
    RunAndWait(QStringLiteral("Get"));
    ASSERT_GT(Session().Values().rowCount(), 10);
    CollectTexts(window_.get(), QStringLiteral("dlgKestrel"), texts);
    CollectSpokenNames(window_.get(), QStringLiteral("dlgKestrel"), texts);
    // Every control with context help shows its topic, the safety net's
    // switch included.
    for (QWidget* control : window_->findChildren<QWidget*>()) {
        if (control->property("whatsThisHelpID").isValid()) {
            EXPECT_FALSE(control->whatsThis().isEmpty()) << control->objectName().toStdString();
        }
    }
    // Its heading stands apart from its text.
    EXPECT_TRUE(window_->findChild<QWidget*>(QStringLiteral("chkSafetyNet"))
                    ->whatsThis()
                    .startsWith(QStringLiteral("<p><b>Sicherheitsnetz</b></p><p>Mit ")));
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Leitungen kopieren (PBX1)"));
    // Qt's own dialogs and formats follow the language chosen.
    EXPECT_EQ(QLocale().language(), QLocale::German);

    // The additional-data dialog of every rule.
    const QStringList rules = test::SqlRows(*Session().WorkDb(), "SELECT ID FROM DialogRules");
    EXPECT_EQ(rules.size(), 9);
    for (const QString& rule : rules) {
        frmCmd dialog(window_.get());
        ASSERT_TRUE(dialog.Load());
        dialog.Register(window_.get(), Session().WorkDb(),
                        QStringLiteral("SELECT * FROM DialogRules WHERE ID = ") + rule,
                        QStringLiteral("NONE"));
        const QString name = QStringLiteral("frmCmd") + rule;
        CollectTexts(&dialog, name, texts);
        CollectSpokenNames(&dialog, name, texts);
        // Longer captions than the English ones still fit their buttons,
        // which stay alike.
        dialog.show();
        QCoreApplication::processEvents();
        QList<int> widths;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 16)
                << button->text().toStdString();
            widths << button->width();
        }
        EXPECT_EQ(widths.size(), 2);
        EXPECT_EQ(widths.value(0), widths.value(1));
        dialog.hide();
    }

    // A copy with the safety net: the preview, the summary box, the history
    // and an undo with its question.
    SetSafetyNetSetting(true);
    Box("txtTrunkRange")->setText(QStringLiteral("5"));
    RunAndWait(QStringLiteral("Copy"));
    window_->RunCommand(QStringLiteral("History"));
    RunAndWait(QStringLiteral("Undo"));
    for (const char* dialog : {"frmPreview", "QMessageBox", "frmHistory"})
        EXPECT_TRUE(seen.contains(QString::fromLatin1(dialog))) << dialog;

    // Every message box of both language databases, with some insert text.
    for (std::int16_t source : {kOwnSource, kCommonSource}) {
        Database& db = source == kOwnSource ? *g_LangDb : *g_CommonDb;
        for (const QString& msgNo : test::SqlRows(db, "SELECT MsgNo FROM tMsgBox")) {
            const auto number = static_cast<std::int16_t>(msgNo.toInt());
            EXPECT_NE(LangMsgBox(source, number, QStringLiteral("007%005"),
                                 source == kOwnSource ? kProductTitle : Msg(text::kBoxTitle)),
                      0)
                << source << "/" << number;
        }
    }

    // The report of the source trunk, as the host prints it.
    const FilledReport report = FillTrunkReport(
        GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) + g_WorkDbName,
        GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Report")) + ReportFileName(),
        QStringLiteral("{Trunk.Trunk}= '004'"), QDateTime::currentDateTime());
    ASSERT_TRUE(report.outcome.Written());
    QTextDocument page;
    page.setHtml(report.html);
    texts.append({QStringLiteral("report"), page.toPlainText()});
    texts.append(
        {QStringLiteral("report.title"), page.metaInformation(QTextDocument::DocumentTitle)});
    EXPECT_TRUE(page.toPlainText().contains(QStringLiteral("Leitungsbündel")));

    ASSERT_GT(texts.size(), 150);
    for (const auto& [where, text] : texts) {
        const QString found = english.EnglishIn(text);
        EXPECT_TRUE(found.isEmpty()) << where.toStdString() << ": \"" << found.toStdString()
                                     << "\" in \"" << text.toStdString() << '"';
    }
}

}  // namespace
}  // namespace kestrel
