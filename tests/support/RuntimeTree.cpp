#include "RuntimeTree.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include <unistd.h>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Services.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "startup/LanguageFiles.h"

namespace kestrel::test {

namespace {

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo& entry :
         source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + u'/' + entry.fileName();
        if (entry.isDir()) {
            CopyTree(entry.filePath(), target);
        } else if (entry.isExecutable() && link(QFile::encodeName(entry.filePath()).constData(),
                                                QFile::encodeName(target).constData()) == 0) {
            // The programmes (a hundred megabytes with the sanitizers) are
            // linked, not copied: no test writes them, and a hard link still
            // starts them from this tree.
        } else if (!entry.fileName().contains(QStringLiteral("KESTREL"), Qt::CaseSensitive) ||
                   entry.fileName() == u"KESTREL.MDB") {
            // Working copies of the developer's own runs are left behind.
            QFile::copy(entry.filePath(), target);
            QFile(target).setPermissions(
                QFile::ReadOwner | QFile::WriteOwner |
                (entry.isExecutable() ? QFile::ExeOwner : QFile::Permissions()));
        }
    }
}

}  // namespace

void ResetProcessState() {
    g_Standalone = false;
    g_AddinVersion.clear();
    g_BackgroundPath.clear();
    g_CommonDb.reset();
    g_LangDb.reset();
    g_WorkDbName.clear();
    g_CmdDialogShown = QStringLiteral("False");
    g_Messages.clear();
    // As the start-up hands them over, so message boxes by number find the
    // databases a test opens.
    SetLanguageDatabases(&g_CommonDb, &g_LangDb);
    App() = AppInfo();
    ForgetLanguageFiles();
    services() = Services();
}

RuntimeTree::RuntimeTree() {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    ResetProcessState();
    CopyTree(QStringLiteral(KESTREL_STAGE_ROOT), Version());
    Services& s = services();
    s.messageBoxes = &boxes;
    s.process = &process;
    s.settings = &settings;
    s.programFolder = AddinsDir();
    // Each test keeps its own journal.
    s.dataFolder = dir_.path() + QStringLiteral("/userdata");
    s.openFile = [this](const QString& file) {
        opened << file;
        return openSucceeds;
    };
}

RuntimeTree::~RuntimeTree() {
    ResetProcessState();
}

bool RuntimeTree::OpenStartupDatabases() const {
    if (!OpenDB(SuiteDatabaseDir() + QStringLiteral("Common.LNG"), g_CommonDb, true) ||
        !OpenDB(DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false) ||
        !LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get()) ||
        !LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get())) {
        return false;
    }
    SettleLanguageFiles();
    return true;
}

void RuntimeTree::UseLanguage(const QString& language) const {
    const auto swap = [&language](const QString& folder, const QString& name) {
        const QString file = folder + name;
        QFile::remove(file);
        if (!QFile::copy(folder + QStringLiteral("LANGUAGES/") + language + u'/' + name, file))
            throw std::runtime_error("no " + name.toStdString() + " for that language");
        QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    };
    swap(DatabaseDir(), QStringLiteral("Kestrel.lng"));
    swap(SuiteDatabaseDir(), QStringLiteral("Common.LNG"));
}

QString RuntimeTree::AddinProgram() const {
    const QString program = AddinsDir() + QStringLiteral("/kestrel");
    if (!QFile::exists(program))
        return {};
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return program;
}

QProcessEnvironment RuntimeTree::AddinEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + QStringLiteral("/userdata"));
    env.insert(QStringLiteral("KESTREL_SESSION"), QStringLiteral("1"));
    env.remove(QStringLiteral("KESTREL_SCREENSHOT"));
    // Its start-up messages keep the default form the tests read.
    env.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    return env;
}

void RuntimeTree::Sql(const QString& file, const QString& sql) const {
    Database::Open(file, false)->Execute(sql);
}

QStringList RuntimeTree::WorkingCopies() const {
    return QDir(DatabaseDir())
        .entryList({QStringLiteral("KESTREL?*.MDB*")}, QDir::AllEntries | QDir::NoDotAndDotDot,
                   QDir::Name | QDir::IgnoreCase);
}

}  // namespace kestrel::test
