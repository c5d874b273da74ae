#include "Notices.h"

#include "Logging.h"
#include "MessageBoxes.h"
#include "RunError.h"
#include "Services.h"

namespace kestrel {

const char* const kSystemFatalNotice = "System Fatal Notice";

namespace {

void Show(const QString& prompt, int flags, std::optional<QString> title) {
    if (services().starting) {
        // Before the box: one that nobody answers must not hide the reason.
        qCCritical(lcUi, "%s", qUtf8Printable(prompt.simplified()));
    }
    MessageBoxes* boxes = services().messageBoxes;
    if (!boxes)
        return;
    MessageBoxRequest request;
    request.prompt = prompt;
    request.flags = flags;
    request.title = std::move(title);
    boxes->Show(request);
}

}  // namespace

void ShowSystemFatalNotice(const RunError& error) {
    Show(QStringLiteral("%1 [%2]").arg(error.Description()).arg(error.Number()),
         mb::kOkOnly | mb::kCritical, QString::fromLatin1(kSystemFatalNotice));
}

void ShowErrorNoNotice(const RunError& error) {
    Show(QStringLiteral("Error No: [%1]\r    %2").arg(error.Number()).arg(error.Description()),
         mb::kOkOnly | mb::kCritical, QString::fromLatin1(kSystemFatalNotice));
}

void ShowNotice(const RunError& error) {
    Show(QStringLiteral("%1[%2]").arg(error.Description()).arg(error.Number()),
         mb::kOkOnly | mb::kExclamation, QStringLiteral("Notice"));
}

void ShowPlainError(const RunError& error) {
    Show(error.Description(), mb::kOkOnly, std::nullopt);
}

}  // namespace kestrel
