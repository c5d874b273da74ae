-- Common.LNG: tables of the suite's common language database.
CREATE TABLE tMsgBox (
    MsgNo    INTEGER PRIMARY KEY,
    Prompt   TEXT,
    Buttons  TEXT,
    Title    TEXT,
    HelpFile TEXT,
    Context  TEXT
);
