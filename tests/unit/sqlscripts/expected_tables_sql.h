#pragma once

// "tables.sql" as it must come out, written from the schema of the site.
// {NAMES} is latin1 or utf8, {P} the table prefix, {CS} the table charset,
// {D} the date of the day.
inline const char* const kExpectedTablesSql = R"SQL(SET NAMES {NAMES};
SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';
# -------------------------------
# Structure de la table `series` 
# -------------------------------
CREATE TABLE {P}series (
idserie int(8) NOT NULL default '0',
titre text default NULL,
style text default NULL,
commentaire mediumblob,
planche text default NULL,
internet text default NULL,
encours int(2) default '0',
PRIMARY KEY  (idserie),
key idserie(idserie),
KEY style (style(255))
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table séries basée sur ormelo 4.22';
# -------------------------------
# Structure de la table `series2`
# -------------------------------
CREATE TABLE {P}series2 (
idserie int(8) NOT NULL default '0',
titre text default NULL,
style text default NULL,
commentaire mediumblob,
planche text default NULL,
internet text default NULL,
encours int(2) default '0',
PRIMARY KEY  (idserie),
key idserie(idserie)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table séries pour les albums à acheter basée sur ormelo 4.22';
# -------------------------------
# Structure de la table `series3`
# -------------------------------
CREATE TABLE {P}series3 (
idserie int(8) NOT NULL default '0',
titre text default NULL,
style text default NULL,
commentaire mediumblob,
planche text default NULL,
internet text default NULL,
encours int(2) default '0',
PRIMARY KEY  (idserie),
key idserie(idserie)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table séries pour le parabd basée sur ormelo 4.22';
# -------------------------------
# Structure de la table `series4`
# -------------------------------
CREATE TABLE {P}series4 (
idserie int(8) NOT NULL default '0',
titre text default NULL,
style text default NULL,
commentaire mediumblob,
planche text default NULL,
internet text default NULL,
encours int(2) default '0',
PRIMARY KEY  (idserie),
key idserie(idserie)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table séries pour les revues basée sur ormelo 4.22';
# --------------------------------
# Structure de la table `auteurs` 
# --------------------------------
CREATE TABLE {P}auteurs (
idauteur int(4) NOT NULL default '0',
nom text default NULL,
prenom text default NULL,
photo text default NULL,
datenaissance date default '0000-00-00',
datedeces date default '0000-00-00',
pays text default NULL,
pseudo text default NULL,
commentaire mediumblob,
scenario int(1) default '0',
dessin int(1) default '0',
couleur int(1) default '0',
internet text default NULL,
display text default NULL,
PRIMARY KEY  (idauteur),
UNIQUE KEY idauteur (idauteur),
key idauteur_2(idauteur),
key display(display(255))
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table auteurs basée sur ormelo 4.22';
# --------------------------------
# Structure de la table `auteurs2`
# --------------------------------
CREATE TABLE {P}auteurs2 (
idauteur int(4) NOT NULL default '0',
nom text default NULL,
prenom text default NULL,
photo text default NULL,
datenaissance date default '0000-00-00',
datedeces date default '0000-00-00',
pays text default NULL,
pseudo text default NULL,
commentaire mediumblob,
scenario int(1) default '0',
dessin int(1) default '0',
couleur int(1) default '0',
internet text default NULL,
display text default NULL,
PRIMARY KEY  (idauteur),
UNIQUE KEY idauteur (idauteur),
key idauteur_2(idauteur),
key display(display(255))
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table auteurs pour les albums à acheter basée sur ormelo 4.22';
# --------------------------------
# Structure de la table `auteurs3`
# --------------------------------
CREATE TABLE {P}auteurs3 (
idauteur int(4) NOT NULL default '0',
nom text default NULL,
prenom text default NULL,
photo text default NULL,
datenaissance date default '0000-00-00',
datedeces date default '0000-00-00',
pays text default NULL,
pseudo text default NULL,
commentaire mediumblob,
scenario int(1) default '0',
dessin int(1) default '0',
couleur int(1) default '0',
internet text default NULL,
display text default NULL,
PRIMARY KEY  (idauteur),
UNIQUE KEY idauteur (idauteur),
key idauteur_2(idauteur),
key display(display(255))
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table auteurs pour le parabd basée sur ormelo 4.22';
# ------------------------------
# Structure de la table `albums`
# ------------------------------
CREATE TABLE {P}albums (
idalbum int(8) NOT NULL default '0',
num integer(8) default NULL,
titre text default NULL,
idserie int(8) default '0',
iddessinateur int(8) default '0',
idscenariste int(8) default '0',
dateachat date default NULL,
editeur text default NULL,
format int(8) default '0',
collection text default NULL,
coteactuelle int(6) default NULL,
reference text default NULL,
dl varchar(7) default NULL,
couverture text default NULL,
notealbum varchar(50) default NULL,
idcoloriste int(8) default '0',
broche int(4) default '0',
nbpages int(4) default NULL,
numa text default NULL,
verso text default NULL,
edo int(1) default '0',
integrale int(1) default '0',
dedicace text default NULL,
commentaire mediumblob,
perso1 text default NULL,
perso2 text default NULL,
perso3 text default NULL,
perso4 int(8) default '0',
horsserie int(1) default '0',
editionlimitee int(1) default '0',
PRIMARY KEY  (idalbum),
UNIQUE KEY idalbum (idalbum),
KEY idalbum_2(idalbum),
KEY idserie (idserie),
KEY iddessinateur (iddessinateur),
KEY idscenariste (idscenariste),
KEY idcoloriste (idcoloriste),
KEY dateachat(dateachat),
KEY horsserie(horsserie),
KEY editeur(editeur(255)),
KEY collection(collection(255)),
KEY notealbum(notealbum)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table albums basée sur ormelo 4.22';
# -------------------------------
# Structure de la table `acheter`
# -------------------------------
CREATE TABLE {P}acheter (
idalbum int(8) NOT NULL default '0',
num integer(8) default NULL,
titre text default NULL,
idserie int(8) default '0',
iddessinateur int(8) default '0',
idscenariste int(8) default '0',
dateachat date default NULL,
editeur text default NULL,
format int(8) default '0',
collection text default NULL,
coteactuelle int(6) default NULL,
reference text default NULL,
dl varchar(7) default NULL,
couverture text default NULL,
notealbum varchar(50) default NULL,
idcoloriste int(8) default '0',
broche int(4) default '0',
nbpages int(4) default NULL,
numa text default NULL,
verso text default NULL,
edo int(1) default '0',
integrale int(1) default '0',
dedicace text default NULL,
commentaire mediumblob,
perso1 text default NULL,
perso2 text default NULL,
perso3 text default NULL,
perso4 int(8) default '0',
horsserie int(1) default '0',
editionlimitee int(1) default '0',
PRIMARY KEY  (idalbum),
UNIQUE KEY idalbum (idalbum),
key idalbum_2(idalbum),
KEY idserie (idserie),
KEY iddessinateur (iddessinateur),
KEY idscenariste (idscenariste),
KEY idcoloriste (idcoloriste),
KEY notealbum(notealbum)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table acheter basée sur ormelo 4.22';
# -------------------------------
# Structure de la table `parabd` 
# -------------------------------
CREATE TABLE {P}parabd (
  idparabd int(8) NOT NULL default '0',
  idalbum int(8) default '0',
  idserie int(8) default '0',
  description text default NULL,
  iddessinateur int(8) default '0',
  dl varchar(7) default '',
  numero int(4) default '0',
  nombre int(4) default '0',
  largeur varchar(24) default NULL,
  longueur varchar(24) default NULL,
  libraire text default NULL,
  editeur text default NULL,
  signe int(1) default '0',
  hc int(1) default '0',
  ea int(1) default '0',
  tireapart int(1) default '0',
  typeobjet int(3) default '0',
  typecouleur int(1) default '0',
  imageex text default NULL,
  commentaire mediumblob,
  idscenariste int(8) default '0',
  idcoloriste int(8) default '0',
  dateachat date default '0000-00-00',
  PRIMARY KEY  (idparabd),
  UNIQUE KEY idparabd (idparabd),
  key idparabd_2(idparabd, idalbum, idserie, iddessinateur)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table parabd basée sur ormelo 4.22';
# --------------------------------
# Table parametres 
# --------------------------------
CREATE TABLE {P}kalvor (
  last_update date default '0000-00-00'
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='parametres de kalvor';
INSERT INTO {P}kalvor VALUES ('{D}');
# --------------------------------
# Table Model
# --------------------------------
CREATE TABLE {P}model (
  model int(2) NOT NULL default '0',
  model_desc varchar(255) default NULL,
  PRIMARY KEY  (model)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table parent structure Kalvor';
INSERT INTO {P}model VALUES (0, 'Type d\'objet Parabd');
INSERT INTO {P}model VALUES (1, 'eo');
INSERT INTO {P}model VALUES (98, 'SignéNonSigné');
INSERT INTO {P}model VALUES (99, 'OuiNon');
# --------------------------------
# Table Model_Item
# --------------------------------
CREATE TABLE {P}model_item (
  model int(2) NOT NULL default '0',
  model_item int(3) NOT NULL default '0',
  item_desc varchar(255) default NULL,
  PRIMARY KEY  (model,model_item),
  UNIQUE KEY model_item (model,model_item),
  KEY model (model)
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table enfant structure Kalvor';
{LIST0}INSERT INTO {P}model_item VALUES (1, 0, 'Réédition');
INSERT INTO {P}model_item VALUES (1, 1, 'Édition originale');
INSERT INTO {P}model_item VALUES (98, 0, 'Non Signé');
INSERT INTO {P}model_item VALUES (98, 1, 'Signé');
INSERT INTO {P}model_item VALUES (99, 0, 'Non');
INSERT INTO {P}model_item VALUES (99, 1, 'Oui');
# --------------------------------
# Table Collaborateurs
# --------------------------------
CREATE TABLE `{P}collaborateurs` (
  `idalbum` INT (8) DEFAULT '0' NOT NULL, 
  `idauteur` INT (8) DEFAULT '0' NOT NULL, 
  `typecollaboration` TINYINT (3) DEFAULT '0' NOT NULL, 
  PRIMARY KEY(`idalbum`,`idauteur`,`typecollaboration`), 
  INDEX(`idalbum`,`idauteur`,`typecollaboration`)
)  ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT = 'table collaborateurs basée sur ormelo 5';
# --------------------------------
# Table Revues
# --------------------------------
CREATE TABLE {P}revues (
idrevue int(8) NOT NULL default '0',
idserie int(8) default '0',
num integer(8) default NULL,
date date default '0000-00-00',
editeur text default NULL,
periodicite text default NULL,
reliure text default NULL,
prix_achat int(6) default NULL,
cote int(6) default NULL,
commentaire mediumblob,
serie1 text default NULL,
serie2 text default NULL,
serie3 text default NULL,
serie4 text default NULL,
sujet1 text default NULL,
sujet2 text default NULL,
sujet3 text default NULL,
sujet4 text default NULL,
sujet5 text default NULL,
couverture text default NULL,
PRIMARY KEY  (idrevue),
UNIQUE KEY idalbum (idrevue),
KEY idserie (idserie),
key editeur(editeur(255))
) ENGINE=MyISAM DEFAULT CHARSET={CS} COMMENT='table albums basée sur ormelo 4.22';
)SQL";

// The 30 rows of list 0, the object types, shared by "tables.sql" and the
// upgrade script.
inline const char* const kExpectedList0 =
    R"SQL(INSERT INTO {P}model_item VALUES (0, 1000, 'Divers');
INSERT INTO {P}model_item VALUES (0, 1001, 'Ex-Libris');
INSERT INTO {P}model_item VALUES (0, 1002, 'Portfolio');
INSERT INTO {P}model_item VALUES (0, 1003, 'Dossier de Presse');
INSERT INTO {P}model_item VALUES (0, 1004, 'Affiche');
INSERT INTO {P}model_item VALUES (0, 1005, 'Sérigraphie');
INSERT INTO {P}model_item VALUES (0, 1006, 'Lithographie');
INSERT INTO {P}model_item VALUES (0, 1007, 'Carte');
INSERT INTO {P}model_item VALUES (0, 1008, 'Timbre');
INSERT INTO {P}model_item VALUES (0, 1009, 'Marque Page');
INSERT INTO {P}model_item VALUES (0, 1010, 'Coffret');
INSERT INTO {P}model_item VALUES (0, 1011, 'Publicité / PLV');
INSERT INTO {P}model_item VALUES (0, 1012, 'Plaque émaillée');
INSERT INTO {P}model_item VALUES (0, 1013, 'Calendrier');
INSERT INTO {P}model_item VALUES (0, 1014, 'Objet promotionnel');
INSERT INTO {P}model_item VALUES (0, 1015, 'Etiquette');
INSERT INTO {P}model_item VALUES (0, 2001, 'Statuette');
INSERT INTO {P}model_item VALUES (0, 2002, 'Vaisselle');
INSERT INTO {P}model_item VALUES (0, 2003, 'Textile');
INSERT INTO {P}model_item VALUES (0, 2004, 'Véhicule');
INSERT INTO {P}model_item VALUES (0, 3001, 'Vidéo');
INSERT INTO {P}model_item VALUES (0, 3002, 'Jeux');
INSERT INTO {P}model_item VALUES (0, 3003, 'Musique');
INSERT INTO {P}model_item VALUES (0, 4001, 'Planche');
INSERT INTO {P}model_item VALUES (0, 4002, 'Dessin / Croquis');
INSERT INTO {P}model_item VALUES (0, 4003, 'Bleu');
INSERT INTO {P}model_item VALUES (0, 4004, 'Crayonné');
INSERT INTO {P}model_item VALUES (0, 4005, 'Scénario');
INSERT INTO {P}model_item VALUES (0, 4006, 'Illustration');
INSERT INTO {P}model_item VALUES (0, 4007, 'Couverture');
)SQL";

inline const char* const kExpectedDeleteTablesSql = R"SQL(SET NAMES {NAMES};
SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';
# --------------------------------
# Suppression des tables 
# --------------------------------
DROP TABLE IF EXISTS `{P}albums`;
DROP TABLE IF EXISTS `{P}acheter`;
DROP TABLE IF EXISTS `{P}parabd`;
DROP TABLE IF EXISTS `{P}auteurs`;
DROP TABLE IF EXISTS `{P}auteurs2`;
DROP TABLE IF EXISTS `{P}auteurs3`;
DROP TABLE IF EXISTS `{P}series`;
DROP TABLE IF EXISTS `{P}series2`;
DROP TABLE IF EXISTS `{P}series3`;
DROP TABLE IF EXISTS `{P}series4`;
DROP TABLE IF EXISTS `{P}kalvor`;
DROP TABLE IF EXISTS `{P}model`;
DROP TABLE IF EXISTS `{P}model_item`;
DROP TABLE IF EXISTS `{P}collaborateurs`;
DROP TABLE IF EXISTS `{P}revues`;
)SQL";

inline const char* const kExpectedUpgradeSql = R"SQL(SET NAMES {NAMES};
SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';
ALTER TABLE {P}model_item CHANGE 
  model_item model_item int(3) NOT NULL default '0';
# --------------------------------
# Table PARABD
# --------------------------------
ALTER TABLE {P}parabd 
  CHANGE idalbum idalbum int(8) default NULL default '0',
  CHANGE idserie idserie int(8) default NULL default '0',
  CHANGE description description text default NULL,
  CHANGE iddessinateur iddessinateur int(8) default NULL default '0',
  CHANGE dl dl varchar(7) default NULL default '',
  CHANGE numero numero int(4) default NULL default '0',
  CHANGE nombre nombre int(4) default NULL default '0',
  CHANGE largeur largeur varchar(24) default NULL,
  CHANGE longueur longueur varchar(24) default NULL,
  CHANGE libraire libraire text default NULL,
  CHANGE editeur editeur text default NULL,
  CHANGE signe signe int(1) default NULL default '0',
  CHANGE hc hc int(1) default NULL default '0',
  CHANGE ea ea int(1) default NULL default '0',
  CHANGE tireapart tireapart int(1) default NULL default '0',
  CHANGE typeobjet typeobjet int(3) default NULL default '0',
  CHANGE typecouleur typecouleur int(1) default NULL default '0',
  CHANGE imageex imageex text default NULL,
  CHANGE commentaire commentaire mediumblob default NULL,
  CHANGE idscenariste idscenariste int(8) default NULL default '0',
  CHANGE idcoloriste idcoloriste int(8) default NULL default '0',
  CHANGE dateachat dateachat date default '0000-00-00';
# --------------------------------
# Table Model_Item
# --------------------------------
delete from {P}model_item where model = 0;
{LIST0}update {P}parabd set typeobjet = 1001 where typeobjet=0;
update {P}parabd set typeobjet = 1009 where typeobjet=1;
update {P}parabd set typeobjet = 2001 where typeobjet=2;
update {P}parabd set typeobjet = 1004 where typeobjet=3;
update {P}parabd set typeobjet = 1000 where typeobjet=4;
update {P}parabd set typeobjet = 1002 where typeobjet=5;
delete from {P}model_item where model = 0 and model_item <= 5;
# --------------------------------
# Table Revues
# --------------------------------
ALTER TABLE {P}revues CHANGE reliure reliure text default NULL;
# --------------------------------
# Index des notes
# --------------------------------
SET @kalvor_index = (SELECT IF(COUNT(*) = 0, 'ALTER TABLE {P}albums ADD KEY notealbum(notealbum)', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}albums' AND INDEX_NAME = 'notealbum');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
SET @kalvor_index = (SELECT IF(COUNT(*) = 0, 'ALTER TABLE {P}acheter ADD KEY notealbum(notealbum)', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}acheter' AND INDEX_NAME = 'notealbum');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
# --------------------------------
# Textes longs
# --------------------------------
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}series DROP KEY style', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}series' AND INDEX_NAME = 'style');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}series
  MODIFY titre text default NULL,
  MODIFY style text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY planche text default NULL,
  MODIFY internet text default NULL,
  ADD KEY style (style(255));
ALTER TABLE {P}series2
  MODIFY titre text default NULL,
  MODIFY style text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY planche text default NULL,
  MODIFY internet text default NULL;
ALTER TABLE {P}series3
  MODIFY titre text default NULL,
  MODIFY style text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY planche text default NULL,
  MODIFY internet text default NULL;
ALTER TABLE {P}series4
  MODIFY titre text default NULL,
  MODIFY style text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY planche text default NULL,
  MODIFY internet text default NULL;
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}auteurs DROP KEY display', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}auteurs' AND INDEX_NAME = 'display');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}auteurs
  MODIFY nom text default NULL,
  MODIFY prenom text default NULL,
  MODIFY photo text default NULL,
  MODIFY pays text default NULL,
  MODIFY pseudo text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY internet text default NULL,
  MODIFY display text default NULL,
  ADD key display(display(255));
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}auteurs2 DROP KEY display', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}auteurs2' AND INDEX_NAME = 'display');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}auteurs2
  MODIFY nom text default NULL,
  MODIFY prenom text default NULL,
  MODIFY photo text default NULL,
  MODIFY pays text default NULL,
  MODIFY pseudo text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY internet text default NULL,
  MODIFY display text default NULL,
  ADD key display(display(255));
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}auteurs3 DROP KEY display', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}auteurs3' AND INDEX_NAME = 'display');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}auteurs3
  MODIFY nom text default NULL,
  MODIFY prenom text default NULL,
  MODIFY photo text default NULL,
  MODIFY pays text default NULL,
  MODIFY pseudo text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY internet text default NULL,
  MODIFY display text default NULL,
  ADD key display(display(255));
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}albums DROP KEY editeur', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}albums' AND INDEX_NAME = 'editeur');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}albums DROP KEY collection', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}albums' AND INDEX_NAME = 'collection');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}albums
  MODIFY titre text default NULL,
  MODIFY editeur text default NULL,
  MODIFY collection text default NULL,
  MODIFY reference text default NULL,
  MODIFY couverture text default NULL,
  MODIFY numa text default NULL,
  MODIFY verso text default NULL,
  MODIFY dedicace text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY perso1 text default NULL,
  MODIFY perso2 text default NULL,
  MODIFY perso3 text default NULL,
  ADD KEY editeur(editeur(255)),
  ADD KEY collection(collection(255));
ALTER TABLE {P}acheter
  MODIFY titre text default NULL,
  MODIFY editeur text default NULL,
  MODIFY collection text default NULL,
  MODIFY reference text default NULL,
  MODIFY couverture text default NULL,
  MODIFY numa text default NULL,
  MODIFY verso text default NULL,
  MODIFY dedicace text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY perso1 text default NULL,
  MODIFY perso2 text default NULL,
  MODIFY perso3 text default NULL;
SET @kalvor_index = (SELECT IF(COUNT(*) > 0, 'ALTER TABLE {P}revues DROP KEY editeur', 'DO 0') FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{P}revues' AND INDEX_NAME = 'editeur');
PREPARE kalvor_index FROM @kalvor_index;
EXECUTE kalvor_index;
DEALLOCATE PREPARE kalvor_index;
ALTER TABLE {P}revues
  MODIFY editeur text default NULL,
  MODIFY periodicite text default NULL,
  MODIFY reliure text default NULL,
  MODIFY commentaire mediumblob,
  MODIFY serie1 text default NULL,
  MODIFY serie2 text default NULL,
  MODIFY serie3 text default NULL,
  MODIFY serie4 text default NULL,
  MODIFY sujet1 text default NULL,
  MODIFY sujet2 text default NULL,
  MODIFY sujet3 text default NULL,
  MODIFY sujet4 text default NULL,
  MODIFY sujet5 text default NULL,
  MODIFY couverture text default NULL,
  ADD key editeur(editeur(255));
)SQL";
