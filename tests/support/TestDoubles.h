#pragma once

#include <QHash>
#include <QStringList>
#include <vector>

#include "platform/ProcessControl.h"
#include "platform/SettingsStore.h"

namespace kestrel::test {

// Records that the process was ended instead of ending it.
class RecordingProcessControl : public ProcessControl {
public:
    void EndProcess(int exitCode) override { ends.push_back(exitCode); }
    bool Ended() const { return !ends.empty(); }
    std::vector<int> ends;
};

// Settings held in memory, keyed by application, section and key.
class MapSettingsStore : public SettingsStore {
public:
    void Set(const QString& application, const QString& section, const QString& key,
             const QString& value) {
        values_.insert({application, section, key}, value);
    }
    QString Read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override {
        return values_.value({application, section, key}, defaultValue);
    }

private:
    QHash<QStringList, QString> values_;
};

}  // namespace kestrel::test
