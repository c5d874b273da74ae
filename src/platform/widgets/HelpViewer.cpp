#include "HelpViewer.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>

#include "../FileOps.h"

namespace kestrel {

namespace {

QPointer<QTextBrowser>& Viewer() {
    static QPointer<QTextBrowser> viewer;
    return viewer;
}

}  // namespace

void HelpViewer::ShowTopic(const QString& helpFile, int context, QWidget* over) {
    QPointer<QTextBrowser>& viewer = Viewer();
    if (!viewer) {
        viewer = new QTextBrowser();
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setObjectName(QStringLiteral("helpViewer"));
        viewer->resize(560, 480);
    }
    const QString path = ResolvePath(helpFile);
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(QString::number(context));
    viewer->setSource(url);
    viewer->setWindowTitle(QFile::exists(path) ? viewer->documentTitle() : path);
    // A window that belongs to the asking one (its transient) is neither
    // blocked by it nor hidden behind it. Whether a window is blocked is
    // settled as it is shown, so a viewer already open is shown afresh.
    QWindow* owner =
        over && over->window()->windowHandle() ? over->window()->windowHandle() : nullptr;
    viewer->winId();
    QWindow* own = viewer->windowHandle();
    if (own && own->transientParent() != owner) {
        viewer->hide();
        own->setTransientParent(owner);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

QHash<int, QString> HelpViewer::TopicTexts(const QString& helpFile) {
    QHash<int, QString> topics;
    QFile file(ResolvePath(helpFile));
    if (!file.open(QIODevice::ReadOnly))
        return topics;
    const QString html = QString::fromUtf8(file.readAll());
    // A topic runs from its anchor to the next anchor of a topic.
    static const QRegularExpression anchor(
        QStringLiteral(
            R"re(<a\s+(?:name|id)="(\d+)"[^>]*>(.*?)(?=<a\s+(?:name|id)="\d+"|</body>))re"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    // Headings and paragraphs stay lines of their own.
    static const QRegularExpression blockEnd(QStringLiteral("</(?:h\\d|p|li|div)\\s*>|<br\\s*/?>"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QRegularExpressionMatch& match : anchor.globalMatch(html)) {
        const int context = match.captured(1).toInt();
        if (topics.contains(context))
            continue;  // the first topic of a number is the one shown
        // The source's own line breaks are blanks; only block ends break.
        QString text = match.captured(2).simplified();
        text.replace(blockEnd, QStringLiteral("\n"));
        text.remove(tag);
        QStringList lines;
        for (const QString& line : text.split(u'\n')) {
            if (!line.simplified().isEmpty())
                lines << line.simplified();
        }
        topics.insert(context, lines.join(u'\n'));
    }
    return topics;
}

QString HelpViewer::WhatsThisText(const QString& topic) {
    const QStringList lines = topic.split(u'\n');
    if (lines.size() < 2)
        return topic;
    // The texts come from HTML, entities and all, so they stay rich text.
    return QStringLiteral("<p><b>") + lines.first() + QStringLiteral("</b></p><p>") +
           lines.mid(1).join(QStringLiteral("</p><p>")) + QStringLiteral("</p>");
}

}  // namespace kestrel
