-- Common.LNG in English.

INSERT INTO tMsgBox VALUES
 (1, 'The request could not be completed: the link to the exchange failed.&%CR&Some data may not have been read or written.',
     'vbOKOnly+vbCritical', '-1', '', '-1'),
 (2, 'Do you want to save the changes?', 'vbYesNoCancel+vbQuestion', '-1', '', '-1'),
 (7, 'The request has been completed.', 'vbOKOnly+vbInformation', '-1', '', '-1'),
 (16, 'The number entered belongs to a line of another kind and cannot be used here.',
      'vbOKOnly+vbExclamation', '-1', '', '-1'),
 (17, 'There is no trunk data to work with.&%CR&Read a source trunk with Get first.',
      'vbOKOnly+vbExclamation', '-1', '', '-1'),
 (20, 'The exchange link is busy or not available.&%CR&Wait a moment, then try again.',
      'vbOKOnly+vbExclamation', '-1', '', '-1');
