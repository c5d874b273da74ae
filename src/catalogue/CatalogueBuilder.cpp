#include "CatalogueBuilder.h"

#include "CatalogueTreeModel.h"
#include "TreeImages.h"
#include "ValueListModel.h"
#include "hostlink/HostCalls.h"
#include "hostlink/HostProgramme.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
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

void BuildCatalogueTree(const CatalogueContext& c) {
    if (!c.workDb) {
        Report(c.parent, Msg(text::kWorkDbNotOpen), err::kCouldNotFindFile);
        return;
    }
    if (c.setTreeEnabled)
        c.setTreeEnabled(false);
    c.tree->ClearNodes();
    try {
        auto titles = c.workDb->OpenRecordset(kTitlesQuery, RecordsetType::Snapshot);
        int running = 0;
        while (!titles->Eof()) {
            if (IsTrue(titles->Fields(QStringLiteral("Visible")))) {
                const QVariant titleId = titles->Fields(QStringLiteral("TitleID"));
                const QString cmd = titles->Fields(QStringLiteral("CMD")).toString();
                QStandardItem* title =
                    c.tree->AddTitleNode(QStringLiteral("Title") + titleId.toString(),
                                         titles->Fields(QStringLiteral("Description")).toString());
                if (!title) {
                    throw RunError(35602, QStringLiteral("Key is not unique in collection"));
                }
                CatalogueTreeModel::SetTag(title, cmd);
                CatalogueTreeModel::SetImage(title, image::kNum);

                auto options =
                    c.workDb->OpenRecordset(kOptionsQuery, RecordsetType::Snapshot, 0, {titleId});
                while (!options->Eof()) {
                    const QVariant data = options->Fields(QStringLiteral("Data"));
                    const QString value = TrimmedText(data);
                    QStandardItem* option = c.tree->AddOptionNode(
                        title, QStringLiteral("D%1:%2").arg(running).arg(value),
                        TrimmedText(options->Fields(QStringLiteral("Description"))));
                    // The node is in the tree before its dialog number is
                    // read: a Null number stops the build with the node kept.
                    const QVariant dialogId = options->Fields(QStringLiteral("DialogID"));
                    if (dialogId.isNull()) {
                        throw RunError(err::kInvalidUseOfNull,
                                       QStringLiteral("Invalid use of Null"));
                    }
                    CatalogueTreeModel::SetTag(option, QString::number(dialogId.toLongLong()));
                    // An option without data always leads to a dialog.
                    QString imageKey = image::kMore;
                    if (!data.isNull() && value == c.values->GetItemValue(cmd).toString()) {
                        imageKey = image::kCheck;
                    } else if (!data.isNull() && dialogId.toLongLong() == 0) {
                        imageKey = image::kBlank;
                    }
                    CatalogueTreeModel::SetImage(option, imageKey);
                    // Node 32767 is the last: counting past it overflows.
                    if (running == kMaxOptionNumber) {
                        throw RunError(err::kOverflow, QStringLiteral("Overflow"));
                    }
                    ++running;
                    options->MoveNext();
                }
            }
            titles->MoveNext();
        }
    } catch (const RunError& e) {
        // The nodes added so far stay; the tree stays disabled.
        Report(c.parent, e.Description(), e.Number());
        return;
    }
    if (c.setTreeEnabled)
        c.setTreeEnabled(true);
}

}  // namespace kestrel
