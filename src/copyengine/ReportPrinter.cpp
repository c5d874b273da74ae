#include "ReportPrinter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "ReportWriter.h"
#include "hostlink/HostProgramme.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Logging.h"
#include "platform/MessageBoxes.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"

namespace kestrel {

namespace {

bool OpenFile(const QString& file) {
    if (services().openFile)
        return services().openFile(file);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

// Tells where the report went and opens it when the engineer says so.
void OfferReport(const QString& file) {
    // The file's name and its folder on lines of their own: a long path
    // would be broken at any of its hyphens or slashes.
    const QFileInfo info(file);
    const QString nameAndFolder =
        info.fileName() + u'%' + QDir::toNativeSeparators(info.absolutePath());
    // Nobody watches an unattended session: it is told, and opens nothing.
    if (LangMsgBox(kOwnSource, msgbox::own::kReportWritten, nameAndFolder, kProductTitle) !=
            answer::kYes ||
        services().unattended)
        return;
    if (!OpenFile(file)) {
        LangMsgBox(kOwnSource, msgbox::own::kReportNotOpened, nameAndFolder, kProductTitle);
    }
}

void PrintThroughHost(HostProgramme& parent, const ReportRequest& r) {
    QString failure;
    try {
        failure = parent.PrintReport(r.databasePath, r.templatePath, r.selection, QString(), 0);
    } catch (const RunError& e) {
        failure = e.Description();  // the host's own failure, shown as it is
    }
    if (!failure.isEmpty()) {
        if (MessageBoxes* boxes = services().messageBoxes) {
            MessageBoxRequest request;
            request.prompt = failure;
            request.flags = mb::kOkOnly;
            boxes->Show(request);
        }
        return;
    }
    // A host that does not say where the report went printed it its own way.
    QString file;
    try {
        file = parent.LastReportFile();
    } catch (const RunError& e) {
        // An older host knows no such member; nothing is amiss.
        qCDebug(lcHostlink, "The host does not tell where the report went: %s [%d]",
                qUtf8Printable(e.Description()), e.Number());
    }
    if (!file.isEmpty())
        OfferReport(file);
}

}  // namespace

ReportRequest BuildReportRequest(const QString& workDbName, const QString& trunkBoxText) {
    ReportRequest r;
    r.databasePath =
        GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) + workDbName;
    r.templatePath = ReportTemplatePath();
    r.selection = QStringLiteral("{Trunk.Trunk}= '") + trunkBoxText + u'\'';
    return r;
}

QString StandaloneReportsFolder() {
    return QDir(DataFolder()).filePath(QStringLiteral("Reports"));
}

QString ReportFailureText(const ReportOutcome& outcome) {
    switch (outcome.failure) {
        case ReportFailure::None:
            return {};
        case ReportFailure::Selection:
            return Msg(text::kReportSelectionUnknown).arg(outcome.subject);
        case ReportFailure::Template:
            return Msg(text::kReportTemplateUnreadable).arg(outcome.subject);
        case ReportFailure::Layout:
            return Msg(text::kReportTemplateNoRow).arg(outcome.subject);
        case ReportFailure::NoData:
            return Msg(text::kReportNoData).arg(outcome.subject);
        case ReportFailure::Database:
            return Msg(text::kReportDatabaseUnreadable).arg(outcome.subject, outcome.detail);
        case ReportFailure::Folder:
            return Msg(text::kReportFolderNotMade).arg(outcome.subject);
        case ReportFailure::Write:
            return Msg(text::kReportFileNotWritten).arg(outcome.subject, outcome.detail);
    }
    return {};
}

void PrintTrunkReport(HostProgramme* parent, const QString& workDbName,
                      const QString& trunkBoxText) {
    const ReportRequest r = BuildReportRequest(workDbName, trunkBoxText);
    if (r.databasePath.isEmpty() || workDbName.isEmpty())
        return;
    if (!g_Standalone) {
        if (parent)
            PrintThroughHost(*parent, r);
        return;
    }
    // No host prints for a standalone start: the same report is written here.
    const ReportOutcome outcome =
        WriteReportFile(r.databasePath, r.templatePath, r.selection, StandaloneReportsFolder());
    if (outcome.Written()) {
        OfferReport(outcome.subject);
    } else {
        LangMsgBox(kOwnSource, msgbox::own::kReportNotWritten, ReportFailureText(outcome),
                   kProductTitle);
    }
}

}  // namespace kestrel
