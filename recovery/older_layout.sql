-- The tables and indexes of the older ("v5", also "v4") catalogue layout, from
-- which the build makes the empty recovery.db shipped beside the program.
-- Column order is significant: readers take columns by position.
--
-- Declared column types name the Access type of the column:
--   COUNTER  = AutoNumber (Long Integer, increment)   LONG     = Number, Long Integer
--   INTEGER  = Number, Integer (16-bit)               BYTE     = Number, Byte (0-255)
--   DOUBLE   = Number, Double                         CURRENCY = Currency
--   YESNO    = Yes/No                                 DATETIME = Date/Time
--   TEXT(n)  = Text, n characters at most             MEMO     = Memo (long text)

CREATE TABLE SERIES (
  IdSerie COUNTER NOT NULL,
  Titre TEXT(255),
  Style TEXT(50),
  Planche TEXT(255),
  Internet TEXT(255),
  EnCours BYTE,
  Commentaire MEMO,
  PRIMARY KEY (IdSerie)
);
CREATE INDEX SERIES_Titre ON SERIES (Titre);

CREATE TABLE AUTEURS (
  IdAuteur COUNTER NOT NULL,
  Nom TEXT(100),
  Prenom TEXT(100),
  Surnom TEXT(255),
  DateNaissance DATETIME,
  DateDeces DATETIME,
  Pays TEXT(50),
  Pseudo TEXT(100),
  Scenario YESNO,
  Dessin YESNO,
  Couleur YESNO,
  Internet TEXT(255),
  Commentaire MEMO,
  PRIMARY KEY (IdAuteur)
);

CREATE TABLE ALBUMS (
  IdAlbum COUNTER NOT NULL,
  Num INTEGER,
  Titre TEXT(255),
  IdSerie LONG,
  IdDessinateur LONG,
  IdScenariste LONG,
  DateAchat DATETIME,
  PrixAchat CURRENCY,
  Editeur TEXT(100),
  Etat BYTE,
  Format BYTE,
  EdO YESNO,
  HorsSerie YESNO,
  Integrale YESNO,
  EditionLimitee YESNO,
  Collection TEXT(100),
  CoteActuelle CURRENCY,
  Reference TEXT(50),
  DL DATETIME,
  Commentaire MEMO,
  Couverture TEXT(255),
  Possede YESNO,
  NoteAlbum INTEGER,
  idColoriste LONG,
  Broche YESNO,
  Dedicace TEXT(255),
  ExLibris TEXT(255),
  NbPAges INTEGER,
  Perso1 TEXT(255),
  Perso2 TEXT(255),
  Perso3 TEXT(255),
  NumA TEXT(10),
  Perso4 DOUBLE,
  Prete YESNO,
  PRIMARY KEY (IdAlbum)
);
CREATE INDEX ALBUMS_IdSerie ON ALBUMS (IdSerie);
CREATE INDEX ALBUMS_DateAchat ON ALBUMS (DateAchat);
CREATE INDEX ALBUMS_IdScenariste ON ALBUMS (IdScenariste);
CREATE INDEX ALBUMS_IdDessinateur ON ALBUMS (IdDessinateur);
CREATE INDEX ALBUMS_idColoriste ON ALBUMS (idColoriste);

CREATE TABLE ACHETER (
  IdAlbum COUNTER NOT NULL,
  Num INTEGER,
  Titre TEXT(255),
  IdSerie LONG,
  IdDessinateur LONG,
  IdScenariste LONG,
  DateAchat DATETIME,
  PrixAchat CURRENCY,
  Editeur TEXT(100),
  Etat BYTE,
  Format BYTE,
  EdO YESNO,
  HorsSerie YESNO,
  Integrale YESNO,
  EditionLimitee YESNO,
  Collection TEXT(100),
  CoteActuelle CURRENCY,
  Reference TEXT(50),
  DL DATETIME,
  Commentaire MEMO,
  Couverture TEXT(255),
  Possede YESNO,
  NoteAlbum INTEGER,
  idColoriste LONG,
  Broche YESNO,
  Dedicace TEXT(255),
  ExLibris TEXT(255),
  NbPAges INTEGER,
  Perso1 TEXT(255),
  Perso2 TEXT(255),
  Perso3 TEXT(255),
  NumA TEXT(10),
  Perso4 DOUBLE,
  Prete YESNO,
  PRIMARY KEY (IdAlbum)
);
CREATE INDEX ACHETER_IdSerie ON ACHETER (IdSerie);
CREATE INDEX ACHETER_DateAchat ON ACHETER (DateAchat);
CREATE INDEX ACHETER_IdScenariste ON ACHETER (IdScenariste);
CREATE INDEX ACHETER_IdDessinateur ON ACHETER (IdDessinateur);
CREATE INDEX ACHETER_idColoriste ON ACHETER (idColoriste);

CREATE TABLE COLLABORATEURS (
  IdAlbum LONG,
  IdAuteur LONG,
  TypeCollaboration BYTE
);
CREATE INDEX COLLABORATEURS_IdAlbum ON COLLABORATEURS (IdAlbum);
CREATE INDEX COLLABORATEURS_IdAuteur ON COLLABORATEURS (IdAuteur);

CREATE TABLE EXLIBRIS (
  IdExlibris COUNTER NOT NULL,
  IdAlbum LONG,
  IdSerie LONG,
  Description TEXT(255),
  IdDessinateur LONG,
  DL DATETIME,
  Numero LONG,
  Nombre LONG,
  Largeur DOUBLE,
  Hauteur DOUBLE,
  Libraire TEXT(100),
  Editeur TEXT(100),
  Signe YESNO,
  HC YESNO,
  EA YESNO,
  TireAPart YESNO,
  TypeObjet INTEGER,
  TypeCouleur BYTE,
  ImageEx TEXT(255),
  DateAchat DATETIME,
  Commentaire MEMO,
  PRIMARY KEY (IdExlibris)
);
CREATE INDEX EXLIBRIS_IdSerie ON EXLIBRIS (IdSerie);
CREATE INDEX EXLIBRIS_IdDessinateur ON EXLIBRIS (IdDessinateur);

CREATE TABLE REVUES (
  idRevue COUNTER NOT NULL,
  NomRevue TEXT(100),
  Num INTEGER,
  Date DATETIME,
  Editeur TEXT(100),
  Periodicite TEXT(50),
  AuNumero TEXT(50),
  PrixAchat CURRENCY,
  Cote CURRENCY,
  Commentaire MEMO,
  Serie1 TEXT(100),
  Serie2 TEXT(100),
  Serie3 TEXT(100),
  Serie4 TEXT(100),
  Sujet1 TEXT(100),
  Sujet2 TEXT(100),
  Sujet3 TEXT(100),
  Sujet4 TEXT(100),
  Sujet5 TEXT(100),
  Couverture TEXT(255),
  PRIMARY KEY (idRevue)
);
