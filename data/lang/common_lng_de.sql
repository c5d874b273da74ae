-- Common.LNG in German.
INSERT INTO tMsgBox VALUES
 (1, 'Der Auftrag konnte nicht beendet werden: die Verbindung zur Anlage ist gestört.&%CR&Einige Daten wurden vielleicht nicht gelesen oder geschrieben.',
     'vbOKOnly+vbCritical', '-1', '', '-1'),
 (2, 'Sollen die Änderungen gespeichert werden?', 'vbYesNoCancel+vbQuestion', '-1', '', '-1'),
 (7, 'Der Auftrag ist ausgeführt.', 'vbOKOnly+vbInformation', '-1', '', '-1'),
 (16, 'Die eingegebene Nummer gehört zu einem Anschluss anderer Art und kann hier nicht verwendet werden.',
      'vbOKOnly+vbExclamation', '-1', '', '-1'),
 (17, 'Es sind keine Leitungsdaten vorhanden.&%CR&Lesen Sie zuerst eine Quellleitung mit „Quellleitung holen“.',
      'vbOKOnly+vbExclamation', '-1', '', '-1'),
 (20, 'Die Verbindung zur Anlage ist belegt oder nicht verfügbar.&%CR&Warten Sie einen Moment und versuchen Sie es erneut.',
      'vbOKOnly+vbExclamation', '-1', '', '-1');
