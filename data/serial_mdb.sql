-- Serial.MDB: one counter row per add-in; the number handed out last.
CREATE TABLE SerialTable (
    Addin         TEXT PRIMARY KEY,
    SerialCounter INTEGER
);

INSERT INTO SerialTable VALUES ('KESTREL', 0);
