#include "Messages.h"

#include "MsgBoxButtons.h"
#include "TokenExpansion.h"
#include "platform/AppInfo.h"
#include "platform/JetSql.h"
#include "platform/MessageBoxes.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Services.h"

namespace kestrel {

QStringList g_Messages;

namespace {

const QString kMsgBoxQuery =
    QStringLiteral("select Prompt, Buttons, Title, HelpFile, Context from tMsgBox where MsgNo = ?");
const QString kProjectQuery = QStringLiteral("select * from tProject where EXEName = ?");

// The language databases' handles, as handed over.
struct LanguageHandles {
    const std::unique_ptr<Database>* common = nullptr;
    const std::unique_ptr<Database>* own = nullptr;
};
LanguageHandles handed;

// A text field that the message needs; Null cannot be used.
QString RequiredText(const QVariant& value) {
    if (value.isNull()) {
        throw RunError(err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    }
    return value.toString();
}

}  // namespace

void SetLanguageDatabases(const std::unique_ptr<Database>* common,
                          const std::unique_ptr<Database>* own) {
    handed = {common, own};
}

QString Msg(int index) {
    return index >= 0 && index < g_Messages.size() ? g_Messages.at(index) : QString();
}

std::int16_t LangMsgBox(std::int16_t source, std::int16_t msgNo, const QString& insert,
                        const QString& title) {
    QString w = insert;
    try {
        const std::unique_ptr<Database>* handle =
            source == kCommonSource ? handed.common : handed.own;
        Database* db = handle ? handle->get() : nullptr;
        if (!db)
            throw ObjectNotSet();
        auto record =
            db->OpenRecordset(kMsgBoxQuery, RecordsetType::ForwardOnly, rs::kReadOnly, {msgNo});
        MessageBoxRequest request;
        request.prompt = ExpandTokens(RequiredText(record->Fields(QStringLiteral("Prompt"))), w);
        request.flags = ParseButtons(RequiredText(record->Fields(QStringLiteral("Buttons"))));
        const QString t =
            source == kCommonSource
                ? ExpandTokens(title, w)
                : ExpandTokens(RequiredText(record->Fields(QStringLiteral("Title"))), w);
        QString helpFile = ExpandTokens(
            services().programFolder + u'/' + TextOf(record->Fields(QStringLiteral("HelpFile"))),
            w);
        // The language's help file is missing: its topics are read in the
        // English file, which has them all.
        const QString& missingHelp = App().MissingHelpFile;
        if (!missingHelp.isEmpty() && helpFile.endsWith(u'/' + missingHelp, Qt::CaseInsensitive))
            helpFile = helpFile.left(helpFile.size() - missingHelp.size()) + HelpFileName();
        const QString context = TextOf(record->Fields(QStringLiteral("Context"))).trimmed();
        record->Close();

        if (t != kProductTitle)
            request.title = t;
        if (!context.isEmpty() && context != u"-1") {
            bool ok = false;
            const int c = context.toInt(&ok);
            if (!ok)
                throw RunError(err::kTypeMismatch, QStringLiteral("Type mismatch"));
            request.helpFile = helpFile;
            request.context = c;
        }
        MessageBoxes* boxes = services().messageBoxes;
        if (!boxes)
            throw ObjectNotSet();
        return static_cast<std::int16_t>(boxes->Show(request));
    } catch (const RunError& e) {
        ShowErrorNoNotice(e);
        return 0;
    }
}

bool LoadCaptionTable(QStringList& target, const QString& table, Database* db) {
    try {
        if (!db)
            throw ObjectNotSet();
        const QString name = QuoteName(table);
        auto set = db->OpenRecordset(QStringLiteral("SELECT * FROM %1 UNION SELECT -1, COUNT(*) "
                                                    "FROM %1 ORDER BY ID")
                                         .arg(name),
                                     RecordsetType::ForwardOnly, rs::kReadOnly);
        // The extra row (ID -1) comes first and carries the row count.
        const qlonglong n = set->Fields(1).toLongLong();
        if (n <= 0) {
            throw RunError(
                9, QStringLiteral("Subscript out of range (table %1 has no rows)").arg(table));
        }
        QStringList entries;
        entries.reserve(n);
        for (qlonglong i = 0; i < n; ++i) {
            set->MoveNext();
            entries.append(TextOf(set->Fields(1)));
        }
        target = entries;
        return true;
    } catch (const RunError& e) {
        ShowErrorNoNotice(e);
        return false;
    }
}

bool LoadProjectInfo(const QString& programName, Database* db) {
    try {
        if (!db)
            throw ObjectNotSet();
        auto set = db->OpenRecordset(kProjectQuery, RecordsetType::Snapshot, 0, {programName});
        AppInfo& app = App();
        app.Title = TextOf(set->Fields(QStringLiteral("Title")));
        app.OleServerBusyMsgTitle = TextOf(set->Fields(QStringLiteral("OleServerBusyMsgTitle")));
        app.OleServerBusyMsgText = TextOf(set->Fields(QStringLiteral("OleServerBusyMsgText")));
        app.OleRequestPendingMsgTitle =
            TextOf(set->Fields(QStringLiteral("OleRequestPendingMsgTitle")));
        app.OleRequestPendingMsgText =
            TextOf(set->Fields(QStringLiteral("OleRequestPendingMsgText")));
        // Language databases made before these fields existed name no help
        // file, no language and no report: English.
        app.HelpFile.clear();
        app.Language.clear();
        app.ReportFile.clear();
        app.MissingHelpFile.clear();
        for (int i = 0; i < set->FieldCount(); ++i) {
            const QString name = set->FieldName(i);
            if (name.compare(u"HelpFile", Qt::CaseInsensitive) == 0)
                app.HelpFile = TextOf(set->Fields(i));
            else if (name.compare(u"Language", Qt::CaseInsensitive) == 0)
                app.Language = TextOf(set->Fields(i)).trimmed();
            else if (name.compare(u"ReportFile", Qt::CaseInsensitive) == 0)
                app.ReportFile = TextOf(set->Fields(i));
        }
        return true;
    } catch (const RunError& e) {
        ShowSystemFatalNotice(e);
        return false;
    }
}

}  // namespace kestrel
