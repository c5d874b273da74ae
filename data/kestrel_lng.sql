-- Kestrel.lng: the tool's own language database (English).
CREATE TABLE tMsgBox (
    MsgNo    INTEGER PRIMARY KEY,
    Prompt   TEXT,
    Buttons  TEXT,
    Title    TEXT,
    HelpFile TEXT,
    Context  TEXT
);

INSERT INTO tMsgBox VALUES
 (3, 'The source trunk is not assigned on this exchange.&%CR&Enter the number of an assigned trunk and choose Get again.',
     'vbOKOnly+vbExclamation', 'Get Source Trunk', 'HELP/kestrel.hlp', '-1'),
 (4, 'The destination list holds a number that is not valid or is above the highest trunk of this exchange.&%CR&Write numbers and ranges separated by commas, for example 5,8,10-20.',
     'vbOKOnly+vbExclamation+vbMsgBoxHelpButton', 'Destination Trunks', 'HELP/kestrel.hlp', '2040'),
 (5, 'These destination trunks are not assigned and were left out:&%CR&%ST',
     'vbOKOnly+vbExclamation', 'Destination Trunks', 'HELP/kestrel.hlp', '-1'),
 (6, '%ST&%CR&%CR&Check the link to the exchange, then copy to these trunks again.',
     'vbOKOnly+vbCritical', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (7, 'The trunk data has been copied to the destination trunks.',
     'vbOKOnly+vbInformation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (8, 'This station number is not assigned on the exchange.&%CR&Enter an assigned station number.',
     'vbOKOnly+vbExclamation', 'Station Number', 'HELP/kestrel.hlp', '-1'),
 (12, 'This item is not among the data of the source trunk, so its value cannot be chosen.',
      'vbOKOnly+vbInformation', 'Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (13, 'The exchange refused these items:&%CR&%ST&%CR&The other items were written.',
      'vbOKOnly+vbExclamation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1');

-- Short texts, picked by position: the window caption, host message-line
-- texts, titles of common message boxes and parts of composed messages.
CREATE TABLE tMessages (
    ID      INTEGER PRIMARY KEY,
    Caption TEXT
);

INSERT INTO tMessages VALUES
 (0, 'Trunk Copy'),
 (1, 'Exchange link'),
 (2, 'Reading the source trunk...'),
 (3, 'Request completed'),
 (4, 'Request failed'),
 (5, 'Request ended with error'),
 (6, 'Writing the destination trunks...'),
 (7, 'The copy did not reach every destination trunk.'),
 (8, 'Failed destination trunks:'),
 (9, 'Storing the trunk data...'),
 (10, 'The working database is not open'),
 (11, 'more...'),
 (12, 'Request cancelled by the engineer'),
 (13, 'Port trouble on the exchange link'),
 (14, 'Exchange Link'),
 (15, 'Trunk Copy');

CREATE TABLE tProject (
    EXEName                   TEXT PRIMARY KEY,
    Title                     TEXT,
    OleServerBusyMsgTitle     TEXT,
    OleServerBusyMsgText      TEXT,
    OleRequestPendingMsgTitle TEXT,
    OleRequestPendingMsgText  TEXT
);

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Trunk Copy',
  'Maintenance Programme Busy',
  'The maintenance programme is busy with another task. Switch to it and finish that task, then choose Retry.',
  'Request Pending',
  'The maintenance programme has not answered yet. Switch to it and check that it is not waiting for you.');
