require_once 'coeur.php';
require_once '_serie.php';

GetVariable('edit', '');
GetVariable('collec', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
// Recuperation des parametres de l'ancienne version, pour compatibilite
if ($edit == '') {
  GetVariable('cle1', '');
  $edit = $cle1;
}
if ($collec == '') {
  GetVariable('cle2', '');
  $collec = $cle2;
}
$edit = (string) $edit;
$collec = (string) $collec;
if ($sens != 'desc') {
  $sens = '';
}

// The data holds these as HTML text ("&lt;" for "<"), as the list frame
// shows them; what else the address brings is escaped.
$texte0 = htmlspecialchars($edit, ENT_QUOTES, 'ISO-8859-1', false);
if ($collec == '') {
  $texte1 = '(sans collection)';
} elseif ($collec == 'AllVolumes') {
  $texte1 = '(tous les albums)';
} else {
  $texte1 = htmlspecialchars($collec, ENT_QUOTES, 'ISO-8859-1', false);
}

extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

Entete("Détails pour $texte0 - $texte1", 'albums');
?>
<table id="Entete">
<tr><th>Éditeur&nbsp;:</th><td><?php echo $texte0; ?></td></tr>
<tr><th>Collection&nbsp;:</th><td><?php echo $texte1; ?></td></tr>
</table>
<?php
$recap = kalvor_recap_albums();
$sql_order = kalvor_ordre_recap($recap, $tri, $sens);

$edit_sql = mysql_real_escape_string($edit);
$collec_sql = mysql_real_escape_string($collec);
if ($collec == 'AllVolumes') {
  $sql_collec = '';
} elseif ($collec == '') {
  // The list frame shows a missing collection as the empty one.
  $sql_collec = "and (a.collection='' or a.collection is null)";
} else {
  $sql_collec = "and a.collection='$collec_sql'";
}

// Album rows exist in the album collections only. An absent or unknown author
// leaves its name empty but keeps the album.
$albums = in_array($coll, array('albums', 'acheter', 'dedicace'), true);
// The dedications collection keeps to its dedicated albums, as the list
// frame counts them.
$debut = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where a.editeur='$edit_sql' $sql_collec $t_filtre";
$requete = $albums ? "$debut order by $sql_order, titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum" : null;
kalvor_recapitulatif('collection', $recap, $requete, kalvor_mots_total($coll), $tri, $sens);

$condition = " and editeur='$edit_sql' $sql_collec";
if ($albums) {
  DetailSerie(mysql_query("$debut order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum"), $condition);
}
Pied();
?>
