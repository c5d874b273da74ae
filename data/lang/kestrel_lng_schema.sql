-- Kestrel.lng: tables of the tool's own language database.
CREATE TABLE tMsgBox (
    MsgNo    INTEGER PRIMARY KEY,
    Prompt   TEXT,
    Buttons  TEXT,
    Title    TEXT,
    HelpFile TEXT,
    Context  TEXT
);

-- Short texts, picked by position: the window caption, host message-line
-- texts, titles of common message boxes and pieces of composed messages.
CREATE TABLE tMessages (
    ID      INTEGER PRIMARY KEY,
    Caption TEXT
);

-- HelpFile: the help file of this language, in the add-in's help folder;
-- empty means kestrel.hlp. Language: the language's folder under
-- LANGUAGES/ that holds its own catalogue (KESTREL.MDB), and the name of
-- Qt's own translation (qtbase_<language>); empty or EN is English, which
-- needs neither. ReportFile: the report template of this language, in the
-- add-in's report folder; empty means kestrel.rpt.
CREATE TABLE tProject (
    EXEName                   TEXT PRIMARY KEY,
    Title                     TEXT,
    OleServerBusyMsgTitle     TEXT,
    OleServerBusyMsgText      TEXT,
    OleRequestPendingMsgTitle TEXT,
    OleRequestPendingMsgText  TEXT,
    HelpFile                  TEXT,
    Language                  TEXT,
    ReportFile                TEXT
);
CREATE TABLE tForms (
    ObjectName TEXT PRIMARY KEY,
    Caption    TEXT,
    FontName   TEXT,
    FontSize   REAL
);

CREATE TABLE tControls (
    FormName    TEXT,
    ObjectName  TEXT,
    "Index"     INTEGER,
    Caption     TEXT,
    FontName    TEXT,
    FontSize    REAL,
    ToolTipText TEXT
);

-- What a screen reader says for a control: its name and, where the tool
-- tip does not say enough, a description. Controls named by their label
-- (a buddy) or their own text need no row.
CREATE TABLE tAccessible (
    FormName    TEXT,
    ObjectName  TEXT,
    "Index"     INTEGER,
    Name        TEXT,
    Description TEXT
);

CREATE TABLE tSSGridsHD (
    FormName   TEXT,
    ObjectName TEXT,
    "Index"    INTEGER,
    ColIndex   INTEGER,
    Caption    TEXT
);

CREATE TABLE tSSListBar (
    FormName      TEXT,
    ObjectName    TEXT,
    "Index"       INTEGER,
    GroupIndex    TEXT,
    Caption       TEXT,
    ListItemIndex TEXT,
    Text          TEXT
);

-- Pictures of the window's controls, by the default set's names.
CREATE TABLE tPicture (
    FormName       TEXT,
    ObjectName     TEXT,
    "Index"        INTEGER,
    FileName       TEXT,
    BasePanel      TEXT,
    BasePanelIndex INTEGER
);
INSERT INTO tPicture VALUES
 ('dlgKestrel', 'imgMainBack', -1, 'window.png', 'me', -1),
 ('dlgKestrel', 'imgBack', 0, 'window.png', 'me', -1),
 ('dlgKestrel', 'lsbMenu', -1, 'menu.png', 'me', -1);
