#pragma once

#include <QHash>
#include <QRandomGenerator>

#include "ScriptedSession.h"

namespace kestrel {

// Many Get/Copy cycles through the real automation path, each with a random
// fault injected into the exchange (or none) and the safety net on or off.
// After every cycle the add-in must be idle and enabled, must have told the
// engineer in a box, its next Get must work, and the destination trunks in
// the exchange file must hold exactly what the add-in says it wrote: its
// journal with the net, its copy's cells and box without. Prints the
// figures at the end; ends with 1 when any cycle failed, naming the cycle,
// the fault and what was wrong.
class SoakSession : public ScriptedSession {
public:
    SoakSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow, QString exchange,
                QString folder, QString exchangeFolder, QString seedPath, QString journalPath,
                int cycles, quint32 seed, QObject* parent = nullptr);

protected:
    void Run() override;

private:
    // Every trunk-data value of the trunks given, by "ttt/item".
    QHash<QString, QString> Dump(const QList<int>& trunks) const;
    // Sets the exchange's injected faults: kind 0 is none.
    void SetFault(int kind) const;
    qint64 NewestJournalId() const;
    // What is wrong with the cycle, empty when nothing is.
    QString Cycle(int fault, bool onGet, bool net, int source, int first, int count);
    // Checks the exchange against the cells a plain copy says it wrote and
    // the box that told the engineer (`told`, the copy's prompts).
    QString CheckPlainWritten(const QStringList& written, bool answersLie, const QStringList& told,
                              const QHash<QString, QString>& before,
                              const QHash<QString, QString>& after);
    // Checks the exchange against the journal's copies newer than `since`.
    QString CheckWritten(qint64 since, const QHash<QString, QString>& before,
                         const QHash<QString, QString>& after) const;
    void PrintFigures(const QString& when, qint64 addinPid);

    QString exchangeFolder_;
    QString seedPath_;
    QString journalPath_;
    int cycles_;
    quint32 seed_;
    QRandomGenerator random_;
    QHash<QString, int> fdsAtStart_;
};

}  // namespace kestrel
