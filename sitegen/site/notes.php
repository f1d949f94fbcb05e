require_once 'coeur.php';
require_once '_serie.php';

GetVariable('notes', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
$notes = (string) $notes;
if ($sens != 'desc') {
  $sens = '';
}

if ($notes == '') {
  $titre = '(sans note)';
  $label = $titre;
} else {
  $w_note = 2 * substr_count($notes, '¤') + substr_count($notes, 'l');
  $label = '<img src="' . $PATH_images . '/note' . $w_note . '.gif" width="49" height="11" alt="' . $w_note . '/10">';
  $titre = $w_note . '/10';
}

extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

Entete("Détails pour $titre", 'albums');
?>
<table id="Entete">
<tr><th>Note&nbsp;:</th><td><?php echo $label; ?></td></tr>
</table>
<?php
$recap = kalvor_recap_albums();
$sql_order = kalvor_ordre_recap($recap, $tri, $sens);

if ($notes == '') {
  // The list frame shows a missing rating as the empty one.
  $condition = "(notealbum='' or notealbum is null)";
} else {
  $condition = "notealbum='" . mysql_real_escape_string($notes) . "'";
}

// Ratings belong to the album collections only.
$albums = in_array($coll, array('albums', 'acheter', 'dedicace'), true);
// The dedications collection keeps to its dedicated albums, as the list
// frame counts them.
$debut = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where $condition $t_filtre";
$requete = $albums ? "$debut order by $sql_order, titreserie, num, numa, a.idalbum" : null;
kalvor_recapitulatif('notes', $recap, $requete, "d'albums", $tri, $sens);

if ($albums) {
  DetailSerie(mysql_query("$debut order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum"), ' ');
}
Pied();
?>
