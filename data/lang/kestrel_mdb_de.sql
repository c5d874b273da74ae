-- KESTREL.MDB in German: the template built from kestrel_mdb.sql with the
-- texts of the catalogue and of the additional-data dialog in German. Only
-- texts change; keys, values and rules stay those of the English template.
-- In German a single trunk is a "Leitung" (or "Amtsleitung"); a "Bündel"
-- is a trunk group (a route).

CREATE TEMP TABLE TitleTexts (TitleID INTEGER PRIMARY KEY, Description TEXT NOT NULL);
INSERT INTO TitleTexts VALUES
 (1,  'Leitungsbündel'),
 (2,  'Berechtigungsklasse'),
 (3,  'Wahlverfahren'),
 (4,  'Meldeüberwachung'),
 (5,  'Nachtabfragestelle'),
 (6,  'Signalisierungscode der Leitung'),
 (7,  'Auslöseschutzzeit'),
 (8,  'Wahlsperre'),
 (9,  'Überlaufziel'),
 (10, 'Bei Belegung gesendete Ziffern'),
 (11, 'Sperre für ankommende Rufe'),
 (12, 'Wartemusikquelle'),
 (13, 'Mandant und Abteilung'),
 (14, 'Verkehrsrichtung'),
 (15, 'Wartungssperre'),
 (16, 'Kalibrierung der Echounterdrückung');

-- An option is named by its item, its value (empty for a typed one) and
-- its dialog.
CREATE TEMP TABLE CodeTexts (
    TitleID     INTEGER NOT NULL,
    Data        TEXT NOT NULL,
    DialogID    INTEGER NOT NULL,
    Description TEXT NOT NULL,
    PRIMARY KEY (TitleID, Data, DialogID)
);
INSERT INTO CodeTexts VALUES
 (1, '01', 0, 'Bündel 01: Amtsleitungen'),
 (1, '02', 0, 'Bündel 02: Querverbindungen'),
 (1, '03', 0, 'Bündel 03: Mobilfunkübergang'),
 (1, '04', 0, 'Bündel 04: Notrufleitungen'),
 (1, '', 1, 'Anderes Bündel (1 bis 64)'),
 (2, '0', 0, 'Uneingeschränkt'),
 (2, '1', 0, 'Nur Inlandsgespräche'),
 (2, '2', 0, 'Nur Ortsgespräche'),
 (2, '3', 0, 'Nur intern und Notruf'),
 (3, '0', 0, 'Impulswahl 10 Imp/s'),
 (3, '1', 0, 'Impulswahl 20 Imp/s'),
 (3, '2', 0, 'Mehrfrequenzwahl'),
 (4, '0', 0, 'Keine'),
 (4, '1', 0, 'Polaritätsumkehr'),
 (4, '2', 0, 'Zeitgesteuert (12 s)'),
 (5, 'NONE', 0, 'Keine Nachtabfragestelle'),
 (5, '', 2, 'Teilnehmernummer'),
 (6, '00', 0, 'Standardcode 00'),
 (6, '', 3, 'Hexadezimaler Code (00 bis FF)'),
 (7, 'T0100', 0, 'Normal: 1000 ms'),
 (7, 'T0050', 0, 'Kurz: 500 ms'),
 (7, '', 4, 'Zur aktuellen Zeit addieren'),
 (8, '0000', 0, 'Keine Sperre'),
 (8, '', 5, 'Sperrklasse und Sperrtabelle'),
 (9, 'NONE', 0, 'Kein Überlauf'),
 (9, '', 6, 'Bei Besetzt zu einer Nebenstelle'),
 (9, '', 7, 'Überlauf zu einer Sammelgruppe'),
 (10, 'NONE', 0, 'Keine Ziffern'),
 (10, '9', 2, 'Amtskennziffer 9'),
 (10, '', 8, 'Ziffernfolge'),
 (11, '0', 0, 'Rufe erlaubt'),
 (11, '1', 0, 'Rufe gesperrt'),
 (12, '0', 0, 'Stille'),
 (12, '1', 0, 'Interne Quelle 1'),
 (12, '2', 0, 'Interne Quelle 2'),
 (12, '3', 0, 'Externe Quelle'),
 (13, 'C0101', 0, 'Mandant 1, Abteilung 1'),
 (13, '', 9, 'Anderer Mandant, andere Abteilung'),
 (14, 'BW', 0, 'Kommend und gehend'),
 (14, 'IC', 0, 'Nur kommend'),
 (14, 'OG', 0, 'Nur gehend'),
 (15, '0', 0, 'In Betrieb'),
 (15, '1', 0, 'Außer Betrieb gesetzt'),
 (16, '0', 0, 'Aus'),
 (16, '1', 0, 'Ein');

CREATE TEMP TABLE RuleTexts (
    ID          INTEGER PRIMARY KEY,
    Description TEXT NOT NULL,
    Prompt1     TEXT NOT NULL,
    Prompt2     TEXT
);
INSERT INTO RuleTexts VALUES
 (1, 'Geben Sie die Bündelnummer der Leitung ein.', 'Bündel (1 bis 64)', NULL),
 (2, 'Geben Sie den Teilnehmer ein, der die Rufe dieser Leitung annimmt.', 'Teilnehmernummer',
     NULL),
 (3, 'Geben Sie den Signalisierungscode der Leitung hexadezimal ein.', 'Code (00 bis FF)', NULL),
 (4, 'Geben Sie die Zeit ein, die zur aktuellen Auslöseschutzzeit addiert wird, in Schritten zu 10 ms.',
     'Zu addierende Schritte', NULL),
 (5, 'Geben Sie die Sperrklasse und die Sperrtabelle ein.', 'Klasse (0 bis 15)',
     'Tabelle (1 bis 32)'),
 (6, 'Geben Sie die Nebenstelle ein, die die Rufe annimmt, wenn das Bündel der Leitung besetzt ist.',
     'Nebenstelle', NULL),
 (7, 'Geben Sie die Sammelgruppe ein, die den Überlauf annimmt.', 'Sammelgruppe (1 bis 128)', NULL),
 (8, 'Geben Sie die Ziffern ein, die die Anlage bei Belegung der Leitung sendet.', 'Ziffern', NULL),
 (9, 'Geben Sie den Mandanten und die Abteilung der Leitung ein.', 'Mandant (1 bis 16)',
     'Abteilung (1 bis 32)');

UPDATE CMD30Titles SET Description = t.Description
  FROM temp.TitleTexts AS t WHERE CMD30Titles.TitleID = t.TitleID;
UPDATE CMD30Codes SET Description = t.Description
  FROM temp.CodeTexts AS t
 WHERE CMD30Codes.TitleID = t.TitleID AND COALESCE(CMD30Codes.Data, '') = t.Data
   AND CMD30Codes.DialogID = t.DialogID;
UPDATE DialogRules SET Description = t.Description, Prompt1 = t.Prompt1,
       Prompt2 = COALESCE(t.Prompt2, DialogRules.Prompt2)
  FROM temp.RuleTexts AS t WHERE DialogRules.ID = t.ID;
