-- The catalogue database the program ships with: the language tables. One column pair
-- per language; the unsuffixed columns are English, the suffix D is German.
CREATE TABLE tStrings (
  StringID INTEGER PRIMARY KEY,
  Caption TEXT, Help TEXT,
  CaptionD TEXT, HelpD TEXT
);
CREATE TABLE tError (
  ErrorID INTEGER PRIMARY KEY,
  Caption TEXT, Errortext TEXT,
  CaptionD TEXT, ErrortextD TEXT
);
-- The products. Names sort and compare without regard to case, as people read them.
-- Produktgruppe is the small group number the placement asks about; ProduktgruppenID
-- decides which groups are offered and their order.
CREATE TABLE ltSerien (
  SerienID INTEGER PRIMARY KEY,
  Serie TEXT COLLATE NOCASE
);
CREATE TABLE tProduktgruppen (
  Produktgruppe INTEGER PRIMARY KEY,
  ProduktgruppenID INTEGER,
  Beschreibung TEXT COLLATE NOCASE,
  BeschreibungD TEXT COLLATE NOCASE
);
-- Sizes in centimetres, empty when unknown; Plangrafik names the plan bitmap in
-- images/ (its variant digit "2" is the fifth character from the end), empty when the
-- product has no plan graphic.
CREATE TABLE tKatalog (
  KatalogID INTEGER PRIMARY KEY,
  SerienID INTEGER,
  ModellNr INTEGER,
  Produktgruppe1 INTEGER,
  Bezeichnung TEXT COLLATE NOCASE, Text TEXT,
  BezeichnungD TEXT COLLATE NOCASE, TextD TEXT,
  Breite NUMERIC, Tiefe NUMERIC, Höhe NUMERIC,
  Plangrafik TEXT, Illustration TEXT
);
CREATE INDEX tKatalogSerie ON tKatalog (SerienID);
CREATE INDEX tKatalogGruppe ON tKatalog (Produktgruppe1);
