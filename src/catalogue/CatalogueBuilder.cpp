#include "CatalogueBuilder.h"

#include <QSet>

#include "CatalogueTreeModel.h"
#include "TreeImages.h"
#include "ValueListModel.h"
#include "hostlink/HostCalls.h"
#include "hostlink/HostProgramme.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "startup/Globals.h"

namespace kestrel {

namespace {

const QString kTitlesQuery = QStringLiteral("SELECT * FROM CMD30Titles ORDER BY CMD");
const QString kOptionsQuery =
    QStringLiteral("SELECT * FROM CMD30Codes WHERE TitleID = ? Order by Data");

void Report(HostProgramme* parent, const QString& message, int code) {
    if (g_Standalone || !parent)
        return;
    TryHostCall("to show the tree build's failure", [&] {
        parent->ShowMessage(message);
        parent->ShowCode(code);
    });
}

bool IsTrue(const QVariant& v) {
    return !v.isNull() && v.toLongLong() != 0;
}

QString TrimmedText(const QVariant& v) {
    // Only blanks are trimmed, as stored texts are written.
    QString s = v.isNull() ? QString() : v.toString();
    while (s.startsWith(u' '))
        s.remove(0, 1);
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

}  // namespace

namespace {

QString BuildFault(const QString& cmd, const QString& title, const QString& why) {
    return Msg(text::kTreeRowNotBuilt).arg(cmd, title, why);
}

// The dialog numbers the catalogue's rules know; 0 is a plain value.
QSet<qint64> KnownDialogs(Database& db) {
    QSet<qint64> known{0};
    auto rules =
        db.OpenRecordset(QStringLiteral("SELECT ID FROM DialogRules"), RecordsetType::Snapshot);
    for (; !rules->Eof(); rules->MoveNext())
        known.insert(rules->Fields(QStringLiteral("ID")).toLongLong());
    return known;
}

}  // namespace

QStringList BuildCatalogueTree(const CatalogueContext& c) {
    if (!c.workDb) {
        Report(c.parent, Msg(text::kWorkDbNotOpen), err::kCouldNotFindFile);
        return {};
    }
    if (c.setTreeEnabled)
        c.setTreeEnabled(false);
    c.tree->ClearNodes();
    // A row that cannot be built is left out and named; the rest of the tree
    // is built and works.
    QStringList faults;
    int lastCode = 0;
    try {
        const QSet<qint64> known = KnownDialogs(*c.workDb);
        auto titles = c.workDb->OpenRecordset(kTitlesQuery, RecordsetType::Snapshot);
        int running = 0;
        for (; !titles->Eof() && running <= kMaxOptionNumber; titles->MoveNext()) {
            if (!IsTrue(titles->Fields(QStringLiteral("Visible"))))
                continue;
            const QVariant titleId = titles->Fields(QStringLiteral("TitleID"));
            const QString cmd = titles->Fields(QStringLiteral("CMD")).toString();
            const QString text = titles->Fields(QStringLiteral("Description")).toString();
            QStandardItem* title =
                c.tree->AddTitleNode(QStringLiteral("Title") + titleId.toString(), text);
            if (!title) {
                faults << BuildFault(cmd, text, Msg(text::kTreeKeyTwice).arg(titleId.toString()));
                lastCode = 35602;
                continue;
            }
            CatalogueTreeModel::SetTag(title, cmd);
            CatalogueTreeModel::SetImage(title, image::kNum);
            try {
                auto options =
                    c.workDb->OpenRecordset(kOptionsQuery, RecordsetType::Snapshot, 0, {titleId});
                for (; !options->Eof(); options->MoveNext()) {
                    const QVariant data = options->Fields(QStringLiteral("Data"));
                    const QString value = TrimmedText(data);
                    const QString description =
                        TrimmedText(options->Fields(QStringLiteral("Description")));
                    const QVariant dialogId = options->Fields(QStringLiteral("DialogID"));
                    if (dialogId.isNull() || !known.contains(dialogId.toLongLong())) {
                        const QString why = dialogId.isNull()
                                                ? Msg(text::kTreeNoDialogNumber).arg(description)
                                                : Msg(text::kTreeUnknownDialog)
                                                      .arg(description)
                                                      .arg(dialogId.toLongLong());
                        faults << BuildFault(cmd, text, why);
                        lastCode = dialogId.isNull() ? err::kInvalidUseOfNull : err::kItemNotFound;
                        continue;
                    }
                    // Node 32767 is the last: the running number is 16 bits.
                    if (running > kMaxOptionNumber) {
                        faults << BuildFault(cmd, text,
                                             Msg(text::kTreeTooManyOptions).arg(description));
                        lastCode = err::kOverflow;
                        break;
                    }
                    QStandardItem* option = c.tree->AddOptionNode(
                        title, QStringLiteral("D%1:%2").arg(running).arg(value), description);
                    CatalogueTreeModel::SetTag(option, QString::number(dialogId.toLongLong()));
                    // An option without data always leads to a dialog.
                    QString imageKey = image::kMore;
                    if (!data.isNull() && value == c.values->GetItemValue(cmd).toString()) {
                        imageKey = image::kCheck;
                    } else if (!data.isNull() && dialogId.toLongLong() == 0) {
                        imageKey = image::kBlank;
                    }
                    CatalogueTreeModel::SetImage(option, imageKey);
                    ++running;
                }
            } catch (const RunError& e) {
                faults << BuildFault(cmd, text, e.Description());
                lastCode = e.Number();
            }
        }
    } catch (const RunError& e) {
        // The catalogue itself cannot be read: nothing more can be built.
        faults << e.Description();
        lastCode = e.Number();
    }
    for (const QString& fault : faults)
        qCWarning(lcDb, "Catalogue tree: %s", qUtf8Printable(fault));
    if (!faults.isEmpty())
        Report(c.parent, faults.first(), lastCode);
    if (c.setTreeEnabled && c.tree->rowCount() > 0)
        c.setTreeEnabled(true);
    return faults;
}

}  // namespace kestrel
