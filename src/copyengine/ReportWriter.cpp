#include "ReportWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {

QString Field(Database& db, const QString& sql, const QVariantList& params = {}) {
    auto rows = db.OpenRecordset(sql, RecordsetType::Snapshot, 0, params);
    return rows->Eof() ? QString() : rows->Fields(0).toString();
}

// The template's words for an item's mark, by LABEL block; the blocks
// themselves leave the page.
QHash<QString, QString> TakeLabels(QString& html) {
    static const QRegularExpression label(QStringLiteral("<!--LABEL ([a-z]+)-->(.*?)<!--/LABEL-->"),
                                          QRegularExpression::DotMatchesEverythingOption);
    QHash<QString, QString> labels;
    for (auto it = label.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        labels.insert(match.captured(1), match.captured(2));
    }
    html.remove(label);
    return labels;
}

// Keeps the blocks of the template marked `keep` (without their markers)
// and drops the other blocks of `all`.
QString KeepBlocks(QString html, const QStringList& all, const QString& keep) {
    for (const QString& name : all) {
        const QString open = QStringLiteral("<!--%1-->").arg(name);
        const QString close = QStringLiteral("<!--/%1-->").arg(name);
        for (qsizetype start = html.indexOf(open); start >= 0; start = html.indexOf(open, start)) {
            const qsizetype end = html.indexOf(close, start);
            if (end < 0)
                break;
            const QString inner = html.mid(start + open.size(), end - start - open.size());
            html.replace(start, end + close.size() - start, name == keep ? inner : QString());
            if (name == keep)
                start += inner.size();
        }
    }
    return html;
}

// What the work tables say about the last copy of the trunk: none, made,
// or made and undone; and how each of its items ended. A working copy
// older than the tables of the items knows only whether a copy was made.
struct CopyState {
    QString block = QStringLiteral("NOCOPY");
    QHash<QString, int> itemStates;
};

CopyState LastCopy(Database& db, const QString& destinations) {
    CopyState state;
    if (destinations.isEmpty())
        return state;
    state.block = QStringLiteral("COPIED");
    try {
        if (Field(db, QStringLiteral("SELECT Trunk FROM CopyUndo")) == destinations)
            state.block = QStringLiteral("UNDONE");
        auto items = db.OpenRecordset(QStringLiteral("SELECT CMD, State FROM CopyItem"),
                                      RecordsetType::Snapshot);
        for (; !items->Eof(); items->MoveNext())
            state.itemStates.insert(items->Fields(0).toString(), items->Fields(1).toInt());
    } catch (const RunError& e) {
        qCDebug(lcDb, "The report has no item outcome of the copy: %s [%d]",
                qUtf8Printable(e.Description()), e.Number());
        state.itemStates.clear();
    }
    return state;
}

// The label of an item's mark; none for an item written as shown.
QString MarkOf(const CopyState& copy, const QString& cmd, const QHash<QString, QString>& labels) {
    static const char* const names[] = {"", "refused", "notwritten", "undone"};
    if (copy.block == u"NOCOPY" || copy.itemStates.isEmpty())
        return {};
    const auto found = copy.itemStates.constFind(cmd);
    if (found == copy.itemStates.constEnd())
        return labels.value(QStringLiteral("notcopied"));
    const int state = *found;
    return state > 0 && state < 4 ? labels.value(QString::fromLatin1(names[state])) : QString();
}

}  // namespace

QString FillOutcomes(Database& db, const QString& html) {
    const QString open = QStringLiteral("<!--OUTCOMES-->");
    const QString close = QStringLiteral("<!--/OUTCOMES-->");
    const qsizetype start = html.indexOf(open);
    const qsizetype end = html.indexOf(close);
    if (start < 0 || end < start)
        return html;
    QString section = html.mid(start + open.size(), end - start - open.size());
    const qsizetype rowStart = section.indexOf(QStringLiteral("<!--OROW-->"));
    const qsizetype rowEnd = section.indexOf(QStringLiteral("<!--/OROW-->"));
    QString rows;
    if (rowStart >= 0 && rowEnd > rowStart) {
        const QString rowTemplate = section.mid(rowStart + 11, rowEnd - rowStart - 11);
        try {
            auto outcomes = db.OpenRecordset(
                QStringLiteral("SELECT Trunk, Outcome FROM CopyOutcome ORDER BY rowid"),
                RecordsetType::Snapshot);
            for (; !outcomes->Eof(); outcomes->MoveNext()) {
                QString row = rowTemplate;
                row.replace(QStringLiteral("{{DEST}}"),
                            outcomes->Fields(0).toString().toHtmlEscaped());
                row.replace(QStringLiteral("{{OUTCOME}}"),
                            outcomes->Fields(1).toString().toHtmlEscaped());
                rows += row;
            }
        } catch (const RunError& e) {
            // A working copy without the table: no section.
            qCDebug(lcDb, "The report has no copy outcome: %s [%d]",
                    qUtf8Printable(e.Description()), e.Number());
            rows.clear();
        }
        section = section.left(rowStart) + rows + section.mid(rowEnd + 12);
    }
    return html.left(start) + (rows.isEmpty() ? QString() : section) + html.mid(end + close.size());
}

FilledReport FillTrunkReport(const QString& databasePath, const QString& templatePath,
                             const QString& selection, const QDateTime& printed) {
    FilledReport report;
    const auto fail = [&report](ReportFailure failure, QString subject, QString detail = {}) {
        report.outcome = {failure, std::move(subject), std::move(detail)};
        return report;
    };
    static const QRegularExpression formula(QStringLiteral("^\\{Trunk\\.Trunk\\}= '([^']*)'$"));
    const auto match = formula.match(selection);
    if (!match.hasMatch())
        return fail(ReportFailure::Selection, selection);
    const QString trunk = match.captured(1);
    report.trunk = trunk;
    QFile templ(ResolvePath(templatePath));
    if (!templ.open(QIODevice::ReadOnly))
        return fail(ReportFailure::Template, templatePath, templ.errorString());
    QString html = QString::fromUtf8(templ.readAll());
    const QHash<QString, QString> labels = TakeLabels(html);
    const qsizetype rowStart = html.indexOf(QStringLiteral("<!--ROW-->"));
    const qsizetype rowEnd = html.indexOf(QStringLiteral("<!--/ROW-->"));
    if (rowStart < 0 || rowEnd < rowStart)
        return fail(ReportFailure::Layout, templatePath);
    try {
        auto db = Database::Open(ResolvePath(databasePath), true);
        if (Field(*db, QStringLiteral("SELECT Trunk FROM Trunk WHERE Trunk = ?"), {trunk}) !=
            trunk) {
            return fail(ReportFailure::NoData, trunk);
        }
        QString destinations = Field(*db, QStringLiteral("SELECT Trunk FROM CopyTrunk"));
        const CopyState copy = LastCopy(*db, destinations);
        const QString rowTemplate = html.mid(rowStart + 10, rowEnd - rowStart - 10);
        QString rows;
        auto items = db->OpenRecordset(
            QStringLiteral("SELECT CMD, Description, Data FROM TrkDataListup WHERE Trunk = ?"),
            RecordsetType::Snapshot, 0, {trunk});
        while (!items->Eof()) {
            QString row = rowTemplate;
            row.replace(QStringLiteral("{{CMD}}"), items->Fields(0).toString().toHtmlEscaped());
            row.replace(QStringLiteral("{{DESCRIPTION}}"),
                        items->Fields(1).toString().toHtmlEscaped());
            row.replace(QStringLiteral("{{DATA}}"), items->Fields(2).toString().toHtmlEscaped());
            // The label is the template's own markup.
            row.replace(QStringLiteral("{{MARK}}"),
                        MarkOf(copy, items->Fields(0).toString(), labels));
            rows += row;
            items->MoveNext();
        }
        html = html.left(rowStart) + rows + html.mid(rowEnd + 11);
        html = FillOutcomes(*db, html);
        html = KeepBlocks(
            html, {QStringLiteral("NOCOPY"), QStringLiteral("COPIED"), QStringLiteral("UNDONE")},
            copy.block);
        report.exchange = Field(*db, QStringLiteral("SELECT PBXName FROM PBXName"));
        if (destinations.isEmpty())
            destinations = QStringLiteral("-");
        html.replace(QStringLiteral("{{EXCHANGE}}"), report.exchange.toHtmlEscaped());
        html.replace(QStringLiteral("{{TRUNK}}"), trunk.toHtmlEscaped());
        html.replace(QStringLiteral("{{DESTINATIONS}}"), destinations.toHtmlEscaped());
    } catch (const RunError& e) {
        return fail(ReportFailure::Database, databasePath,
                    QStringLiteral("%1 [%2]").arg(e.Description()).arg(e.Number()));
    }
    html.replace(QStringLiteral("{{PRINTED}}"),
                 printed.toString(QStringLiteral("yyyy-MM-dd hh:mm")).toHtmlEscaped());
    report.html = html;
    return report;
}

ReportOutcome WriteReportFile(const QString& databasePath, const QString& templatePath,
                              const QString& selection, const QString& folder) {
    const QDateTime now = QDateTime::currentDateTime();
    const FilledReport report = FillTrunkReport(databasePath, templatePath, selection, now);
    if (!report.outcome.Written())
        return report.outcome;
    if (!QDir().mkpath(folder))
        return {ReportFailure::Folder, QDir::toNativeSeparators(folder), {}};
    QString safeExchange = report.exchange;
    safeExchange.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    const QString path = QDir(folder).filePath(
        QStringLiteral("Trunk-%1-%2-%3.pdf")
            .arg(safeExchange, report.trunk, now.toString(QStringLiteral("yyyyMMdd-hhmmss"))));
    // Opened here, not by the PDF writer: a file that cannot be written says
    // why, instead of a document printed into nothing.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {ReportFailure::Write, QDir::toNativeSeparators(path), file.errorString()};
    {
        QTextDocument document;
        document.setHtml(report.html);
        // The template's own title names the document in its language.
        QString title = document.metaInformation(QTextDocument::DocumentTitle);
        if (title.isEmpty())
            title = QStringLiteral("Trunk %1 of %2").arg(report.trunk, report.exchange);
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setTitle(title);
        document.print(&pdf);
    }
    const bool complete = file.error() == QFileDevice::NoError && file.size() > 0;
    const QString error = file.errorString();
    file.close();
    if (!complete) {
        QFile::remove(path);
        return {ReportFailure::Write, QDir::toNativeSeparators(path), error};
    }
    return {ReportFailure::None, path, {}};
}

}  // namespace kestrel
