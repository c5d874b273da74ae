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
    switch (request.flags & mb::kButtonMask) {
        case mb::kAbortRetryIgnore:
            return answer::kAbort;
        case mb::kYesNoCancel:
        case mb::kYesNo:
            return answer::kYes;
        case mb::kRetryCancel:
            return answer::kRetry;
        default:
            return answer::kOk;
    }
}

}  // namespace kestrel
