require_once 'coeur.php';
require_once '_serie.php';

GetVariable('typeobjet', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
if ($sens != 'desc') {
  $sens = '';
}
// Object types are the collectibles' own, and a code is a number: anything
// else selects nothing.
$objets = ($coll == 'parabd') && preg_match('/^[0-9]{1,9}$/', (string) $typeobjet);
$code = $objets ? (int) $typeobjet : 0;

extract($tables, EXTR_PREFIX_ALL, 't');

$titre = '';
if ($objets) {
  $result = mysql_query("SELECT item_desc from $t_models where model = 0 and model_item = $code");
  if ($row = mysql_fetch_row($result)) {
    $titre = $row[0];
  }
  mysql_free_result($result);
}

Entete("Détails pour $titre", 'albums');
?>
<table id="Entete">
<tr><th>Type d'objet&nbsp;:</th><td><?php echo $titre; ?></td></tr>
</table>
<?php
switch ($tri) {
  case 'description':
    $sql_order = 'a.description ';
    break;
  case 'editeur':
    $sql_order = 'a.editeur ';
    break;
  default:
    $tri = 'serie';
    $sql_order = 'titreserie ';
}
if ($sens == 'desc') {
  $sql_order .= 'desc';
}

// An object without a known artist shows with an empty name.
$result = $objets ? mysql_query("SELECT a.*, b.display, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.iddessinateur = b.idauteur where a.typeobjet = $code order by $sql_order, typeobjet, editeur, numero, right(a.dl, 4), left(a.dl, 2), description") : false;

if ($coll == 'parabd') {
  $mots = "d'objets";
} elseif ($coll == 'dedicace') {
  $mots = 'de d&eacute;dicaces';
} else {
  $mots = "d'albums";
}
echo '<p>Nombre total ' . $mots . '&nbsp;: ' . ($objets ? mysql_num_rows($result) : '') . "</p>\n";
?>
<table id="Recap" width="100%" cellpadding="0" cellspacing="0">
<tr>
<th width="38%"><?php echo sort_header('Série', 'serie', 'type', $tri, $sens); ?></th>
<th width="38%"><?php echo sort_header('Description', 'description', 'type', $tri, $sens); ?></th>
<th width="24%"><?php echo sort_header('Éditeur', 'editeur', 'type', $tri, $sens); ?></th>
</tr>
<?php
$paire = false;
while ($row = mysql_fetch_row($result)) {
  $lien = '<a href="#i' . $row[0] . '">';
  echo '<tr' . ($paire ? ' class="Paire"' : '') . '>';
  echo '<td>' . $lien . $row[24] . '</a></td>';
  echo '<td>' . $lien . $row[3] . '</a></td>';
  echo '<td>' . $lien . $row[11] . '</a></td>';
  echo "</tr>\n";
  $paire = !$paire;
}
mysql_free_result($result);
echo "</table>\n";

if ($objets) {
  $tri_para = (isset($GV_Tri_Para) && $GV_Tri_Para != '') ? $GV_Tri_Para
    : 'typeobjet, a.editeur, c.num, numero, right(a.dl, 4), left(a.dl, 2), description';
  DetailSerie(mysql_query("SELECT a.*, b.display, s.titre, c.num from ($t_albums a left join $t_tomes c on a.idalbum = c.idalbum) left join $t_auteurs b on a.iddessinateur = b.idauteur inner join $t_series s on a.idserie = s.idserie where a.typeobjet = $code order by s.titre, $tri_para"), ' ');
}
Pied();
?>
