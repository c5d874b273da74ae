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
      'vbOKOnly+vbExclamation', 'Weitere Daten', 'HELP/kestrel_de.hlp', '-1'),
 (20, 'Die Kopie ist beendet. Was die Zielleitungen erreicht hat, aus der Anlage zurückgelesen:&%CR&%ST',
      'vbOKOnly+vbInformation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (21, 'Die Zielleitungen konnten nicht gelesen werden (&%ST&), daher wurde nichts geschrieben.&%CR&Prüfen Sie die Verbindung zur Anlage und versuchen Sie es erneut.',
      'vbOKOnly+vbExclamation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (22, 'Das Kopierprotokoll kann nicht benutzt werden:&%CR&%ST&%CR&Mit eingeschaltetem Sicherheitsnetz wird nichts ohne Sicherung kopiert. Reparieren oder entfernen Sie die Datei, oder schalten Sie das Sicherheitsnetz aus.',
      'vbOKOnly+vbCritical', 'Kopierprotokoll', 'HELP/kestrel_de.hlp', '-1'),
 (23, 'Für diese Anlage ist keine Kopie aufgezeichnet, die rückgängig gemacht werden könnte.',
      'vbOKOnly+vbInformation', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1'),
 (24, 'Die Kopie von Leitung&%SP&%ST&%SP&nach&%SP&%ST&%SP&(&%ST&) rückgängig machen?&%CR&Die Werte, die die Zielleitungen vorher hatten, werden zurückgeschrieben.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1'),
 (25, 'Diese Werte wurden seit der Kopie geändert:&%ST&%CR&%CR&Ja: auch sie mit den alten Werten überschreiben. Nein: sie so lassen. Abbrechen: nichts rückgängig machen.',
      'vbYesNoCancel+vbExclamation+vbDefaultButton2', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1'),
 (26, 'Das Rückgängigmachen ist beendet.&%CR&%ST',
      'vbOKOnly+vbInformation', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1'),
 (27, 'Jeder von der Kopie geschriebene Wert wurde seither geändert, daher wurde nichts zurückgeschrieben.',
      'vbOKOnly+vbInformation', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1'),
 (28, 'Das Kopierprotokoll konnte dies nicht aufzeichnen:&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Kopierprotokoll', 'HELP/kestrel_de.hlp', '-1'),
 (29, 'Die Kopie wurde abgebrochen, während die Zielleitungen geprüft wurden.&%CR&Es wurde nichts geschrieben.',
      'vbOKOnly+vbInformation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (30, 'Die Anlagenverbindung hat den Auftrag abgelehnt (&%ST&), daher wurde nichts gesendet.&%CR&Warten Sie einen Moment und versuchen Sie es erneut.',
      'vbOKOnly+vbExclamation', 'Anlagenverbindung', 'HELP/kestrel_de.hlp', '-1'),
 (31, 'Die Quellleitung konnte nicht gelesen werden (&%ST&).&%CR&Die Liste und die gespeicherten Leitungsdaten sind unverändert.',
      'vbOKOnly+vbExclamation', 'Quellleitung holen', 'HELP/kestrel_de.hlp', '-1'),
 (32, 'Das Lesen der Quellleitung wurde abgebrochen.&%CR&%ST',
      'vbOKOnly+vbInformation', 'Quellleitung holen', 'HELP/kestrel_de.hlp', '-1'),
 (33, 'Die Kopie wurde abgebrochen.&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (34, 'Die Kopie wurde nicht regulär beendet (&%ST&).&%CR&%ST',
      'vbOKOnly+vbCritical', 'Leitungsdaten kopieren', 'HELP/kestrel_de.hlp', '-1'),
 (39, 'Eine Kopie schreibt in die Anlage (&%ST&).&%CR&Ja: Nach den laufenden Einträgen anhalten, dann das Fenster schließen.&%CR&Nein: Das Fenster offen lassen.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Leitungen kopieren schließen', 'HELP/kestrel_de.hlp', '-1'),
 (40, 'Eine Anfrage liest aus der Anlage.&%CR&Ja: Nach den laufenden Einträgen anhalten, dann das Fenster schließen.&%CR&Nein: Das Fenster offen lassen.',
      'vbYesNo+vbQuestion+vbDefaultButton2', 'Leitungen kopieren schließen', 'HELP/kestrel_de.hlp', '-1'),
 (41, '%ST&%CR&%CR&Der Kopierverlauf zeigt ihre Zellen. Rückgängig liest diese Leitungen und schreibt zurück, was die Kopie geändert hat.',
      'vbOKOnly+vbExclamation', 'Kopierprotokoll', 'HELP/kestrel_de.hlp', '-1'),
 (38, 'Diese Dateien der eingestellten Sprache fehlen, daher wird an ihrer Stelle Englisch verwendet:&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Sprache', 'HELP/kestrel_de.hlp', '-1');

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
 (18, 'Anlagenauftrag: %1 von %2 Einträgen'),
 (19, 'Zu kopierende Merkmale:'),
 (20, 'Nur geänderte Merkmale'),
 (21, 'Zielleitungen:'),
 (22, '… (%1 Leitungen)'),
 (23, 'Die Quellleitung %1 ist unter den Zielleitungen: die Kopie würde sie überschreiben.'),
 (24, 'Nicht eingerichtet oder abgelehnt, ausgelassen:'),
 (25, 'Die Zielleitungen konnten nicht alle gelesen werden (%1). Aus dieser Vorschau kann nichts kopiert werden.'),
 (26, 'Kopieren'),
 (27, 'Schließen'),
 (28, 'Leitung'),
 (29, 'Änderungen'),
 (30, 'Änderungen: %1 auf %2 von %3 Leitungen · gewählte Merkmale: %4 von %5'),
 (31, 'Zeit|Techniker|Art|Anlage|Quellleitung|Zielleitungen|Zusammenfassung'),
 (32, 'Leitung|Merkmal|Alter Wert|Neuer Wert|Ergebnis|Meldung'),
 (33, '&Öffnen'),
 (34, '&Exportieren...'),
 (35, '&Schließen'),
 (36, 'Vorschau|Kopie|Rückgängig'),
 (37, 'geschrieben|unverändert|abgewiesen|fehlgeschlagen|nicht bestätigt|rückgängig gemacht|übersprungen|ausstehend'),
 (38, 'Kopie als CSV exportieren'),
 (39, 'CSV-Dateien (*.csv)'),
 (40, 'Die Kopie konnte nicht nach %1 exportiert werden: %2'),
 (41, '%1: %2 von %3 Leitungen'),
 (42, '%1 bis %2: je %3 von %4 Leitungen'),
 (43, 'Nicht bestätigt (mit OK beantwortet, aber der Wert ist nicht da):'),
 (44, 'Von der Anlage abgelehnt:'),
 (45, 'Fehlgeschlagen oder nicht gesendet:'),
 (46, 'Wiederhergestellt: %1 von %2 Werten, auf %3 Leitungen'),
 (47, '%1 %2 hat jetzt %3 (die Kopie schrieb %4)'),
 (48, '%1 geschrieben, %2 unverändert, %3 abgelehnt, %4 fehlgeschlagen oder nicht gesendet, %5 nicht bestätigt'),
 (49, 'keine Antwort'),
 (50, 'Geschrieben, laut Antwort der Anlage:'),
 (51, 'Laut Antwort wurde nichts geschrieben.'),
 (52, 'Möglicherweise geschrieben (die Antwort war nicht verwertbar):'),
 (53, 'Das Zurücklesen ist fehlgeschlagen (%1): als geschrieben zählt, was die Anlage geantwortet hat.'),
 (54, 'Die Antwort wurde abgelehnt:'),
 (55, 'Es wurde nichts gelesen; die Liste ist unverändert.'),
 (56, 'Vor dem Abbruch gelesene Merkmale: %1. Die Liste zeigt nur diese.'),
 (64, 'Die Kopie von %1 nach %2 um %3 wurde nicht beendet: bis zu %4 Zellen können geschrieben worden sein'),
 (65, 'Seit dem Lesen der Vorschau geändert: %1 Zellen (markiert). Es wurde nichts geschrieben; prüfen Sie sie und wählen Sie dann erneut Kopieren.'),
 (66, 'nicht rückgängig zu machen'),
 (67, 'Quellleitung %1'),
 (68, 'Die Kopie hält nach den laufenden Einträgen an; das Fenster schließt sich, wenn sie beendet ist.'),
 (69, 'Dieser Wert ist nicht der, den die Vorschau zuvor zeigte: Er wurde beim Schreiben neu gelesen.');

INSERT INTO tProject VALUES
 ('Kestrel', 'Kestrel Leitungskopie',
  'Wartungsprogramm beschäftigt',
  'Das Wartungsprogramm ist mit einer anderen Aufgabe beschäftigt, daher wurde dieser Aufruf aufgegeben. Wechseln Sie dorthin, beenden Sie die Aufgabe und versuchen Sie es dann erneut.',
  'Auftrag ausstehend',
  'Das Wartungsprogramm hat noch nicht geantwortet. Wechseln Sie dorthin und prüfen Sie, ob es auf Sie wartet.',
  'kestrel_de.hlp', 'DE', 'kestrel_de.rpt');

INSERT INTO tForms VALUES
 ('dlgKestrel', 'Leitungen&%SP&kopieren', 'DejaVu Sans', 9),
 ('frmCmd', 'Weitere&%SP&Daten&%SP&nötig', 'DejaVu Sans', 9),
 ('frmPreview', 'Vorschau&%SP&der&%SP&Kopie', 'DejaVu Sans', 9),
 ('frmHistory', 'Kopierverlauf', 'DejaVu Sans', 9);

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
 ('dlgKestrel', 'chkSafetyNet', -1, 'Sicherheitsnetz: jede Kopie vorab zeigen, zurücklesen und protokollieren', 'DejaVu Sans', 9, 'Mit dem Sicherheitsnetz wird jede Kopie vor dem Schreiben gezeigt, danach zurückgelesen und protokolliert, so dass sie rückgängig gemacht werden kann'),
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
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '6', 'Kopie vorab ansehen'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '7', 'Kopie rückgängig'),
 ('dlgKestrel', 'lsbMenu', -1, '1', '-1', '8', 'Kopierverlauf'),
 ('dlgKestrel', 'lsbMenu', -1, '2', 'Hilfe', '1', 'Hilfe'),
 ('dlgKestrel', 'lsbMenu', -1, '3', 'Ende', '1', 'Fenster ausblenden'),
 ('dlgKestrel', 'lsbMenu', -1, '3', '-1', '2', 'Beenden');

-- Die Beschriftungen der beiden Felder unter dem Baum.
INSERT INTO tControls VALUES
 ('dlgKestrel', 'lblSelection', 0, 'Merkmal', 'DejaVu Sans', 9, '-1'),
 ('dlgKestrel', 'lblSelection', 1, 'Wert', 'DejaVu Sans', 9, '-1');

INSERT INTO tAccessible VALUES
 ('dlgKestrel', 'lsbMenu', -1, 'Befehle', ''),
 ('dlgKestrel', 'tvwTrkData', -1, 'Katalog der Leitungsmerkmale', 'Merkmale der Quellleitung mit ihren möglichen Werten. Ein Ring mit Haken ist der aus der Anlage gelesene Wert, eine Raute ein von Ihnen gewählter Wert. Eingabe oder Leertaste wählt die Option.'),
 ('dlgKestrel', 'grdTrkData', -1, 'Liste der Leitungsmerkmale', ''),
 ('dlgKestrel', 'lblCMD', -1, 'Gewähltes Merkmal', ''),
 ('dlgKestrel', 'lblData', -1, 'Wert des gewählten Merkmals', ''),
 ('dlgKestrel', 'barProgress', -1, 'Fortschritt des Auftrags', ''),
 ('dlgKestrel', 'cmdCancel', -1, 'Auftrag abbrechen', ''),
 ('frmCmd', 'txtData1', -1, 'Erster Wert', ''),
 ('frmCmd', 'txtData2', -1, 'Zweiter Wert', '');

-- Drucken: wohin der Bericht ging, und warum er nicht geschrieben wurde.
INSERT INTO tMsgBox VALUES
 (35, 'Der Bericht wurde gespeichert.&%CR&Datei:&%SP&%ST&%CR&Ordner:&%SP&%ST&%CR&%CR&Jetzt öffnen?',
      'vbYesNo+vbQuestion', 'Bericht drucken', 'HELP/kestrel_de.hlp', '-1'),
 (36, 'Der Bericht konnte nicht geschrieben werden.&%CR&%ST',
      'vbOKOnly+vbExclamation', 'Bericht drucken', 'HELP/kestrel_de.hlp', '-1'),
 (37, 'Der Bericht konnte nicht geöffnet werden: Es wurde kein Programm für PDF-Dateien gefunden.&%CR&Datei:&%SP&%ST&%CR&Ordner:&%SP&%ST&%CR&%CR&Öffnen Sie die Datei aus ihrem Ordner.',
      'vbOKOnly+vbExclamation', 'Bericht drucken', 'HELP/kestrel_de.hlp', '-1');
INSERT INTO tMessages VALUES
 (57, 'Die Berichtsvorlage %1 kann nicht gelesen werden.'),
 (58, 'Die Berichtsvorlage %1 enthält keine Zeile für die Merkmale.'),
 (59, 'Die Arbeitsdaten enthalten nichts zur Leitung %1. Holen Sie die Leitung erneut und drucken Sie dann.'),
 (60, 'Die Arbeitsdatenbank %1 kann nicht gelesen werden: %2'),
 (61, 'Der Ordner %1 kann nicht angelegt werden.'),
 (62, 'Die Datei %1 kann nicht geschrieben werden: %2'),
 (63, 'Die Berichtsauswahl %1 ist nicht verständlich.');

-- Antworten, Berichte und Aufträge, die ohne Antwort enden.
INSERT INTO tMessages VALUES
 (75, 'die Antwort konnte nicht gelesen werden'),
 (76, 'von der Anlagenverbindung kam keine Antwort'),
 (77, 'Kopie rückgängig gemacht: %1 von %2 Werten zurückgeschrieben, %3 abgelehnt, %4 nicht zurückgeschrieben');
INSERT INTO tMsgBox VALUES
 (50, 'Von der Anlagenverbindung kam keine Antwort, daher wurde der Auftrag aufgegeben.&%CR&Prüfen Sie die Verbindung zur Anlage und versuchen Sie es dann erneut.',
      'vbOKOnly+vbExclamation', 'Anlagenverbindung', 'HELP/kestrel_de.hlp', '-1');

-- Eingabe: eine Zielliste, die das Sicherheitsnetz ablehnt oder kürzt, ein
-- Wert, zu dem eine "+"-Regel nichts addieren kann, eine Teilnehmerprüfung
-- ohne Antwort, eine auf die höchste Leitung gesetzte Leitungsnummer.
INSERT INTO tMsgBox VALUES
 (45, 'Die Zielliste&%SP&%ST&%SP&kann nicht verwendet werden:&%CR&%ST&%CR&Es wurde nichts gelesen oder geschrieben. Schreiben Sie Nummern und Bereiche mit Kommas getrennt, zum Beispiel 5,8,10-20.',
      'vbOKOnly+vbExclamation', 'Zielleitungen', 'HELP/kestrel_de.hlp', '-1'),
 (46, 'Einige Zielnummern werden ausgelassen:&%CR&%ST&%CR&Die übrigen Zielleitungen werden wie gewohnt geprüft und kopiert.',
      'vbOKOnly+vbInformation', 'Zielleitungen', 'HELP/kestrel_de.hlp', '-1'),
 (47, 'Die Zielliste ist leer.&%CR&Schreiben Sie die Leitungen, auf die kopiert werden soll, zum Beispiel 5,8,10-20.',
      'vbOKOnly+vbExclamation', 'Zielleitungen', 'HELP/kestrel_de.hlp', '-1'),
 (48, 'Zum aktuellen Wert "&%ST&" kann nichts addiert werden: Er endet nicht mit einer Zahl, oder die Summe wäre zu groß.&%CR&Wählen Sie eine andere Option oder Abbrechen.',
      'vbOKOnly+vbExclamation', 'Weitere Daten', 'HELP/kestrel_de.hlp', '-1'),
 (49, 'Die Teilnehmernummer konnte nicht geprüft werden (&%ST&), daher wurde sie nicht übernommen.&%CR&Prüfen Sie die Verbindung zur Anlage und wählen Sie dann OK, um erneut zu fragen, oder Abbrechen.',
      'vbOKOnly+vbExclamation', 'Teilnehmernummer', 'HELP/kestrel_de.hlp', '-1');
INSERT INTO tMessages VALUES
 (70, 'Neben dem Zeichen „%1“ an Position %2 fehlt eine Nummer.'),
 (71, 'Der Bereich %1 hat an Position %2 einen zweiten Bindestrich.'),
 (72, 'Die Nummer %1 an Position %2 liegt über der höchsten Leitung dieser Anlage (%3).'),
 (73, 'Über der höchsten Leitung (%1), ausgelassen: %2'),
 (74, 'Leitung %1 liegt über der höchsten Leitung dieser Anlage; die Nummer wurde in %2 geändert.');

-- Die Meldezeile nach dem Holen; die Zahl der Merkmale, die "Nur geänderte
-- Merkmale" ausgelassen hat.
INSERT INTO tMessages VALUES
 (78, 'Von Leitung %1 gelesene Merkmale: %2.'),
 (79, 'Ausgelassene Merkmale ohne Änderung: %1');

-- Katalogzeilen, aus denen der Baum nicht aufgebaut werden konnte.
INSERT INTO tMsgBox VALUES
 (51, 'Diese Zeilen des Katalogs konnten nicht in den Baum übernommen werden und fehlen darin:&%CR&%ST&%CR&Der übrige Baum kann verwendet werden. Geben Sie dem Bescheid, der den Katalog pflegt.',
      'vbOKOnly+vbExclamation', 'Leitungsdatenbaum', 'HELP/kestrel_de.hlp', '-1');
INSERT INTO tMessages VALUES
 (80, 'Eintrag %1 „%2“: %3'),
 (81, 'die Option „%1“ hat keine Dialognummer'),
 (82, 'die Option „%1“ nennt den Dialog %2, den keine Dialogregel beschreibt'),
 (83, 'die Option „%1“ und die folgenden liegen hinter der letzten Option, die der Baum fassen kann'),
 (84, 'der Titelschlüssel %1 kommt zweimal vor');

-- Das Sicherheitsnetz ist ausgeschaltet: der Hinweis beim Schalter und die
-- Zeile, um die der Tooltip des Befehls Kopieren wächst.
INSERT INTO tMessages VALUES
 (85, 'Sicherheitsnetz aus: Kopien werden ohne Vorschau geschrieben, nicht zurückgelesen und können nicht rückgängig gemacht werden.'),
 (86, 'Sicherheitsnetz aus: Vor der Kopie wird nichts gezeigt, und danach wird nichts zurückgelesen.');

-- Die Filter des Verlaufs, die Markierung eines Eintrags, der noch an den
-- Server des Teams geht, warum der Server nicht zu nutzen war, und die Zeile
-- des Hauptfensters, solange Einträge warten.
INSERT INTO tMessages VALUES
 (87, '&Techniker:|&Anlage:|&Leitung:|A&rt:|&Zeitraum:'),
 (88, 'Alle|Ich'),
 (89, 'Jede Art'),
 (90, 'Jederzeit|Letzte Stunde|Heute|Letzte 7 Tage|Letzte 30 Tage'),
 (91, 'wartet auf das Senden'),
 (92, 'Der Server des Teamjournals %1 ist nicht erreichbar: %2'),
 (93, 'Der Server des Teamjournals %1 hat die Anmeldung abgewiesen (%2). Prüfen Sie das Passwort in der Passwortdatei von PostgreSQL.'),
 (94, 'Der Server des Teamjournals %1 bietet die verschlüsselte Verbindung nicht an, die die Einstellungen verlangen.'),
 (95, 'Das Teamjournal auf %1 hat einen älteren Aufbau, und diese Anmeldung darf ihn nicht aktualisieren. Wenden Sie sich an die Betreuung des Servers.'),
 (96, 'Das Teamjournal auf %1 wurde von einem neueren Kestrel angelegt. Aktualisieren Sie Kestrel, um es zu nutzen.'),
 (97, 'Der Server des Teamjournals %1 hat eine Anfrage abgewiesen: %2'),
 (98, 'Es werden nur die Einträge dieses Computers gezeigt.'),
 (99, '%1 Journaleinträge warten darauf, an das Teamjournal gesendet zu werden.');
-- Wer jede Zielleitung zuletzt geändert hat: die Spalte der Vorschau und ihre
-- Warnung vor Änderungen seit dem Holen; das Rückgängigmachen der Kopie eines
-- Kollegen.
INSERT INTO tMsgBox VALUES
 (52, 'Die letzte Kopie dieser Anlage hat&%SP&%ST&%SP&am&%SP&%ST&%SP&um&%SP&%ST&%SP&gemacht: Leitung&%SP&%ST&%SP&nach&%SP&%ST&.&%CR&Diese Kopie rückgängig machen? Die Werte, die die Zielleitungen vorher hatten, werden zurückgeschrieben, und das Rückgängigmachen wird unter Ihrem Namen aufgezeichnet.',
      'vbYesNo+vbExclamation+vbDefaultButton2', 'Letzte Kopie rückgängig', 'HELP/kestrel_de.hlp', '-1');
INSERT INTO tMessages VALUES
 (100, 'Zuletzt geändert'),
 (101, 'Seit Sie die Quellleitung geholt haben, von jemand anderem geändert: %1'),
 (102, '%1 hat diese Leitung geändert, nachdem Sie die Quellleitung geholt haben.'),
 (103, '1 Journaleintrag wartet darauf, an das Teamjournal gesendet zu werden.'),
 (104, 'Die neuesten %1 Einträge werden gezeigt; die Filter finden ältere.');
