#include "PrintingMessageBoxes.h"

#include <QTextStream>

#include "AppInfo.h"

namespace kestrel {

int PrintingMessageBoxes::Show(const MessageBoxRequest& request) {
    QString prompt = request.prompt;
    prompt.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    prompt.replace(u'\r', QStringLiteral(" / "));
    QTextStream out(stdout);
    out << "  [message] " << request.title.value_or(App().Title) << ": " << prompt << Qt::endl;
    return FirstButton(request.flags);
}

}  // namespace kestrel
