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

if ($style == '') {
  $titre = 'Non précisé';
} else {
  $titre = htmlspecialchars($style, ENT_QUOTES, 'ISO-8859-1');
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
$debut = "SELECT a.*, b.display, c.display , d.display, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where $condition $t_filtre";
$result = $albums ? mysql_query("$debut order by $sql_order, titreserie, num, numa") : false;

if ($coll == 'parabd') {
  $mots = "d'objets";
} elseif ($coll == 'dedicace') {
  $mots = 'de d&eacute;dicaces';
} else {
  $mots = "d'albums";
}
echo '<p>Nombre total ' . $mots . '&nbsp;: ' . ($albums ? mysql_num_rows($result) : '') . "</p>\n";
?>
<table id="Recap" width="100%" cellpadding="0" cellspacing="0">
<tr>
<th width="25%"><?php echo sort_header('Série', 'serie', 'style', $tri, $sens); ?></th>
<th width="8%" title="Numéro">#</th>
<th width="32%"><?php echo sort_header('Titre', 'titre', 'style', $tri, $sens); ?></th>
<th width="8%" title="Dépot légal"><?php echo sort_header('DL', 'dl', 'style', $tri, $sens); ?></th>
<th width="12%" title="International Standard Book Number"><?php echo sort_header('ISBN', 'isbn', 'style', $tri, $sens); ?></th>
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
