-- The table the Servers definition writes one row per warning or error into.
CREATE TABLE IF NOT EXISTS Events (
  Host    TEXT,
  Stamp   TEXT,
  Level   TEXT,
  Message TEXT
);
