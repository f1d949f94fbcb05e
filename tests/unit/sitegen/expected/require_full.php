<?php
// ***************************************************
// * Page générée par Kalvor 1.8.3 le 06/12/26 21:05 *
// ***************************************************

//Config base de données MYSQL
//----------------------------
$host              = "localhost";
$login             = "bd";
$password          = "secret";
$base              = "collection";
$prefixe_table     = "kv_";


//Options d'affichage
//-------------------
$GV_collection     = "both";  //(valeurs possibles albums, acheter ou both)
$GV_parabd         = 1; //(Affichage du Para-BD => 1: oui - 0: non)
$GV_revue          = 1; //(Affichage des Revues => 1: oui - 0: non)
$GV_imprimer       = 1; //(Affichage des listes imprimables => 1: oui - 0: non)
$GV_collaborateurs = 1; //(Affichage des collaborateurs => 1: oui - 0: non)

$GV_titre          = "Ma collection de Bandes Dessinées";  //(Titre affiché dans la barre + page accueil)
$GV_verso          = "left";  //(valeurs possibles left, right ou none)
$GV_auteur         = 2;  //(valeurs possibles 0, 1 ou 2)
$GV_colorauteur    = 1; //(Affichage couleur différente auteur avec photo => 1: oui - 0: non)
$GV_nbcol          = 1; // (0 : automatique - 1: 1 album par ligne - 2: 2 albums par ligne)
$GV_commentaire    = 1; //(Affichage les commentaires des albums =>1: oui - 0: non)
$GV_nb_liste       = 0; //(Affichage du nb d'album par série, auteur =>1: oui - 0: non)
$GV_dedi_place     = 1;  //(0 : sur la ligne format - 1: sur la ligne titre)

$GV_icone          = 1; //(Affichage d'icones dans le menu du haut => 1: oui - 0: non)
$GV_eo             = 1; //(Affichage de l'icone Eo => 1: oui - 0: non)
$GV_integrale      = 0; //(Affichage de l'icone Intégrale => 1: oui - 0: non)
$GV_dedicace       = 1; //(Affichage de l'icone et lien Dédicace => 1: oui - 0: non)
$GV_reliure        = 1; //(Affichage de l'icone reliure => 1: oui - 0: non)
$GV_tt             = 0; //(Affichage de l'icone TT => 1: oui - 0: non)


$GV_listecollec    = 1; //(Affichage d'une liste par collection => 1: oui - 0: non)
$GV_listestyle     = 1; //(Affichage d'une liste par style => 1: oui - 0: non)
$GV_listedl        = 0; //(Affichage d'une liste par DL => 1: oui - 0: non)
$GV_listeachat     = 1; //(Affichage d'une liste par date d'achat => 1: oui - 0: non)
$GV_listenotes     = 1; //(Affichage d'une liste par note => 1: oui - 0: non)
$GV_moteur         = 1; //(Affichage du moteur de recherches => 1: oui - 0: non)

$GV_miniature      = 2; //(Affichage des images sous forme de miniature => 0:non - 1: oui - 2: oui avec génération manuelle)
$GV_prefix         = "m_";

$GV_email          = 1; //(Affichage de l'icone email => 1: oui - 0: non)
$GV_email_txt      = "moi@exemple.fr";
$GV_currency       = "&euro;";

$GV_quitter        = 1; //(Affichage de l'icone quitter => 1: oui - 0: non)
$GV_siteprincipal  = "http://exemple.fr/"; //(site qui est retourné lors du clic sur quitter)

//Page d'accueil
//--------------
$GV_series_accueil = 10; //(nombre de dernières séries à afficher)
$GV_images_accueil = 1; //(afficher les miniatures des derniers albums)
$GV_col_accueil    = 3; // (nb de colonnes pour miniatures page accueil)
$GV_ligne_accueil  = 4; // (nb de lignes pour miniatures page accueil)

//Statistiques
//------------
$GV_stats          = 1; //(Affichage des stastistiques => 1: oui - 0: non)
$GV_stats_large    = 250; // (longueur maxi de la barre dans les stats)
$GV_Stats_array[0] = array("stat" => "ST01", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[1] = array("stat" => "ST03", "use" => 0, "nb" => 5, "type" => 0,"autres" => 0);
$GV_Stats_array[2] = array("stat" => "ST02", "use" => 1, "nb" => 15, "type" => 0,"autres" => 1);
$GV_Stats_array[3] = array("stat" => "ST04", "use" => 1, "nb" => 10, "type" => 1,"autres" => 0);
$GV_Stats_array[4] = array("stat" => "ST05", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[5] = array("stat" => "ST06", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[6] = array("stat" => "ST07", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[7] = array("stat" => "ST08", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[8] = array("stat" => "ST09", "use" => 1, "nb" => 10, "type" => 1,"autres" => 1);
$GV_Stats_array[9] = array("stat" => "ST10", "use" => 1, "nb" => 0, "type" => 0,"autres" => 0);
$GV_Stats_array[10] = array("stat" => "ST11", "use" => 1, "nb" => 0, "type" => 0,"autres" => 0);

//Bas de page
//-----------
$GV_baspage        = 1; //(Affichage d'un bas de page => 1: oui - 0: non)
$GV_taille_baspage = 40; // Hauteur du bas de page en px (0 pour définition manuelle dans la css)


//Répertoires images
//------------------
$PATH_couvertures  = "../couvertures";
$PATH_planches     = "../planches";
$PATH_versos       = "../versos";
$PATH_photos       = "../photos";
$PATH_dedicaces    = "../dedicaces";
$PATH_parabd       = "../parabd";
$PATH_revues       = "../revues";
$PATH_images       = "images";


//Répertoires miniatures
//----------------------
$THUMB_couvertures = "../mini/couvertures";
$THUMB_planches    = "../mini/planches";
$THUMB_versos      = "../mini/versos";
$THUMB_photos      = "../mini/photos";
$THUMB_dedicaces   = "../mini/dedicaces";
$THUMB_parabd      = "../mini/parabd";
$THUMB_revues      = "../mini/revues";


//Cache des pages
//---------------
$GV_cache          = "cache"; //(dossier des pages déjà calculées, vide : pas de cache)
$GV_cache_taille   = 256; //(taille maximale du cache en Mo)


//valeurs des champs perso 1 à 4
//------------------------------
$GV_Perso1_display = 1; //(Affichage du champ Perso1 = >1: oui - 0: non)
$GV_Perso2_display = 0; //(Affichage du champ Perso2 = >1: oui - 0: non)
$GV_Perso3_display = 1; //(Affichage du champ Perso3 = >1: oui - 0: non)
$GV_Perso4_display = 0; //(Affichage du champ Perso4 = >1: oui - 0: non)
$GV_Perso1         = "Lieu&nbsp;de&nbsp;rangement";
$GV_Perso2         = "Etat";
$GV_Perso3         = "Prix&nbsp;payé";
$GV_Perso4         = "Lu";

$GV_Tri_Para       = "typeobjet,a.editeur,c.num,numero,right(a.dl, 4), left(a.dl, 2),libraire,description"; //Tri du parabd

//Plugins
//-------
$plugin_voitures_idserie = 12;
$plugin_voitures_path    = "voitures/";

