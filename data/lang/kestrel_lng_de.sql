-- Kestrel.lng in German.
INSERT INTO tMsgBox VALUES
 (3, 'Das Quellbündel ist in dieser Anlage nicht eingerichtet.&%CR&Geben Sie die Nummer eines eingerichteten Bündels ein und wählen Sie erneut Holen.',
     'vbOKOnly+vbExclamation', 'Quellbündel holen', 'HELP/kestrel.hlp', '-1'),
 (4, 'Die Zielliste enthält eine ungültige Nummer oder eine Nummer über dem höchsten Bündel dieser Anlage.&%CR&Schreiben Sie Nummern und Bereiche mit Kommas getrennt, zum Beispiel 5,8,10-20.',
     'vbOKOnly+vbExclamation+vbMsgBoxHelpButton', 'Zielbündel', 'HELP/kestrel.hlp', '2040'),
 (5, 'Diese Zielbündel sind nicht eingerichtet und wurden ausgelassen:&%CR&%ST',
     'vbOKOnly+vbExclamation', 'Zielbündel', 'HELP/kestrel.hlp', '-1'),
 (6, '%ST&%CR&%CR&Prüfen Sie die Verbindung zur Anlage und kopieren Sie erneut zu diesen Bündeln.',
     'vbOKOnly+vbCritical', 'Bündeldaten kopieren', 'HELP/kestrel.hlp', '-1'),
 (7, 'Die Bündeldaten wurden zu den Zielbündeln kopiert.',
     'vbOKOnly+vbInformation', 'Bündeldaten kopieren', 'HELP/kestrel.hlp', '-1'),
 (8, 'Diese Teilnehmernummer ist in der Anlage nicht eingerichtet.&%CR&Geben Sie eine eingerichtete Teilnehmernummer ein.',
     'vbOKOnly+vbExclamation', 'Teilnehmernummer', 'HELP/kestrel.hlp', '-1'),
 (12, 'Dieses Merkmal gehört nicht zu den Daten des Quellbündels; sein Wert kann nicht gewählt werden.',
      'vbOKOnly+vbInformation', 'Bündeldaten', 'HELP/kestrel.hlp', '-1'),
 (13, 'Die Anlage hat diese Merkmale abgelehnt:&%CR&%ST&%CR&Die übrigen Merkmale wurden geschrieben.',
      'vbOKOnly+vbExclamation', 'Bündeldaten kopieren', 'HELP/kestrel.hlp', '-1'),
 (15, 'Eine Kopie von&%SP&%ST&%SP&Merkmalen zu&%SP&%ST&%SP&Bündeln braucht mehr Einträge, als ein Auftrag tragen kann (&%ST&).&%CR&Es wurde nichts gesendet. Kopieren Sie zu weniger Zielbündeln auf einmal.',
      'vbOKOnly+vbExclamation', 'Bündeldaten kopieren', 'HELP/kestrel.hlp', '-1'),
 (16, 'Geben Sie eine Zahl ein: dieser Wert nimmt nur Ziffern.',
      'vbOKOnly+vbExclamation', 'Weitere Daten', 'HELP/kestrel.hlp', '-1');

INSERT INTO tMessages VALUES
 (0, 'Bündel kopieren'),
 (1, 'Anlagenverbindung'),
 (2, 'Quellbündel wird gelesen...'),
 (3, 'Auftrag ausgeführt'),
 (4, 'Auftrag fehlgeschlagen'),
 (5, 'Auftrag mit Fehler beendet'),
 (6, 'Zielbündel werden geschrieben...'),
 (7, 'Die Kopie hat nicht alle Zielbündel erreicht.'),
 (8, 'Fehlgeschlagene Zielbündel:'),
 (9, 'Bündeldaten werden gespeichert...'),
 (10, 'Die Arbeitsdatenbank ist nicht geöffnet'),
 (11, 'weitere...'),
 (12, 'Auftrag vom Techniker abgebrochen'),
 (13, 'Portstörung auf der Anlagenverbindung'),
 (14, 'Anlagenverbindung'),
 (15, 'Bündel kopieren'),
 (16, 'Merkmale, die der Katalog nicht kennt, wurden ausgelassen:');

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Bündelkopie',
  'Wartungsprogramm beschäftigt',
  'Das Wartungsprogramm ist mit einer anderen Aufgabe beschäftigt. Wechseln Sie dorthin, beenden Sie die Aufgabe und wählen Sie Wiederholen.',
  'Auftrag ausstehend',
  'Das Wartungsprogramm hat noch nicht geantwortet. Wechseln Sie dorthin und prüfen Sie, ob es auf Sie wartet.');

INSERT INTO tForms VALUES
 ('dlgKestrel', 'Bündel&%SP&kopieren', 'DejaVu Sans', 9),
 ('frmCmd', 'Weitere&%SP&Daten&%SP&nötig', 'DejaVu Sans', 9);

INSERT INTO tControls VALUES
 ('dlgKestrel', 'lsbMenu', -1, '-1', 'DejaVu Sans', 9, 'Befehle'),
 ('dlgKestrel', 'picPanel', 0, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'picPanel', 1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'tvwTrkData', -1, '-1', 'DejaVu Sans', 10, 'Bündelmerkmale des Quellbündels und ihre möglichen Werte'),
 ('dlgKestrel', 'grdTrkData', -1, '-1', 'DejaVu Sans', 10, 'Bündelmerkmale des Quellbündels'),
 ('dlgKestrel', 'lblCMD', -1, '', 'DejaVu Sans', 10, 'Das gewählte Merkmal'),
 ('dlgKestrel', 'lblData', -1, '', 'DejaVu Sans', 10, 'Der Wert des gewählten Merkmals'),
 ('dlgKestrel', 'lblTrunk', 0, 'Quellbündel', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'lblTrunk', 1, 'Zielbündel', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'txtTrunk', -1, '-1', 'DejaVu Sans Mono', 11, 'Das Bündel, dessen Daten gelesen werden (1 bis 3 Ziffern)'),
 ('dlgKestrel', 'txtTrunkRange', -1, '-1', 'DejaVu Sans Mono', 11, 'Zielbündel: Nummern und Bereiche, zum Beispiel 5,8,10-20'),
 ('dlgKestrel', 'mnuWhatsThis', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmWhatsThis', -1, 'Direkthilfe', '-1', NULL, '-1'),
 ('dlgKestrel', 'mnuReset', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmRestore', -1, 'Ursprünglichen Wert wiederherstellen', '-1', NULL, '-1'),
 ('dlgKestrel', 'mnuExpand', -1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmCollapse', -1, 'Alle zuklappen', '-1', NULL, '-1'),
 ('dlgKestrel', 'itmWhatsThis2', -1, 'Direkthilfe', '-1', NULL, '-1'),
 ('frmCmd', 'lblMsg', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'lblPrompt1', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'lblPrompt2', -1, '-1', 'DejaVu Sans', 10, '-1'),
 ('frmCmd', 'txtData1', -1, '-1', 'DejaVu Sans Mono', 11, '-1'),
 ('frmCmd', 'txtData2', -1, '-1', 'DejaVu Sans Mono', 11, '-1'),
 ('frmCmd', 'cmdButton', 0, 'OK', 'DejaVu Sans', 10, 'Wert übernehmen'),
 ('frmCmd', 'cmdButton', 1, 'Abbrechen', 'DejaVu Sans', 10, 'Wert unverändert lassen');

INSERT INTO tSSGridsHD VALUES
 ('dlgKestrel', 'grdTrkData', -1, 0, 'Merkmal'),
 ('dlgKestrel', 'grdTrkData', -1, 1, 'Wert'),
 ('dlgKestrel', 'grdTrkData', -1, 2, 'Beschreibung'),
 ('dlgKestrel', 'grdTrkData', -1, 3, 'Ursprung');

INSERT INTO tSSListBar VALUES
 ('dlgKestrel', 'lsbMenu', -1, '1', 'Bündel kopieren', '1', 'Baum zeigen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '2', 'Liste zeigen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '3', 'Quellbündel holen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '4', 'Zu Bündeln kopieren'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '5', 'Bericht drucken'),
 ('dlgKestrel', 'lsbMenu', -1, '2', 'Hilfe', '1', 'Hilfe'),
 ('dlgKestrel', 'lsbMenu', -1, '3', 'Ende', '1', 'Fenster ausblenden'),
 ('dlgKestrel', 'lsbMenu', -1, '3', '-1', '2', 'Beenden');
