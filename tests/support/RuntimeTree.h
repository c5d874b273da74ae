#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "RecordingMessageBoxes.h"
#include "TestDoubles.h"

namespace kestrel::test {

// A private copy of the staged runtime tree (root/OPSHELM32/30000/...) with
// fresh copies of the shipped databases, and the process services pointed
// at it and at recording doubles. Process-wide values are reset on entry
// and on exit, so no test sees another's databases or settings.
class RuntimeTree {
public:
    RuntimeTree();
    ~RuntimeTree();
    RuntimeTree(const RuntimeTree&) = delete;
    RuntimeTree& operator=(const RuntimeTree&) = delete;

    QString Root() const { return dir_.path(); }
    QString Version() const { return Root() + QStringLiteral("/OPSHELM32/30000"); }
    QString AddinsDir() const { return Version() + QStringLiteral("/ADDINS"); }
    QString DatabaseDir() const { return AddinsDir() + QStringLiteral("/DATABASE/"); }
    QString SuiteDatabaseDir() const { return Version() + QStringLiteral("/HELM32/DATABASE/"); }

    // Opens both language databases, loads the message table and the
    // project record and settles the language's own files, as the start-up
    // does; false when any of it failed.
    bool OpenStartupDatabases() const;

    // Copies the language databases of LANGUAGES/<language>/ over the
    // English ones, as an engineer swaps the tool's language.
    void UseLanguage(const QString& language) const;

    // Runs a statement on one of the tree's database files directly.
    void Sql(const QString& file, const QString& sql) const;
    // The numbered working copies (and their journals) in the database
    // folder, sorted whatever the case.
    QStringList WorkingCopies() const;

    // The add-in program staged in this tree, made executable; empty when
    // the build has not staged it.
    QString AddinProgram() const;
    // The environment a test runs that program in: offscreen, its settings
    // and data inside the tree, and its message boxes printed on the
    // standard output and answered, as nobody is there to press them.
    QProcessEnvironment AddinEnvironment() const;

    RecordingMessageBoxes boxes;
    // Files the process asked the desktop to open; none is opened.
    QStringList opened;
    bool openSucceeds = true;
    RecordingProcessControl process;
    MapSettingsStore settings;

private:
    QTemporaryDir dir_;
};

// Resets every process-wide value the start-up and localisation set.
void ResetProcessState();

}  // namespace kestrel::test
