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
-- The height band of a product above the floor, in whole centimetres: two products
-- whose bands do not overlap may stand over one another (a basin on its vanity unit,
-- a mirror cabinet above it). A product without a row collides with everything.
CREATE TABLE tHoehen (
  KatalogID INTEGER PRIMARY KEY,
  Unterkante INTEGER,
  Oberkante INTEGER
);
-- The free area a person needs in front of a product of the group, in centimetres,
-- centred on the product's front: width and depth for a private bathroom, for a
-- barrier-free one (BF) and for a wheelchair user (R); the least distance to the
-- side from a wall or the next object (0 for tubs and trays, built in wall to wall),
-- and between objects facing each other.
CREATE TABLE tBewegungsflaechen (
  Produktgruppe INTEGER PRIMARY KEY,
  Breite INTEGER, Tiefe INTEGER,
  BreiteBF INTEGER, TiefeBF INTEGER,
  BreiteR INTEGER, TiefeR INTEGER,
  Seitenabstand INTEGER, Gegenueber INTEGER
);
