-- Register.mdb: the host's registry of its add-ins.
CREATE TABLE Registry (
    AppName     TEXT PRIMARY KEY,
    Caption     TEXT,
    Version     TEXT,
    ClassName   TEXT,
    Installed   INTEGER
);

INSERT INTO Registry VALUES
 ('kestrel.wrx', 'Trunk Copy', '0.0.0', 'Kestrel10013.cOLELayer', -1),
 ('lineview.wrx', 'Line View', '2.1.0', 'LineView.cOLELayer', -1),
 ('alarmlog.wrx', 'Alarm Log', '4.0.3', 'AlarmLog.cOLELayer', 0);
