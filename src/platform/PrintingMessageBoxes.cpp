#include "PrintingMessageBoxes.h"

#include <QTextStream>
#include <utility>

#include "AppInfo.h"

namespace kestrel {

int PrintingMessageBoxes::Show(const MessageBoxRequest& request) {
    // A session that never takes them must not grow without bound.
    constexpr int kKept = 100;
    if (shown_.size() == kKept)
        shown_.removeFirst();
    shown_ << request.prompt;
    QString prompt = request.prompt;
    prompt.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    prompt.replace(u'\r', QStringLiteral(" / "));
    QTextStream out(stdout);
    out << "  [message] " << request.title.value_or(App().Title) << ": " << prompt << Qt::endl;
    return FirstButton(request.flags);
}

QStringList PrintingMessageBoxes::TakeShown() {
    return std::exchange(shown_, {});
}

}  // namespace kestrel
