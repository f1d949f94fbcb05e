SET NAMES utf8;
SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';
DELETE FROM {prefix}series;
INSERT INTO {prefix}series VALUES (1,'Les Aventures de Léon','Aventure','','','',1);
INSERT INTO {prefix}series VALUES (2,'Château d\'Ébène','Fantastique','','','',0);
UPDATE {prefix}kalvor SET last_update='2026-12-06';
