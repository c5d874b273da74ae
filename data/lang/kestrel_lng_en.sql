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
      'vbOKOnly+vbExclamation', 'Additional Data', 'HELP/kestrel.hlp', '-1'),
 (20, 'The copy has ended. What reached the destination trunks, read back from the exchange:&%CR&%ST',
      'vbOKOnly+vbInformation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (21, 'The destination trunks could not be read (&%ST&), so nothing was written.&%CR&Check the link to the exchange and try again.',
      'vbOKOnly+vbExclamation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (22, 'The copy journal cannot be used:&%CR&%ST&%CR&With the safety net on, nothing is copied without its backup. Repair or remove the file, or switch the safety net off.',
      'vbOKOnly+vbCritical', 'Copy Journal', 'HELP/kestrel.hlp', '-1'),
 (23, 'No copy of this exchange is recorded that could be undone.',
      'vbOKOnly+vbInformation', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1'),
 (24, 'Undo the copy of trunk&%SP&%ST&%SP&to&%SP&%ST&%SP&(&%ST&)?&%CR&The values the destination trunks held before it are written back.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1'),
 (25, 'These values were changed since the copy:&%ST&%CR&%CR&Yes: write the old values over them too. No: leave them as they are. Cancel: undo nothing.',
      'vbYesNoCancel+vbExclamation+vbDefaultButton2', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1'),
 (26, 'The undo has ended.&%CR&%ST',
      'vbOKOnly+vbInformation', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1'),
 (27, 'Every value the copy wrote has changed since, so nothing was written back.',
      'vbOKOnly+vbInformation', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1'),
 (28, 'The copy journal could not record this:&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Copy Journal', 'HELP/kestrel.hlp', '-1'),
 (29, 'The copy was cancelled while the destination trunks were checked.&%CR&Nothing was written.',
      'vbOKOnly+vbInformation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (30, 'The exchange link refused the request (&%ST&), so nothing was sent.&%CR&Wait a moment, then try again.',
      'vbOKOnly+vbExclamation', 'Exchange Link', 'HELP/kestrel.hlp', '-1'),
 (31, 'The source trunk could not be read (&%ST&).&%CR&The list and the stored trunk data are as they were.',
      'vbOKOnly+vbExclamation', 'Get Source Trunk', 'HELP/kestrel.hlp', '-1'),
 (32, 'The Get was cancelled.&%CR&%ST',
      'vbOKOnly+vbInformation', 'Get Source Trunk', 'HELP/kestrel.hlp', '-1'),
 (33, 'The copy was cancelled.&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (34, 'The copy did not end normally (&%ST&).&%CR&%ST',
      'vbOKOnly+vbCritical', 'Copy Trunk Data', 'HELP/kestrel.hlp', '-1'),
 (39, 'A copy is writing to the exchange (&%ST&).&%CR&Yes: Stop after the entries in flight, then close the window.&%CR&No: Keep the window open.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Close Trunk Copy', 'HELP/kestrel.hlp', '-1'),
 (40, 'A request is reading from the exchange.&%CR&Yes: Stop after the entries in flight, then close the window.&%CR&No: Keep the window open.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Close Trunk Copy', 'HELP/kestrel.hlp', '-1'),
 (41, '%ST&%CR&%CR&Copy History shows its cells. Undo reads those trunks and puts back what the copy changed.',
      'vbOKOnly+vbExclamation', 'Copy Journal', 'HELP/kestrel.hlp', '-1'),
 (38, 'These files of the language in use are missing, so English is used in their place:&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Language', 'HELP/kestrel.hlp', '-1');

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
 (18, 'Exchange request: %1 of %2 entries'),
 (19, 'Items to copy:'),
 (20, 'Changed items only'),
 (21, 'Destination trunks:'),
 (22, '… (%1 trunks)'),
 (23, 'The source trunk %1 is among the destinations: the copy would write over it.'),
 (24, 'Not assigned or refused, left out:'),
 (25, 'The destination trunks could not all be read (%1). Nothing can be copied from this preview.'),
 (26, 'Copy'),
 (27, 'Close'),
 (28, 'Trunk'),
 (29, 'Changes'),
 (30, 'Changes: %1 on %2 of %3 trunks · items chosen: %4 of %5'),
 (31, 'Time|Engineer|Kind|Exchange|Source trunk|Destinations|Summary'),
 (32, 'Trunk|Item|Old value|New value|Outcome|Detail'),
 (33, '&Open'),
 (34, '&Export...'),
 (35, '&Close'),
 (36, 'Preview|Copy|Undo'),
 (37, 'written|unchanged|refused|failed|not verified|undone|skipped|pending'),
 (38, 'Export the copy as CSV'),
 (39, 'CSV files (*.csv)'),
 (40, 'The copy could not be exported to %1: %2'),
 (41, '%1: %2 of %3 trunks'),
 (42, '%1 to %2: %3 of %4 trunks each'),
 (43, 'Not verified (answered OK, but the value is not there):'),
 (44, 'Refused by the exchange:'),
 (45, 'Failed or not sent:'),
 (46, 'Restored: %1 of %2 values, on %3 trunks'),
 (47, '%1 %2 holds %3 now (the copy wrote %4)'),
 (48, '%1 written, %2 unchanged, %3 refused, %4 failed or not sent, %5 not verified'),
 (49, 'no reply'),
 (50, 'Written, as the exchange answered:'),
 (51, 'Nothing was written, as far as the answer tells.'),
 (52, 'May have been written (the answer could not be used):'),
 (53, 'The read-back failed (%1): what is counted as written is what the exchange answered.'),
 (54, 'The answer was refused:'),
 (55, 'Nothing was read; the list is as it was.'),
 (56, 'Items read before the cancel: %1. The list shows only those.'),
 (64, 'The copy of %1 to %2 at %3 did not finish: up to %4 cells may have been written'),
 (65, 'Changed since the preview was read: %1 cells (marked). Nothing has been written; check them, then choose Copy again.'),
 (66, 'cannot be undone'),
 (67, 'Source trunk %1'),
 (68, 'The copy is stopping after the entries in flight; the window closes when it has ended.'),
 (69, 'This value is not what the preview showed before: it was read again at the moment of writing.');

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Trunk Copy',
  'Maintenance Programme Busy',
  'The maintenance programme is busy with another task, so this call to it was given up. Switch to it and finish that task, then try again.',
  'Request Pending',
  'The maintenance programme has not answered yet. Switch to it and check that it is not waiting for you.',
  'kestrel.hlp', 'EN', 'kestrel.rpt');

-- Window localisation. Captions and texts "-1" leave the design value;
INSERT INTO tForms VALUES
 ('dlgKestrel', 'Trunk&%SP&Copy', 'DejaVu Sans', 9),
 ('frmCmd', 'Additional&%SP&Data&%SP&Needed', 'DejaVu Sans', 9),
 ('frmPreview', 'Copy&%SP&Preview', 'DejaVu Sans', 9),
 ('frmHistory', 'Copy&%SP&History', 'DejaVu Sans', 9);
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
 ('dlgKestrel', 'chkSafetyNet', -1, 'Safety net: preview, read back and journal every copy', 'DejaVu Sans', 9, 'With the safety net, every copy is shown before it is written, read back after it, and recorded so that it can be undone'),
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
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '6', 'Preview Copy'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '7', 'Undo Last Copy'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '8', 'Copy History'),
 ('dlgKestrel', 'lsbMenu', -1, '2', 'Help', '1', 'Help'),
 ('dlgKestrel', 'lsbMenu', -1, '3', 'Exit', '1', 'Hide Window'),
 ('dlgKestrel', 'lsbMenu', -1, '3', '-1', '2', 'Exit');

-- The captions of the two boxes under the tree.
INSERT INTO tControls VALUES
 ('dlgKestrel', 'lblSelection', 0, 'Item', 'DejaVu Sans', 9, '-1'),
 ('dlgKestrel', 'lblSelection', 1, 'Value', 'DejaVu Sans', 9, '-1');

INSERT INTO tAccessible VALUES
 ('dlgKestrel', 'lsbMenu', -1, 'Commands', ''),
 ('dlgKestrel', 'tvwTrkData', -1, 'Trunk data catalogue', 'Items of the source trunk with the values each can take. A ring with a tick is the value read from the exchange; a diamond is a value you chose. Enter or Space chooses the option.'),
 ('dlgKestrel', 'grdTrkData', -1, 'Trunk data list', ''),
 ('dlgKestrel', 'lblCMD', -1, 'Selected item', ''),
 ('dlgKestrel', 'lblData', -1, 'Value of the selected item', ''),
 ('dlgKestrel', 'barProgress', -1, 'Progress of the request', ''),
 ('dlgKestrel', 'cmdCancel', -1, 'Cancel the request', ''),
 ('frmCmd', 'txtData1', -1, 'First value', ''),
 ('frmCmd', 'txtData2', -1, 'Second value', '');

-- Print: where the report went, and why it could not be written.
INSERT INTO tMsgBox VALUES
 (35, 'The report has been written.&%CR&File:&%SP&%ST&%CR&Folder:&%SP&%ST&%CR&%CR&Open it now?',
      'vbYesNo+vbQuestion', 'Print Report', 'HELP/kestrel.hlp', '-1'),
 (36, 'The report could not be written.&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Print Report', 'HELP/kestrel.hlp', '-1'),
 (37, 'The report could not be opened: no programme for PDF files was found.&%CR&File:&%SP&%ST&%CR&Folder:&%SP&%ST&%CR&%CR&Open the file from its folder.',
      'vbOKOnly+vbExclamation', 'Print Report', 'HELP/kestrel.hlp', '-1');
INSERT INTO tMessages VALUES
 (57, 'The report template %1 cannot be read.'),
 (58, 'The report template %1 has no line for the items.'),
 (59, 'The working data hold nothing for trunk %1. Get the trunk again, then print.'),
 (60, 'The working database %1 cannot be read: %2'),
 (61, 'The folder %1 cannot be made.'),
 (62, 'The file %1 cannot be written: %2'),
 (63, 'The report selection %1 is not understood.');

-- Answers, reports and requests that end without an answer.
INSERT INTO tMessages VALUES
 (75, 'the answer could not be read'),
 (76, 'no answer came from the exchange link'),
 (77, 'Copy undone: %1 of %2 values written back, %3 refused, %4 not written back');
INSERT INTO tMsgBox VALUES
 (50, 'No answer came from the exchange link, so the request was given up.&%CR&Check the link to the exchange, then try again.',
      'vbOKOnly+vbExclamation', 'Exchange Link', 'HELP/kestrel.hlp', '-1');

-- Input: a destination list the safety net refuses or shortens, a value a
-- "+" rule cannot add to, a station check that got no answer, a trunk
-- number held at the highest trunk.
INSERT INTO tMsgBox VALUES
 (45, 'The destination list&%SP&%ST&%SP&cannot be used:&%CR&%ST&%CR&Nothing has been read or written. Write numbers and ranges separated by commas, for example 5,8,10-20.',
      'vbOKOnly+vbExclamation', 'Destination Trunks', 'HELP/kestrel.hlp', '-1'),
 (46, 'Some destination numbers are left out:&%CR&%ST&%CR&The other destination trunks are checked and copied as usual.',
      'vbOKOnly+vbInformation', 'Destination Trunks', 'HELP/kestrel.hlp', '-1'),
 (47, 'The destination list is empty.&%CR&Write the trunks to copy to, for example 5,8,10-20.',
      'vbOKOnly+vbExclamation', 'Destination Trunks', 'HELP/kestrel.hlp', '-1'),
 (48, 'Nothing can be added to the present value "&%ST&": it does not end in a number, or the sum would be too large.&%CR&Choose another option, or Cancel.',
      'vbOKOnly+vbExclamation', 'Additional Data', 'HELP/kestrel.hlp', '-1'),
 (49, 'The station number could not be checked (&%ST&), so it has not been accepted.&%CR&Check the link to the exchange, then choose OK to ask again, or Cancel.',
      'vbOKOnly+vbExclamation', 'Station Number', 'HELP/kestrel.hlp', '-1');
INSERT INTO tMessages VALUES
 (70, 'A number is missing next to the "%1" at character %2.'),
 (71, 'The range %1 has a second dash at character %2.'),
 (72, 'The number %1 at character %2 is above the highest trunk of this exchange (%3).'),
 (73, 'Above the highest trunk (%1), left out: %2'),
 (74, 'Trunk %1 is above the highest trunk of this exchange; the number was changed to %2.');

-- The message line after a Get; the preview's count of the items "Changed
-- items only" left out.
INSERT INTO tMessages VALUES
 (78, 'Items read from trunk %1: %2.'),
 (79, 'Items left out that change nothing: %1');

-- Catalogue rows the tree could not be built from.
INSERT INTO tMsgBox VALUES
 (51, 'These rows of the catalogue could not be built into the tree and are left out of it:&%CR&%ST&%CR&The rest of the tree can be used. Tell whoever keeps the catalogue.',
      'vbOKOnly+vbExclamation', 'Trunk Data Tree', 'HELP/kestrel.hlp', '-1');
INSERT INTO tMessages VALUES
 (80, 'Item %1 "%2": %3'),
 (81, 'the option "%1" has no dialog number'),
 (82, 'the option "%1" names the dialog %2, which no dialog rule describes'),
 (83, 'the option "%1" and those after it are past the last option the tree can hold'),
 (84, 'the title key %1 is used twice');

-- The safety net switched off: the notice beside the switch and the line the
-- Copy command's tool tip gains.
INSERT INTO tMessages VALUES
 (85, 'Safety net off: copies are written without a preview, are not read back and cannot be undone.'),
 (86, 'Safety net off: nothing is shown before the copy, and nothing will be read back after it.');

-- History's filters, the mark of an entry that waits to go to the team's
-- server, why the server could not be used, and the main window's line
-- while entries wait.
INSERT INTO tMessages VALUES
 (87, 'E&ngineer:|E&xchange:|&Trunk:|&Kind:|Ti&me:'),
 (88, 'Everyone|Me'),
 (89, 'Every kind'),
 (90, 'Any time|Last hour|Today|Last 7 days|Last 30 days'),
 (91, 'waiting to be sent'),
 (92, 'The team journal server %1 cannot be reached: %2'),
 (93, 'The team journal server %1 refused the login (%2). Check the password in the PostgreSQL password file.'),
 (94, 'The team journal server %1 does not offer the encrypted connection the settings require.'),
 (95, 'The team journal on %1 has an older layout, and this login may not bring it up to date. Ask whoever keeps the server.'),
 (96, 'The team journal on %1 was set up by a newer Kestrel. Update Kestrel to use it.'),
 (97, 'The team journal server %1 refused a request: %2'),
 (98, 'Only the entries kept on this computer are shown.'),
 (99, '%1 journal entries are waiting to be sent to the team journal.');

-- Who changed each destination last: the preview's column and its warning
-- over changes made since the Get; the undo of a colleague's copy.
INSERT INTO tMsgBox VALUES
 (52, 'The last copy of this exchange was made by&%SP&%ST&%SP&on&%SP&%ST&%SP&at&%SP&%ST&: trunk&%SP&%ST&%SP&to&%SP&%ST&.&%CR&Undo their copy? The values the destination trunks held before it are written back, and the undo is recorded under your name.',
      'vbYesNo+vbExclamation+vbDefaultButton2', 'Undo Last Copy', 'HELP/kestrel.hlp', '-1');
INSERT INTO tMessages VALUES
 (100, 'Last changed'),
 (101, 'Changed by someone else since your Get: %1'),
 (102, '%1 changed this trunk after your Get of the source trunk.'),
 (103, '1 journal entry is waiting to be sent to the team journal.'),
 (104, 'The newest %1 entries are shown; the filters find older ones.');
