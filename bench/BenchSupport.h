#pragma once

#include <QString>

#include "platform/MessageBoxes.h"

// What the benchmarks share: silent message boxes and the staged databases
// opened as the start-up opens them.
namespace kestrel::bench {

inline const QString kStage = QStringLiteral(KESTREL_STAGE_ROOT);

class SilentBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override { return FirstButton(request.flags); }
    void Beep() override {}
};

// Opens both language databases of the staged tree (read-only), routes
// message boxes to silence and marks the start standalone; undone when it
// goes.
class LanguageDatabases {
public:
    LanguageDatabases();
    ~LanguageDatabases();

private:
    SilentBoxes boxes_;
};

}  // namespace kestrel::bench
