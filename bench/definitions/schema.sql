-- The table the e-mail row definitions write one row per token into.
CREATE TABLE IF NOT EXISTS Emails (Address TEXT);
