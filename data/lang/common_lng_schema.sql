-- Common.LNG: tables of the suite's common language database.
CREATE TABLE tMsgBox (
    MsgNo    INTEGER PRIMARY KEY,
    Prompt   TEXT,
    Buttons  TEXT,
    Title    TEXT,
    HelpFile TEXT,
    Context  TEXT
);

-- The files of each background set, by the default set's names.
CREATE TABLE PictureFileName (
    ID          INTEGER,
    DefaultName TEXT,
    FileName    TEXT
);
INSERT INTO PictureFileName VALUES
 (1, 'window.png', 'window_slate.png'),
 (1, 'menu.png', 'menu_slate.png'),
 (2, 'window.png', 'window_sand.png'),
 (2, 'menu.png', 'menu_sand.png');
