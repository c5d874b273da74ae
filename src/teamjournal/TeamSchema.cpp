#include "TeamSchema.h"

#include <QStringList>

#include "PgLink.h"

namespace kestrel {

namespace {

// What each version adds to the one before it, from an empty database on.
const QString kMigrations[] = {
    // Version 1: entries, keyed by their own id, and their cells in the
    // order recorded.
    QStringLiteral(R"sql(
CREATE TABLE kestrel_schema (version integer NOT NULL);
INSERT INTO kestrel_schema VALUES (0);
CREATE TABLE entries (
    uuid uuid PRIMARY KEY,
    kind text NOT NULL CHECK (kind IN ('Preview', 'Copy', 'Undo')),
    time timestamptz NOT NULL,
    exchange text NOT NULL,
    source_trunk text NOT NULL,
    destination_list text NOT NULL,
    summary text NOT NULL,
    summary_parts text NOT NULL,
    undo_of uuid,
    finished boolean NOT NULL,
    engineer text NOT NULL,
    engineer_name text NOT NULL,
    machine text NOT NULL,
    start text NOT NULL,
    received timestamptz NOT NULL DEFAULT now());
CREATE TABLE cells (
    entry uuid NOT NULL,
    seq integer NOT NULL,
    trunk text NOT NULL,
    item text NOT NULL,
    old_value text NOT NULL,
    new_value text NOT NULL,
    outcome text NOT NULL,
    detail text NOT NULL,
    PRIMARY KEY (entry, seq));
)sql"),
    // Version 2: the indexes History's filters use, the guard that keeps a
    // finished entry as it was sent, and word to listeners of each new entry.
    QStringLiteral(R"sql(
CREATE INDEX entries_by_exchange_time ON entries (lower(exchange), time DESC);
CREATE INDEX entries_by_time ON entries (time DESC);
CREATE INDEX entries_by_engineer_time ON entries (engineer, time DESC);
CREATE INDEX cells_by_trunk ON cells (trunk, entry);

CREATE FUNCTION kestrel_refuse_delete() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'the team journal is never rewritten: % of % refused', TG_OP, TG_TABLE_NAME
        USING ERRCODE = 'insufficient_privilege';
END $$;
CREATE FUNCTION kestrel_guard_entry() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF OLD.finished OR ROW(NEW.uuid, NEW.kind, NEW.time, NEW.exchange, NEW.source_trunk,
            NEW.destination_list, NEW.undo_of, NEW.engineer, NEW.engineer_name, NEW.machine,
            NEW.start, NEW.received)
        IS DISTINCT FROM ROW(OLD.uuid, OLD.kind, OLD.time, OLD.exchange, OLD.source_trunk,
            OLD.destination_list, OLD.undo_of, OLD.engineer, OLD.engineer_name, OLD.machine,
            OLD.start, OLD.received) THEN
        RAISE EXCEPTION 'the finished journal entry % cannot be changed', OLD.uuid
            USING ERRCODE = 'insufficient_privilege';
    END IF;
    RETURN NEW;
END $$;
-- Checked a statement at a time, not a row (a copy adds up to 32704 cells):
-- every cell belongs to an entry, and to one not yet finished.
CREATE FUNCTION kestrel_guard_cells() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM changed_cells c LEFT JOIN entries e ON e.uuid = c.entry
               WHERE e.finished IS NOT FALSE) THEN
        RAISE EXCEPTION 'the cells of a finished journal entry cannot be changed'
            USING ERRCODE = 'insufficient_privilege';
    END IF;
    RETURN NULL;
END $$;
CREATE TRIGGER entries_kept BEFORE UPDATE ON entries
    FOR EACH ROW EXECUTE FUNCTION kestrel_guard_entry();
CREATE TRIGGER entries_never_deleted BEFORE DELETE OR TRUNCATE ON entries
    FOR EACH STATEMENT EXECUTE FUNCTION kestrel_refuse_delete();
CREATE TRIGGER cells_never_deleted BEFORE DELETE OR TRUNCATE ON cells
    FOR EACH STATEMENT EXECUTE FUNCTION kestrel_refuse_delete();
CREATE TRIGGER cells_added_kept AFTER INSERT ON cells REFERENCING NEW TABLE AS changed_cells
    FOR EACH STATEMENT EXECUTE FUNCTION kestrel_guard_cells();
CREATE TRIGGER cells_changed_kept AFTER UPDATE ON cells REFERENCING OLD TABLE AS changed_cells
    FOR EACH STATEMENT EXECUTE FUNCTION kestrel_guard_cells();

CREATE FUNCTION kestrel_announce() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('kestrel_entries', NEW.uuid::text);
    RETURN NULL;
END $$;
CREATE TRIGGER entries_announced AFTER INSERT OR UPDATE ON entries
    FOR EACH ROW EXECUTE FUNCTION kestrel_announce();
)sql"),
};

// Reading and adding only; an unfinished entry (a copy cut off) may be
// completed once, which the guard enforces.
const QString kGrants = QStringLiteral(R"sql(
DO $$ BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrel_tool') THEN
        CREATE ROLE kestrel_tool NOLOGIN;
    END IF;
END $$;
REVOKE ALL ON kestrel_schema, entries, cells FROM PUBLIC;
GRANT SELECT ON kestrel_schema TO kestrel_tool;
GRANT SELECT, INSERT ON entries, cells TO kestrel_tool;
GRANT UPDATE (finished, summary, summary_parts) ON entries TO kestrel_tool;
GRANT UPDATE (old_value, outcome, detail) ON cells TO kestrel_tool;
)sql");

}  // namespace

int TeamSchemaVersion(PgLink& link) {
    const PgRows exists =
        link.Run(QStringLiteral("SELECT to_regclass('kestrel_schema') IS NOT NULL"));
    if (exists.Text(0, 0) != u"t")
        return 0;
    const PgRows version = link.Run(QStringLiteral("SELECT version FROM kestrel_schema"));
    return version.Count() > 0 ? version.Text(0, 0).toInt() : 0;
}

void PrepareTeamSchema(PgLink& link, int version) {
    const int found = TeamSchemaVersion(link);
    if (found > kTeamSchemaVersion) {
        throw TeamError{TeamProblem::SchemaNewer,
                        QStringLiteral("schema version %1, this Kestrel reads %2")
                            .arg(found)
                            .arg(kTeamSchemaVersion)};
    }
    if (found >= version)
        return;
    link.RunScript(QStringLiteral("BEGIN"));
    try {
        // Two desks starting at once: the second waits here, then finds the
        // work done.
        link.RunScript(QStringLiteral("SELECT pg_advisory_xact_lock(7160401)"));
        for (int v = TeamSchemaVersion(link); v < version; ++v) {
            link.RunScript(kMigrations[v]);
            link.Run(QStringLiteral("UPDATE kestrel_schema SET version = $1"), {v + 1});
        }
        link.RunScript(kGrants);
        link.RunScript(QStringLiteral("COMMIT"));
    } catch (TeamError& e) {
        link.Rollback();
        if (e.problem == TeamProblem::Refused) {
            e.problem = TeamProblem::SchemaOutOfDate;
            e.detail = QStringLiteral("schema version %1, this Kestrel needs %2: %3")
                           .arg(found)
                           .arg(kTeamSchemaVersion)
                           .arg(e.detail);
        }
        throw;
    }
}

}  // namespace kestrel
