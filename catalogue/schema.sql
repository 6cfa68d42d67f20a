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
