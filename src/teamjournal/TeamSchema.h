#pragma once

namespace kestrel {

class PgLink;

// The schema version this build writes and reads.
constexpr int kTeamSchemaVersion = 2;

// The server's schema version: 0 when it holds none.
int TeamSchemaVersion(PgLink& link);

// Brings the schema up to `version` (this build's by default) in one
// transaction: creates it on an empty database and migrates an older one.
// A login that may not (not the owner of the tables) gets TeamError
// SchemaOutOfDate; a newer schema SchemaNewer. The tool's role
// `kestrel_tool` is made where the login may make roles and is granted
// reading and adding only.
void PrepareTeamSchema(PgLink& link, int version = kTeamSchemaVersion);

}  // namespace kestrel
