-- Zip and postal code table.
CREATE TABLE IF NOT EXISTS zipcodes (
    key INTEGER PRIMARY KEY AUTOINCREMENT,
    zip TEXT,
    city TEXT,
    state TEXT,
    latitude REAL,
    longitude REAL,
    county TEXT
);
CREATE INDEX IF NOT EXISTS idx_zip_zip ON zipcodes (zip);
CREATE INDEX IF NOT EXISTS idx_zip_state ON zipcodes (state, county);
