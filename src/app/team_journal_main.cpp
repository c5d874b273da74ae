// kestrel-teamjournal: prepares a team's journal database, making or
// migrating the schema Kestrel writes, as the team's administrator.
#include <QCoreApplication>
#include <QTextStream>

#include "teamjournal/PgLink.h"
#include "teamjournal/TeamSchema.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout), err(stderr);
    if (args.isEmpty() || args.first() != u"prepare" || args.size() > 2) {
        err << "Usage: kestrel-teamjournal prepare [CONNECTION]\n"
               "Makes or migrates the team journal's schema in the database CONNECTION\n"
               "names (a libpq connection string, e.g. \"host=db1 dbname=kestrel\"; what it\n"
               "leaves out comes from PGHOST, PGDATABASE, PGUSER, ...), and grants the role\n"
               "kestrel_tool reading and adding only.\n";
        return 2;
    }
    kestrel::TeamError error{};
    auto link = kestrel::PgLink::Connect(args.value(1), &error);
    if (!link) {
        err << "The database cannot be reached: " << error.detail << '\n';
        return 1;
    }
    try {
        const int before = kestrel::TeamSchemaVersion(*link);
        kestrel::PrepareTeamSchema(*link);
        out << "The team journal's schema is at version " << kestrel::kTeamSchemaVersion
            << (before == kestrel::kTeamSchemaVersion ? QStringLiteral(" (nothing to do).\n")
                                                      : QStringLiteral(" (was %1).\n").arg(before));
        return 0;
    } catch (const kestrel::TeamError& e) {
        err << "The schema could not be prepared: " << e.detail << '\n';
        return 1;
    }
}
