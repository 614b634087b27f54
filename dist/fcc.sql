-- Licence database: US licences (entity, amateur, header records) and the Canadian list.
-- The importers insert without a column list, so the column order below is fixed.
CREATE TABLE IF NOT EXISTS FCC_EN (
    unique_system_identifier TEXT,
    call_sign TEXT COLLATE NOCASE,
    licensee_id TEXT,
    entity_name TEXT,
    first_name TEXT,
    mi TEXT,
    last_name TEXT,
    street_address TEXT,
    po_box TEXT,
    city TEXT,
    state TEXT,
    zip_code TEXT,
    county TEXT,
    frn TEXT,
    service TEXT
);
CREATE TABLE IF NOT EXISTS FCC_AM (
    unique_system_identifier TEXT,
    operator_class TEXT,
    previous_callsign TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS FCC_HD (
    unique_system_identifier TEXT,
    license_status TEXT,
    grant_date TEXT,
    expired_date TEXT,
    cancellation_date TEXT,
    effective_date TEXT,
    last_action_date TEXT
);
CREATE TABLE IF NOT EXISTS canada (
    callsign TEXT COLLATE NOCASE,
    first_name TEXT,
    surname TEXT,
    address_line TEXT,
    city TEXT,
    prov TEXT,
    postal_code TEXT,
    qual_a TEXT,
    qual_b TEXT,
    qual_c TEXT,
    qual_d TEXT,
    qual_e TEXT,
    club_name1 TEXT,
    club_name2 TEXT,
    club_address TEXT,
    club_city TEXT,
    club_prov TEXT,
    club_postal TEXT
);
-- Indexes for the look-ups and searches. The importers drop a table's indexes before a bulk
-- load and build them again afterwards in the same transaction.
-- The call-sign index carries the service and the identifier, so a wildcard list reads its
-- candidates from the index alone (a one-letter prefix matches a million rows).
CREATE INDEX IF NOT EXISTS idx_en_call ON FCC_EN (call_sign, service, unique_system_identifier);
CREATE INDEX IF NOT EXISTS idx_en_usi ON FCC_EN (unique_system_identifier);
CREATE INDEX IF NOT EXISTS idx_en_frn ON FCC_EN (frn);
CREATE INDEX IF NOT EXISTS idx_en_zip ON FCC_EN (zip_code);
CREATE INDEX IF NOT EXISTS idx_en_last ON FCC_EN (last_name);
CREATE INDEX IF NOT EXISTS idx_en_city ON FCC_EN (city);
-- County and date searches: state, county and service decided in the index, the licence's
-- identifier taken from it for the joins.
CREATE INDEX IF NOT EXISTS idx_en_area ON FCC_EN (state, county, service, unique_system_identifier);
-- The amateur and header joins read every column they need from these indexes, not the tables.
CREATE INDEX IF NOT EXISTS idx_am_cover ON FCC_AM (unique_system_identifier, operator_class, previous_callsign);
CREATE INDEX IF NOT EXISTS idx_am_prev ON FCC_AM (previous_callsign);
CREATE INDEX IF NOT EXISTS idx_hd_cover ON FCC_HD (unique_system_identifier, license_status, grant_date, expired_date,
                                                  effective_date, last_action_date);
CREATE INDEX IF NOT EXISTS idx_ca_call ON canada (callsign);
CREATE INDEX IF NOT EXISTS idx_ca_surname ON canada (surname);
CREATE INDEX IF NOT EXISTS idx_ca_city ON canada (city);
CREATE INDEX IF NOT EXISTS idx_ca_postal ON canada (postal_code);
