-- Kestrel.lng in English.

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
      'vbOKOnly+vbExclamation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (15, 'A copy of&%SP&%ST&%SP&items to&%SP&%ST&%SP&trunks needs more entries than one request can carry (&%ST&).&%CR&Nothing was sent. Copy to fewer destination trunks at a time.',
      'vbOKOnly+vbExclamation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (16, 'Type a number: this value takes digits only.',
      'vbOKOnly+vbExclamation', 'Additional Data', 'HELP/kestrel.hlp', '-1');

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
 (15, 'Trunk Copy'),
 (16, 'Items the catalogue does not know were left out:'),
 (17, 'Cancel'),
 (18, 'Exchange request: %1 of %2 entries');

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Trunk Copy',
  'Maintenance Programme Busy',
  'The maintenance programme is busy with another task. Switch to it and finish that task, then choose Retry.',
  'Request Pending',
  'The maintenance programme has not answered yet. Switch to it and check that it is not waiting for you.',
  'kestrel.hlp');

-- Window localisation. Captions and texts "-1" leave the design value;
INSERT INTO tForms VALUES
 ('dlgKestrel', 'Trunk&%SP&Copy', 'DejaVu Sans', 9),
 ('frmCmd', 'Additional&%SP&Data&%SP&Needed', 'DejaVu Sans', 9);
INSERT INTO tControls VALUES
 ('dlgKestrel', 'lsbMenu', -1, '-1', 'DejaVu Sans', 9, 'Commands'),
 ('dlgKestrel', 'picPanel', 0, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'picPanel', 1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'tvwTrkData', -1, '-1', 'DejaVu Sans', 10, 'Trunk data items of the source trunk and the values each can take'),
 ('dlgKestrel', 'grdTrkData', -1, '-1', 'DejaVu Sans', 10, 'Trunk data items of the source trunk'),
 ('dlgKestrel', 'lblCMD', -1, '', 'DejaVu Sans', 10, 'The selected item'),
 ('dlgKestrel', 'lblData', -1, '', 'DejaVu Sans', 10, 'The value of the selected item'),
 ('dlgKestrel', 'lblTrunk', 0, 'Source trunk', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'lblTrunk', 1, 'Destination trunks', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'txtTrunk', -1, '-1', 'DejaVu Sans Mono', 11, 'The trunk whose data is read (1 to 3 digits)'),
 ('dlgKestrel', 'txtTrunkRange', -1, '-1', 'DejaVu Sans Mono', 11, 'Trunks to copy to: numbers and ranges, for example 5,8,10-20'),
 ('dlgKestrel', 'mnuWhatsThis', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmWhatsThis', -1, 'What''s This?', '-1', NULL, '-1'),
 ('dlgKestrel', 'mnuReset', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmRestore', -1, 'Restore Original Value', '-1', NULL, '-1'),
 ('dlgKestrel', 'mnuExpand', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmCollapse', -1, 'Collapse All', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmWhatsThis2', -1, 'What''s This?', '-1', NULL, '-1'),
 ('frmCmd', 'lblMsg', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'lblPrompt1', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'lblPrompt2', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'txtData1', -1, '-1', 'DejaVu Sans Mono', 11, '-1'),
 ('frmCmd', 'txtData2', -1, '-1', 'DejaVu Sans Mono', 11, '-1'),
 ('frmCmd', 'cmdButton', 0, 'OK', 'DejaVu Sans', 10, 'Accept the value'),
 ('frmCmd', 'cmdButton', 1, 'Cancel', 'DejaVu Sans', 10, 'Leave the value as it was');
INSERT INTO tSSGridsHD VALUES
 ('dlgKestrel', 'grdTrkData', -1, 0, 'Item'),
 ('dlgKestrel', 'grdTrkData', -1, 1, 'Value'),
 ('dlgKestrel', 'grdTrkData', -1, 2, 'Description'),
 ('dlgKestrel', 'grdTrkData', -1, 3, 'Original');
INSERT INTO tSSListBar VALUES
 ('dlgKestrel', 'lsbMenu', -1, '1', 'Trunk Copy', '1', 'View Tree'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '2', 'View List'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '3', 'Get Source Trunk'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '4', 'Copy to Trunks'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '5', 'Print Report'),
 ('dlgKestrel', 'lsbMenu', -1, '2', 'Help', '1', 'Help'),
 ('dlgKestrel', 'lsbMenu', -1, '3', 'Exit', '1', 'Hide Window'),
 ('dlgKestrel', 'lsbMenu', -1, '3', '-1', '2', 'Exit');
