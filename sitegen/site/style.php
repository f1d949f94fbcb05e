require_once 'coeur.php';
require_once '_serie.php';

GetVariable('style', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
// Recuperation des parametres de l'ancienne version, pour compatibilite
if ($style == '') {
  GetVariable('cle1', '');
  $style = $cle1;
}
$style = (string) $style;
if ($sens != 'desc') {
  $sens = '';
}

// The data holds a genre as HTML text ("&lt;" for "<"), as the list frame
// shows it; what else the address brings is escaped.
if ($style == '') {
  $titre = 'Non précisé';
} else {
  $titre = htmlspecialchars($style, ENT_QUOTES, 'ISO-8859-1', false);
}

extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

Entete("Détails pour $titre", 'albums');
?>
<table id="Entete">
<tr><th>Genre&nbsp;:</th><td><?php echo $titre; ?></td></tr>
</table>
<?php
$recap = kalvor_recap_albums();
$sql_order = kalvor_ordre_recap($recap, $tri, $sens);

if ($style == '') {
  // The list frame shows a missing genre as the empty one.
  $condition = "(s.style='' or s.style is null)";
} else {
  $condition = "s.style='" . mysql_real_escape_string($style) . "'";
}
// Album rows exist in the album collections only. An absent or unknown author
// leaves its name empty but keeps the album.
$albums = in_array($coll, array('albums', 'acheter', 'dedicace'), true);
// The dedications collection keeps to its dedicated albums, as the list
// frame counts them.
$debut = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where $condition $t_filtre";
$requete = $albums ? "$debut order by $sql_order, titreserie, num, numa, a.idalbum" : null;
kalvor_recapitulatif('style', $recap, $requete, kalvor_mots_total($coll), $tri, $sens);

if ($albums) {
  DetailSerie(mysql_query("$debut order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum"), ' ');
}
Pied();
?>
