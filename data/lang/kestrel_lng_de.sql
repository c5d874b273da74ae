-- Kestrel.lng in German.
INSERT INTO tMsgBox VALUES
 (3, 'Die Quellleitung ist in dieser Anlage nicht eingerichtet.&%CR&Geben Sie die Nummer einer eingerichteten Leitung ein und wählen Sie erneut „Quellleitung holen“.',
     'vbOKOnly+vbExclamation', 'Quellleitung holen', 'HELP/kestrel_de.hlp', '-1'),
 (4, 'Die Zielliste enthält eine ungültige Nummer oder eine Nummer über der höchsten Leitung dieser Anlage.&%CR&Schreiben Sie Nummern und Bereiche mit Kommas getrennt, zum Beispiel 5,8,10-20.',
     'vbOKOnly+vbExclamation+vbMsgBoxHelpButton', 'Zielleitungen', 'HELP/kestrel_de.hlp', '2040'),
 (5, 'Diese Zielleitungen sind nicht eingerichtet und wurden ausgelassen:&%CR&%ST',
     'vbOKOnly+vbExclamation', 'Zielleitungen', 'HELP/kestrel_de.hlp', '-1'),
 (6, '%ST&%CR&%CR&Prüfen Sie die Verbindung zur Anlage und kopieren Sie erneut zu diesen Leitungen.',
     'vbOKOnly+vbCritical', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (7, 'Die Leitungsdaten wurden zu den Zielleitungen kopiert.',
     'vbOKOnly+vbInformation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (8, 'Diese Teilnehmernummer ist in der Anlage nicht eingerichtet.&%CR&Geben Sie eine eingerichtete Teilnehmernummer ein.',
     'vbOKOnly+vbExclamation', 'Teilnehmernummer', 'HELP/kestrel_de.hlp', '-1'),
 (12, 'Dieses Merkmal gehört nicht zu den Daten der Quellleitung; sein Wert kann nicht gewählt werden.',
      'vbOKOnly+vbInformation', 'Leitungsdaten', 'HELP/kestrel_de.hlp', '-1'),
 (13, 'Die Anlage hat diese Merkmale abgelehnt:&%CR&%ST&%CR&Die übrigen Merkmale wurden geschrieben.',
      'vbOKOnly+vbExclamation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (15, 'Eine Kopie von&%SP&%ST&%SP&Merkmalen zu&%SP&%ST&%SP&Leitungen braucht mehr Einträge, als ein Auftrag tragen kann (&%ST&).&%CR&Es wurde nichts gesendet. Kopieren Sie zu weniger Zielleitungen auf einmal.',
      'vbOKOnly+vbExclamation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (16, 'Geben Sie eine Zahl ein: dieser Wert nimmt nur Ziffern.',
      'vbOKOnly+vbExclamation', 'Weitere Daten', 'HELP/kestrel_de.hlp', '-1');

INSERT INTO tMessages VALUES
 (0, 'Leitungen kopieren'),
 (1, 'Anlagenverbindung'),
 (2, 'Quellleitung wird gelesen...'),
 (3, 'Auftrag ausgeführt'),
 (4, 'Auftrag fehlgeschlagen'),
 (5, 'Auftrag mit Fehler beendet'),
 (6, 'Zielleitungen werden geschrieben...'),
 (7, 'Die Kopie hat nicht alle Zielleitungen erreicht.'),
 (8, 'Fehlgeschlagene Zielleitungen:'),
 (9, 'Leitungsdaten werden gespeichert...'),
 (10, 'Die Arbeitsdatenbank ist nicht geöffnet'),
 (11, 'weitere...'),
 (12, 'Auftrag vom Techniker abgebrochen'),
 (13, 'Portstörung auf der Anlagenverbindung'),
 (14, 'Anlagenverbindung'),
 (15, 'Leitungen kopieren'),
 (16, 'Merkmale, die der Katalog nicht kennt, wurden ausgelassen:'),
 (17, 'Abbrechen'),
 (18, 'Anlagenauftrag: %1 von %2 Einträgen');

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Leitungskopie',
  'Wartungsprogramm beschäftigt',
  'Das Wartungsprogramm ist mit einer anderen Aufgabe beschäftigt. Wechseln Sie dorthin, beenden Sie die Aufgabe und wählen Sie Wiederholen.',
  'Auftrag ausstehend',
  'Das Wartungsprogramm hat noch nicht geantwortet. Wechseln Sie dorthin und prüfen Sie, ob es auf Sie wartet.',
  'kestrel_de.hlp');

INSERT INTO tForms VALUES
 ('dlgKestrel', 'Leitungen&%SP&kopieren', 'DejaVu Sans', 9),
 ('frmCmd', 'Weitere&%SP&Daten&%SP&nötig', 'DejaVu Sans', 9);

INSERT INTO tControls VALUES
 ('dlgKestrel', 'lsbMenu', -1, '-1', 'DejaVu Sans', 9, 'Befehle'),
 ('dlgKestrel', 'picPanel', 0, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'picPanel', 1, '-1', '-1', NULL, '-1'),
 ('dlgKestrel', 'tvwTrkData', -1, '-1', 'DejaVu Sans', 10, 'Leitungsmerkmale der Quellleitung und ihre möglichen Werte'),
 ('dlgKestrel', 'grdTrkData', -1, '-1', 'DejaVu Sans', 10, 'Leitungsmerkmale der Quellleitung'),
 ('dlgKestrel', 'lblCMD', -1, '', 'DejaVu Sans', 10, 'Das gewählte Merkmal'),
 ('dlgKestrel', 'lblData', -1, '', 'DejaVu Sans', 10, 'Der Wert des gewählten Merkmals'),
 ('dlgKestrel', 'lblTrunk', 0, 'Quellleitung', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'lblTrunk', 1, 'Zielleitungen', 'DejaVu Sans', 10, '-1'),
 ('dlgKestrel', 'txtTrunk', -1, '-1', 'DejaVu Sans Mono', 11, 'Die Leitung, deren Daten gelesen werden (1 bis 3 Ziffern)'),
 ('dlgKestrel', 'txtTrunkRange', -1, '-1', 'DejaVu Sans Mono', 11, 'Zielleitungen: Nummern und Bereiche, zum Beispiel 5,8,10-20'),
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
 ('dlgKestrel', 'lsbMenu', -1, '1', 'Leitungen kopieren', '1', 'Baum zeigen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '2', 'Liste zeigen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '3', 'Quellleitung holen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '4', 'Zu Leitungen kopieren'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '5', 'Bericht drucken'),
 ('dlgKestrel', 'lsbMenu', -1, '2', 'Hilfe', '1', 'Hilfe'),
 ('dlgKestrel', 'lsbMenu', -1, '3', 'Ende', '1', 'Fenster ausblenden'),
 ('dlgKestrel', 'lsbMenu', -1, '3', '-1', '2', 'Beenden');
