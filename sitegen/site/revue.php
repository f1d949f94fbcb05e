require_once 'coeur.php';
extract($tables, EXTR_PREFIX_ALL, 't');

GetVariable('idserie', -1);
// "all" or a magazine id; any other text selects nothing.
$toutes = ($idserie === 'all');
$id_sql = -1;
if (!$toutes && preg_match('/^-?[0-9]{1,9}$/', (string) $idserie)) {
  $id_sql = (int) $idserie;
}
// The magazine tables are those of the magazine collection only.
$revues = ($coll == 'revue');

$titre = '';
if ($toutes) {
  $titre = 'Toutes les Revues';
} elseif ($revues) {
  $result = mysql_query("SELECT titre from $t_series where idserie = $id_sql");
  if ($row = mysql_fetch_row($result)) {
    $titre = $row[0];
  }
  mysql_free_result($result);
}

Entete("Détails pour $titre", 'albums');
?>
<table id="Entete">
<tr><th>Revues&nbsp;:</th><td><?php echo $titre; ?></td></tr>
</table>
<?php
if ($toutes) {
  $end_sql = '';
} else {
  $end_sql = " and s.idserie = '$id_sql' ";
}
$requete = "SELECT a.*, s.titre as 'titreserie' from $t_albums a, $t_series s where a.idserie = s.idserie $end_sql order by titreserie, Num, a.idrevue";

function DateRevue($date)
{
  $date = (string) $date;
  return substr($date, 8, 2) . '/' . substr($date, 5, 2) . '/' . substr($date, 0, 4);
}

$result = $revues ? mysql_query($requete) : false;
echo '<p>Nombre total de revues&nbsp;: ' . mysql_num_rows($result) . "</p>\n";
?>
<table id="Recap" width="100%" cellpadding="0" cellspacing="0">
<tr>
<th width="30%" title="Revue">Revue</th>
<th width="20%" title="Numéro">#</th>
<th width="20%" title="Date">Date</th>
<th width="30%" title="Editeur">Editeur</th>
</tr>
<?php
$paire = false;
while ($row = mysql_fetch_row($result)) {
  $lien = '<a href="#i' . $row[0] . '">';
  echo '<tr' . ($paire ? ' class="Paire"' : '') . '>';
  echo '<td>' . $lien . $row[20] . '</a></td>';
  echo '<td>' . $lien . $row[2] . '</a></td>';
  echo '<td>' . $lien . DateRevue($row[3]) . '</a></td>';
  echo '<td>' . $lien . $row[4] . '</a></td>';
  echo "</tr>\n";
  $paire = !$paire;
}
mysql_free_result($result);
?>
</table>
<?php
$result = $revues ? mysql_query($requete) : false;
$col = 0;
$seriesauv = '';
while ($row = mysql_fetch_row($result)) {
  $date = ((string) $row[3] == '' || $row[3] == '0000-00-00') ? '' : DateRevue($row[3]);
  if ((string) $row[9] != '') {
    $com_label = 'Commentaire&nbsp;:&nbsp;';
    $commentaire = nl2br($row[9]);
  } else {
    $com_label = '';
    $commentaire = '';
  }
  if ($row[1] && $row[1] != $seriesauv) {
    if ($col == 1) {
      echo "<hr>\n";
    }
    echo '<h1><a href="#Entete"><img class="G" src="' . $PATH_images . '/gotop.gif" width="16" height="17" alt="^">'
      . '<img class="D" src="' . $PATH_images . '/gotop.gif" width="16" height="17" alt="^"></a>'
      . $row[20] . "</h1>\n";
    $seriesauv = $row[1];
    $col = 0;
  }
  echo '<div class="' . ($GV_nbcol == 1 ? 'FicheLarge' : 'Fiche') . '" id="i' . $row[0] . '"><br>' . "\n";
  echo '<span class="Illus">';
  if ((string) $row[19] != '') {
    AfficheImage($PATH_revues, $row[19], 20);
    switch ($GV_miniature) {
      case 1:
        $source = Miniature($row[19], $PATH_revues, $THUMB_revues, $GV_prefix, 'revues');
        break;
      case 2:
        $source = LienImage($THUMB_revues, $GV_prefix . $row[19]);
        break;
      default:
        $source = LienImage($PATH_revues, $row[19]);
    }
    echo '<img src="' . $source . '" height="145" width="107" alt="revue"></a>';
  } else {
    echo '<img src="' . $PATH_revues . '/Encours.jpg" height="145" width="107" alt="Image non disponible">';
  }
  echo "</span>\n";
  echo '<table cellpadding="0" cellspacing="0">' . "\n";
  echo '<tr><th>Numéro&nbsp;:&nbsp;</th><td>' . $row[2] . "</td></tr>\n";
  echo '<tr><th>Date&nbsp;:&nbsp;</th><td>' . $date . "</td></tr>\n";
  echo '<tr><th>Editeur&nbsp;:&nbsp;</th><td>' . $row[4] . "</td></tr>\n";
  echo '<tr><th>Periodicit&eacute;&nbsp;:&nbsp;</th><td>' . $row[5] . "</td></tr>\n";
  echo '<tr><th>' . $com_label . '</th><td>' . $commentaire . "</td></tr>\n";
  echo "</table>\n";
  echo "</div>\n";
  if ($GV_nbcol == 1) {
    echo "<hr>\n";
  } else {
    if ($col == 1) {
      echo "<hr>\n";
    }
    $col = 1 - $col;
  }
}
mysql_free_result($result);
Pied();
?>
