-- Exchange.seed: the template of every simulated exchange. The simulator
-- copies it to EXCHANGE/<name>.pbx the first time an exchange of that name
-- is used and takes the profile of that name (or "*" for any other name).

CREATE TABLE Profile (
    Name      TEXT PRIMARY KEY,
    Processor TEXT NOT NULL,
    MaxTrunk  INTEGER NOT NULL
);
INSERT INTO Profile VALUES
 ('PBX1', 'SC-K R5.0', 511),
 ('PBX2', 'SC-K 4.2', 255),
 ('PBX3', 'XP 1.0', 511),
 ('*', 'SC-K R5.0', 511);

-- The exchange this file is: one row, written when the file is made.
CREATE TABLE Exchange (
    Name      TEXT,
    Processor TEXT,
    MaxTrunk  INTEGER
);

CREATE TABLE Trunks (
    Trunk    INTEGER PRIMARY KEY,
    Assigned INTEGER NOT NULL
);

-- Items of command 30 the exchange knows, with the values it accepts.
CREATE TABLE Items (
    CMD     TEXT PRIMARY KEY,
    Pattern TEXT NOT NULL
);

CREATE TABLE TrunkData (
    Trunk INTEGER NOT NULL,
    CMD   TEXT NOT NULL,
    Value TEXT NOT NULL,
    PRIMARY KEY (Trunk, CMD)
);

CREATE TABLE Stations (
    Number TEXT PRIMARY KEY,
    Kind   TEXT NOT NULL
);

-- Injected faults; one row, all off.
CREATE TABLE Faults (
    LoginReply      TEXT,     -- a fixed reply of Login, e.g. BUSY
    SendReply       TEXT,     -- a fixed reply of SendRequest, e.g. ERROR
    EntryDelayMs    INTEGER,  -- time taken per request entry
    LinkFailEntries TEXT,     -- entry indices (0-based, comma separated) that fail
    LinkFailText    TEXT,     -- their answer, e.g. OPX_TIMEOUT or OPX_PORT TROUBLES
    CancelAfter     INTEGER,  -- the engineer cancels after this many entries
    ErrCode         INTEGER,  -- completion code of every answer
    RefuseItems     TEXT,     -- item keys (comma separated) whose writes are refused
    RefuseText      TEXT,     -- the refusal, e.g. CODE NOT ALLOWED
    SilentItems     TEXT      -- item keys (comma separated) whose writes answer OK unstored
);
INSERT INTO Faults VALUES (NULL, NULL, 0, NULL, 'OPX_TIMEOUT', NULL, 0, NULL, 'CODE NOT ALLOWED',
                           NULL);

INSERT INTO Items VALUES
 ('3001', '^(0[1-9]|[1-5][0-9]|6[0-4])$'),
 ('3002', '^[0-3]$'),
 ('3003', '^[0-2]$'),
 ('3004', '^[0-2]$'),
 ('3005', '^(NONE|[0-9AB]{1,6})$'),
 ('3006', '^[0-9A-F]{2}$'),
 ('3007', '^T[0-9]{3,4}$'),
 ('3008', '^(0[0-9]|1[0-5])(0[1-9]|[12][0-9]|3[0-2])$'),
 ('3009', '^(NONE|EB[0-9AB]{4}|C[0-9]{3})$'),
 ('3010', '^(NONE|[0-9AB]{1,8})$'),
 ('3011', '^[01]$'),
 ('3012', '^[0-3]$'),
 ('3013', '^C[0-9]{4}$'),
 ('3014', '^(BW|IC|OG)$'),
 ('3015', '^[01]$'),
 ('3016', '^[01]$'),
 ('3017', '^[0-9]$');

-- 511 trunks; every 17th and trunk 2 are not assigned.
WITH RECURSIVE n(t) AS (SELECT 1 UNION ALL SELECT t + 1 FROM n WHERE t < 511)
INSERT INTO Trunks SELECT t, CASE WHEN t = 2 OR t % 17 = 0 THEN 0 ELSE -1 END FROM n;

-- Varied values per trunk, so copies show.
WITH RECURSIVE n(t) AS (SELECT 1 UNION ALL SELECT t + 1 FROM n WHERE t < 511)
INSERT INTO TrunkData
SELECT t, '3001', printf('%02d', 1 + t % 4) FROM n UNION ALL
SELECT t, '3002', CAST(t % 4 AS TEXT) FROM n UNION ALL
SELECT t, '3003', CASE WHEN t % 5 = 0 THEN '0' ELSE '2' END FROM n UNION ALL
SELECT t, '3004', CAST(t % 3 AS TEXT) FROM n UNION ALL
SELECT t, '3005', CASE WHEN t % 3 = 0 THEN 'NONE' ELSE CAST(200 + t % 50 AS TEXT) END FROM n UNION ALL
SELECT t, '3006', printf('%02X', (t * 7) % 256) FROM n UNION ALL
SELECT t, '3007', CASE WHEN t % 2 = 0 THEN 'T0050' ELSE 'T0100' END FROM n UNION ALL
SELECT t, '3008', printf('%02d%02d', t % 16, 1 + t % 32) FROM n UNION ALL
SELECT t, '3009', CASE t % 4 WHEN 0 THEN printf('EB%04d', 2000 + t % 100)
                             WHEN 1 THEN printf('C%03d', 1 + t % 128) ELSE 'NONE' END FROM n UNION ALL
SELECT t, '3010', CASE t % 3 WHEN 0 THEN 'NONE' WHEN 1 THEN '9' ELSE '0123' END FROM n UNION ALL
SELECT t, '3011', CAST(t % 2 AS TEXT) FROM n UNION ALL
SELECT t, '3012', CASE WHEN t % 7 = 0 THEN 'DATA NOT SET' ELSE CAST(t % 4 AS TEXT) END FROM n UNION ALL
SELECT t, '3013', CASE WHEN t % 2 = 0 THEN 'C0101' ELSE 'C0203' END FROM n UNION ALL
SELECT t, '3014', CASE t % 3 WHEN 0 THEN 'BW' WHEN 1 THEN 'IC' ELSE 'OG' END FROM n UNION ALL
SELECT t, '3015', '0' FROM n UNION ALL
SELECT t, '3016', 'DATA NOT SET' FROM n UNION ALL
SELECT t, '3017', CAST(t % 10 AS TEXT) FROM n WHERE t % 10 = 1;

-- Stations of every kind.
WITH RECURSIVE n(s) AS (SELECT 200 UNION ALL SELECT s + 1 FROM n WHERE s < 249)
INSERT INTO Stations SELECT CAST(s AS TEXT), 'OPX_STN_STATION' FROM n;
WITH RECURSIVE n(s) AS (SELECT 2000 UNION ALL SELECT s + 1 FROM n WHERE s < 2099)
INSERT INTO Stations SELECT CAST(s AS TEXT), 'OPX_STN_STATION' FROM n;
INSERT INTO Stations VALUES
 ('300', 'OPX_STN_MLT'), ('301', 'OPX_STN_MLT'), ('302', 'OPX_STN_MLTIP'),
 ('400', 'OPX_STN_PS'), ('401', 'OPX_STN_PS'), ('450', 'OPX_STN_VIRTUAL'),
 ('500', 'OPX_STN_ISDN'), ('501', 'OPX_STN_ISDN'), ('600', 'OPX_STN_MODEM'),
 ('601', 'OPX_STN_DATA'), ('800', 'OPX_STN_OTHERS'), ('9A', 'OPX_STN_STATION');
