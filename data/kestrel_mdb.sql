-- KESTREL.MDB: the template of every instance's working database: the
-- catalogue of trunk-data items of command 30 and their options, the rules
-- of the additional-data dialog, and the empty work tables.
-- Yes/No fields hold -1 for yes and 0 for no.

CREATE TABLE CMD30Titles (
    TitleID     INTEGER PRIMARY KEY,
    CMD         TEXT NOT NULL,
    Description TEXT,
    Visible     INTEGER
);

CREATE TABLE CMD30Codes (
    CodeID      INTEGER PRIMARY KEY,
    TitleID     INTEGER NOT NULL,
    Data        TEXT,
    Description TEXT,
    DialogID    INTEGER
);
CREATE INDEX CMD30CodesTitle ON CMD30Codes (TitleID);

CREATE TABLE DialogRules (
    ID          INTEGER PRIMARY KEY,
    Description TEXT,
    Prefix      TEXT,
    Filter      TEXT,
    Format      TEXT,
    Prompt1     TEXT,
    Len1        INTEGER,
    Min1        INTEGER,
    Max1        INTEGER,
    Prompt2     TEXT,
    Len2        INTEGER,
    Min2        INTEGER,
    Max2        INTEGER
);

-- Work tables, filled by Get and Copy.
CREATE TABLE Trunk (Trunk TEXT);
CREATE TABLE PBXName (PBXName TEXT);
CREATE TABLE TrkDataListup (Trunk TEXT, CMD TEXT, Data TEXT, Description TEXT);
CREATE TABLE CopyTrunk (Trunk TEXT);
-- What the last copy with the safety net did to each destination.
CREATE TABLE CopyOutcome (Trunk TEXT, Outcome TEXT);
-- How each item of the last copy ended (0 written, 1 refused, 2 not
-- written, 3 written back by an undo), and the destination list of a last
-- copy that was undone: the report marks its values by them.
CREATE TABLE CopyItem (CMD TEXT, State INTEGER);
CREATE TABLE CopyUndo (Trunk TEXT);

INSERT INTO CMD30Titles VALUES
 (1,  '3001', 'Trunk route', -1),
 (2,  '3002', 'Class of service', -1),
 (3,  '3003', 'Dial type', -1),
 (4,  '3004', 'Answer supervision', -1),
 (5,  '3005', 'Night station', -1),
 (6,  '3006', 'Line signalling code', -1),
 (7,  '3007', 'Release guard time', -1),
 (8,  '3008', 'Toll restriction', -1),
 (9,  '3009', 'Overflow destination', -1),
 (10, '3010', 'Digits sent on seizure', -1),
 (11, '3011', 'Incoming call restriction', -1),
 (12, '3012', 'Music on hold source', -1),
 (13, '3013', 'Tenant and department', -1),
 (14, '3014', 'Trunk direction', -1),
 (15, '3015', 'Maintenance busy', 0),
 (16, '3016', 'Echo canceller calibration', NULL);

-- DialogID 0: a plain value. Other numbers name a DialogRules row; a Null
-- Data is a value the engineer types.
INSERT INTO CMD30Codes (TitleID, Data, Description, DialogID) VALUES
 (1, '01', 'Route 01: exchange lines', 0),
 (1, '02', 'Route 02: tie lines', 0),
 (1, '03', 'Route 03: mobile gateway', 0),
 (1, '04', 'Route 04: emergency lines', 0),
 (1, NULL, 'Other route (1 to 64)', 1),
 (2, '0', 'Unrestricted', 0),
 (2, '1', 'National calls only', 0),
 (2, '2', 'Local calls only', 0),
 (2, '3', 'Internal and emergency only', 0),
 (3, '0', 'Loop disconnect 10 pps', 0),
 (3, '1', 'Loop disconnect 20 pps', 0),
 (3, '2', 'Tone dialling', 0),
 (4, '0', 'None', 0),
 (4, '1', 'Polarity reversal', 0),
 (4, '2', 'Timed (12 s)', 0),
 (5, 'NONE', 'No night station', 0),
 (5, NULL, 'Station number', 2),
 (6, '00', 'Standard code 00', 0),
 (6, NULL, 'Hexadecimal code (00 to FF)', 3),
 (7, 'T0100', 'Standard: 1000 ms', 0),
 (7, 'T0050', 'Short: 500 ms', 0),
 (7, NULL, 'Add to the present time', 4),
 (8, '0000', 'No restriction', 0),
 (8, NULL, 'Restriction class and table', 5),
 (9, 'NONE', 'No overflow', 0),
 (9, NULL, 'Busy forward to extension', 6),
 (9, NULL, 'Overflow to call group', 7),
 (10, 'NONE', 'No digits', 0),
 (10, '9', 'Outside line digit 9', 2),
 (10, NULL, 'Digit string', 8),
 (11, '0', 'Calls allowed', 0),
 (11, '1', 'Calls barred', 0),
 (12, '0', 'Silence', 0),
 (12, '1', 'Internal source 1', 0),
 (12, '2', 'Internal source 2', 0),
 (12, '3', 'External source', 0),
 (13, 'C0101', 'Tenant 1, department 1', 0),
 (13, NULL, 'Other tenant and department', 9),
 (14, 'BW', 'Both ways', 0),
 (14, 'IC', 'Incoming only', 0),
 (14, 'OG', 'Outgoing only', 0),
 (15, '0', 'In service', 0),
 (15, '1', 'Busied out', 0),
 (16, '0', 'Off', 0),
 (16, '1', 'On', 0);

INSERT INTO DialogRules VALUES
 (1, 'Enter the route number of the trunk.', '-', 'DIGIT_FILTER', '00',
     'Route (1 to 64)', 2, 1, 64, NULL, 0, 0, 0),
 (2, 'Enter the station that takes the calls of this trunk.', '-', 'STN_FILTER', '-',
     'Station number', 6, 0, 0, NULL, 0, 0, 0),
 (3, 'Enter the line signalling code in hexadecimal.', '-', 'HEX_FILTER', '00',
     'Code (00 to FF)', 2, 0, 255, NULL, 0, 0, 0),
 (4, 'Enter the time to add to the present release guard time, in steps of 10 ms.', '+',
     'DIGIT_FILTER', '0000', 'Steps to add', 3, 1, 500, NULL, 0, 0, 0),
 (5, 'Enter the restriction class and the restriction table.', '&', 'DIGIT_FILTER', '0000',
     'Class (0 to 15)', 2, 0, 15, 'Table (1 to 32)', 2, 1, 32),
 (6, 'Enter the extension that takes the calls when the trunk''s route is busy.', 'EB',
     'STN_FILTER', '-', 'Extension', 4, 0, 0, NULL, 0, 0, 0),
 (7, 'Enter the call group that takes the overflow.', 'C', 'DIGIT_FILTER', '-',
     'Call group (1 to 128)', 3, 1, 128, NULL, 0, 0, 0),
 (8, 'Enter the digits the exchange sends when the trunk is seized.', '-', 'ISDN_FILTER', '-',
     'Digits', 8, 0, 0, NULL, 0, 0, 0),
 (9, 'Enter the tenant and the department of the trunk.', 'C', 'DIGIT_FILTER', '-',
     'Tenant (1 to 16)', 2, 1, 16, 'Department (1 to 32)', 2, 1, 32);
