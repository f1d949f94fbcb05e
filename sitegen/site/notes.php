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
switch ($tri) {
  case 'titre':
    $sql_order = 'a.titre ';
    break;
  case 'dl':
    $sql_order = 'concat(right(a.dl, 4), left(a.dl, 2)) ';
    break;
  case 'isbn':
    $sql_order = 'a.reference ';
    break;
  default:
    $tri = 'serie';
    $sql_order = 'titreserie ';
}
if ($sens == 'desc') {
  $sql_order .= 'desc';
}

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
$debut = "SELECT a.*, b.display, c.display , d.display, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where $condition $t_filtre";
$result = $albums ? mysql_query("$debut order by $sql_order, titreserie, num, numa") : false;
echo "<p>Nombre total d'albums&nbsp;: " . ($albums ? mysql_num_rows($result) : '') . "</p>\n";
?>
<table id="Recap" width="100%" cellpadding="0" cellspacing="0">
<tr>
<th width="25%"><?php echo sort_header('Série', 'serie', 'notes', $tri, $sens); ?></th>
<th width="8%" title="Numéro">#</th>
<th width="32%"><?php echo sort_header('Titre', 'titre', 'notes', $tri, $sens); ?></th>
<th width="8%" title="Dépot légal"><?php echo sort_header('DL', 'dl', 'notes', $tri, $sens); ?></th>
<th width="12%" title="International Standard Book Number"><?php echo sort_header('ISBN', 'isbn', 'notes', $tri, $sens); ?></th>
</tr>
<?php
$paire = false;
while ($row = mysql_fetch_row($result)) {
  $lien = '<a href="#i' . $row[0] . '">';
  $numero = kalvor_numero($row[1], $row[18]);
  echo '<tr' . ($paire ? ' class="Paire"' : '') . '>';
  echo '<td>' . $lien . $row[33] . '</a></td>';
  echo '<td>' . $lien . $numero . '</a></td>';
  echo '<td>' . $lien . $row[2] . '</a></td>';
  echo '<td>' . $lien . $row[12] . '</a></td>';
  echo '<td>' . $lien . $row[11] . '</a></td>';
  echo "</tr>\n";
  $paire = !$paire;
}
mysql_free_result($result);
echo "</table>\n";

if ($albums) {
  DetailSerie(mysql_query("$debut order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2)"), ' ');
}
Pied();
?>
