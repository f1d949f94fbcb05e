require_once 'coeur.php';
require_once '_serie.php';

GetVariable('idauteur', -1);
GetVariable('tri', 'serie');
GetVariable('sens', '');
// Only a whole number names an author.
$idauteur = is_numeric($idauteur) ? (int) $idauteur : -1;
extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

$auteur = mysql_fetch_assoc(mysql_query("SELECT nom, prenom, photo, datenaissance, datedeces, pays, pseudo, "
  . "commentaire, scenario, dessin, couleur, internet from $t_auteurs where idauteur=$idauteur"));
if (!$auteur) {
  $auteur = array_fill_keys(array('nom', 'prenom', 'photo', 'datenaissance', 'datedeces', 'pays', 'pseudo',
    'commentaire', 'scenario', 'dessin', 'couleur', 'internet'), '');
}

switch ((int) $auteur['scenario'] + 4 * (int) $auteur['dessin'] + 8 * (int) $auteur['couleur']) {
  case 1:
    $fonction = 'Scénariste';
    break;
  case 4:
    $fonction = 'Dessinateur';
    break;
  case 8:
    $fonction = 'Coloriste';
    break;
  case 5:
    $fonction = 'Scénariste/Dessinateur';
    break;
  case 9:
    $fonction = 'Scénariste/Coloriste';
    break;
  case 12:
    $fonction = 'Dessinateur/Coloriste';
    break;
  case 13:
    $fonction = 'Scénariste/Dessinateur/Coloriste';
    break;
  default:
    $fonction = '';
}

$commentaire = nl2br((string) $auteur['commentaire']);
// An author without a row, or a date never set, has no date to show.
function kalvor_date_auteur($date)
{
  $date = (string) $date;
  if ($date == '' || $date == '0000-00-00') {
    return '';
  }
  return substr($date, 8, 2) . '/' . substr($date, 5, 2) . '/' . substr($date, 0, 4);
}
$naissance = kalvor_date_auteur($auteur['datenaissance']);
$deces = kalvor_date_auteur($auteur['datedeces']);
$pays = (string) $auteur['pays'];

Entete("Détails pour l'auteur", 'albums');

$photo = (string) $auteur['photo'];
echo '<div id="auteur"' . ($photo != '' ? ' class="Photo"' : '') . ">\n";
if ($photo != '') {
  if ($GV_miniature == 1) {
    $src = Miniature($photo, $PATH_photos, $THUMB_photos, $GV_prefix, 'photos');
  } elseif ($GV_miniature == 2) {
    $src = LienImage($THUMB_photos, $GV_prefix . $photo);
  } else {
    $src = LienImage($PATH_photos, $photo);
  }
  echo '<span class="Illus"><img src="' . $src . '" width="120" height="150" alt="photo"></span>' . "\n";
}
$nom = $auteur['nom'] . ', ' . $auteur['prenom'];
if ((string) $auteur['pseudo'] != '') {
  echo '<h1>' . $auteur['pseudo'] . ' <span class="VraiNom">' . $nom . "</span></h1>\n";
} else {
  echo '<h1>' . $nom . "</h1>\n";
}
echo '<p class="Fonction">' . $fonction . "</p>\n";
if ($naissance != '' && $pays != '') {
  echo '<p class="Ne">Né le ' . $naissance . ' en ' . $pays . ".</p>\n";
} elseif ($naissance != '') {
  echo '<p class="Ne">Né le ' . $naissance . ".</p>\n";
} elseif ($pays != '') {
  echo '<p class="Ne">Né en ' . $pays . ".</p>\n";
}
if ($deces != '') {
  echo '<p class="Decede">Décédé le ' . $deces . ".</p>\n";
}
if ((string) $auteur['internet'] != '') {
  echo '<p class="Site">Site Internet&nbsp;: <a href="'
    . htmlspecialchars($auteur['internet'], ENT_QUOTES, 'ISO-8859-1', false)
    . '" target="_blank">' . $auteur['internet'] . "</a></p>\n";
}
if ($commentaire != '') {
  echo '<p class="Comments">' . $commentaire . "</p>\n";
}

// The albums' texts go to no temporary table: the rows are sorted on their
// keys alone, `$cles` (named k_..., texts cut to their first 255 characters),
// in a table of their own that the grouping keeps apart, and `$champs` read
// from `$lecture` once sorted, in the order `$ordre`.
function TriCles($cles, $depuis, $champs, $lecture, $ordre)
{
  $k = array();
  foreach ($cles as $nom => $cle) {
    $k[] = "$cle $nom";
  }
  return "SELECT $champs FROM (SELECT " . implode(', ', $k) . " $depuis GROUP BY " . implode(', ', array_keys($cles))
    . ") k $lecture ORDER BY k." . implode(', k.', $ordre);
}

// Sort keys the collection's table can sort on; any other falls back to the series.
$cles = array('serie' => 'left(s.titre, 255)', 'dl' => 'concat(right(a.dl, 4), left(a.dl, 2))',
  'editeur' => 'left(a.editeur, 255)');
if ($coll == 'parabd') {
  $cles['description'] = 'left(a.description, 255)';
} else {
  $cles['titre'] = 'left(a.titre, 255)';
  $cles['isbn'] = 'left(a.reference, 255)';
}
if (!is_string($tri) || !isset($cles[$tri])) {
  $tri = 'serie';
}
if ($sens != 'desc') {
  $sens = '';
}
$tri_cles = array('k_tri' => $cles[$tri], 'k_serie' => $cles['serie']);

// Magazines have no authors of their own: the card stands alone.
if ($coll == 'revue') {
  echo "</div>\n";
} elseif ($GV_auteur == 0) {
  $where_hs = ($coll == 'dedicace') ? 'and a.horsserie = 1' : '';
  echo "<h2>Série(s) réalisée(s)</h2>\n";
  echo "<ul>\n";
  $requete = mysql_query(TriCles(array('k_serie' => 'left(b.titre, 255)', 'k_id' => 'a.idserie'),
    "from $t_albums a, $t_series b where a.idserie = b.idserie $where_hs "
    . "and (idcoloriste=$idauteur or idscenariste=$idauteur or iddessinateur=$idauteur)",
    'k.k_id, b.titre', "STRAIGHT_JOIN $t_series b ON b.idserie = k.k_id", array('k_serie', 'k_id')));
  while ($row = mysql_fetch_row($requete)) {
    echo '<li><a href="' . LinkRef('serie', $row) . '">' . $row[1] . "</a></li>\n";
  }
  echo "</ul>\n";
  echo "</div>\n";
} else {
  if ($coll == 'parabd') {
    // An object without a series (a T-shirt, a poster) is listed too.
    $tri_cles += array('k_an' => 'right(a.dl, 4)', 'k_mois' => 'left(a.dl, 2)', 'k_id' => 'a.idparabd');
    $depuis = "from $t_albums a left join $t_series s on a.idserie = s.idserie where a.iddessinateur = $idauteur";
    $champs = 'a.*, b.display as dessinateur, s.titre as titreserie';
    $lecture = "STRAIGHT_JOIN $t_albums a ON a.idparabd = k.k_id left join $t_series s on a.idserie = s.idserie "
      . "left join $t_auteurs b on a.iddessinateur = b.idauteur";
    $suite = array('k_an', 'k_mois', 'k_id');
  } else {
    $tri_cles += array('k_num' => 'a.num', 'k_numa' => 'left(a.numa, 255)', 'k_an' => 'right(a.dl, 4)',
      'k_mois' => 'left(a.dl, 2)', 'k_id' => 'a.idalbum');
    $suite = array('k_serie', 'k_num', 'k_numa', 'k_an', 'k_mois', 'k_id');
    $lecture = "STRAIGHT_JOIN $t_albums a ON a.idalbum = k.k_id STRAIGHT_JOIN $t_series s ON a.idserie = s.idserie";
    if ($GV_collaborateurs == 1) {
      // One row per album the author writes, draws or colours, whether or not
      // it has collaborators of the other roles. The author's albums are
      // looked up once for both lists; the links table has no index by author,
      // and reading it straight is quicker than through its other indexes.
      $albums = array();
      $requete = mysql_query("select distinct c.idalbum from $t_collaborateurs c use index () inner join $t_auteurs x "
        . "on c.idauteur = x.idauteur where c.idauteur = $idauteur and c.typecollaboration in (0, 1, 2)");
      while ($row = mysql_fetch_row($requete)) {
        $albums[] = (int) $row[0];
      }
      $albums = $albums ? implode(', ', $albums) : 'null';
      $role = "select %s from $t_collaborateurs c inner join $t_auteurs x on c.idauteur = x.idauteur "
        . 'where c.idalbum = a.idalbum and c.typecollaboration = %d';
      $champs = 'a.*, (' . sprintf($role, 'min(x.display)', 0) . ') as scenariste, ('
        . sprintf($role, 'min(x.display)', 1) . ') as dessinateur, (' . sprintf($role, 'min(x.display)', 2)
        . ") as coloriste, s.titre as 'titreserie'";
      $depuis = "from $t_albums a inner join $t_series s on a.idserie = s.idserie where a.idalbum in ($albums) $t_filtre";
    } else {
      // An absent or unknown co-author leaves a name empty but keeps the album.
      $champs = "a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie'";
      $depuis = "from $t_albums a inner join $t_series s on a.idserie = s.idserie "
        . "where (a.iddessinateur = '$idauteur' or a.idscenariste = '$idauteur' or a.idcoloriste = '$idauteur') $t_filtre";
      $lecture .= " left join $t_auteurs b on a.idscenariste = b.idauteur "
        . "left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur";
    }
  }
  $table_sql = TriCles($tri_cles, $depuis, $champs, $lecture, array_merge(array(trim("k_tri $sens")), $suite));
  $cartes_sql = TriCles($tri_cles, $depuis, $champs, $lecture,
    $coll == 'parabd' ? array_merge(array('k_serie'), $suite) : $suite);
  $requete = mysql_query($table_sql);
  echo "</div>\n";
  echo '<br clear="left">' . "\n";
  switch ($coll) {
    case 'parabd':
      $libelle = "d'objets";
      break;
    case 'dedicace':
      $libelle = 'de d&eacute;dicaces';
      break;
    default:
      $libelle = "d'albums";
  }
  echo '<p>Nombre total ' . $libelle . '&nbsp;: ' . mysql_num_rows($requete) . "</p>\n";
  echo '<table id="Recap" width="100%" cellpadding="0" cellspacing="0">' . "\n";
  if ($coll == 'parabd') {
    echo '<tr><th width="38%">' . sort_header('Série', 'serie', 'auteur', $tri, $sens) . '</th><th width="38%">'
      . sort_header('Description', 'description', 'auteur', $tri, $sens) . '</th><th width="24%">'
      . sort_header('Éditeur', 'editeur', 'auteur', $tri, $sens) . "</th></tr>\n";
  } else {
    echo '<tr><th width="25%">' . sort_header('Série', 'serie', 'auteur', $tri, $sens)
      . '</th><th width="8%" title="Numéro">#</th><th width="32%">' . sort_header('Titre', 'titre', 'auteur', $tri, $sens)
      . '</th><th width="8%" title="Dépot légal">' . sort_header('DL', 'dl', 'auteur', $tri, $sens)
      . '</th><th width="12%" title="International Standard Book Number">'
      . sort_header('ISBN', 'isbn', 'auteur', $tri, $sens) . "</th></tr>\n";
  }
  $paire = false;
  while ($row = mysql_fetch_assoc($requete)) {
    $wpage = '';
    if ($GV_auteur == 1) {
      // An object without a series has its card on its type's page.
      $wpage = ($coll == 'parabd' && $row['titreserie'] === null) ? LinkRef('type', array($row['typeobjet']))
        : LinkRef('serie', array($row['idserie']));
    }
    if ($coll == 'parabd') {
      $lien = '<a href="' . $wpage . '#i' . $row['idparabd'] . '">';
      $cellules = array($row['titreserie'], $row['description'], $row['editeur']);
    } else {
      $lien = '<a href="' . $wpage . '#i' . $row['idalbum'] . '">';
      $cellules = array($row['titreserie'], kalvor_numero($row['num'], $row['numa']), $row['titre'], $row['dl'],
        $row['reference']);
    }
    echo '<tr' . ($paire ? ' class="Paire"' : '') . '>';
    foreach ($cellules as $cellule) {
      echo '<td>' . $lien . $cellule . '</a></td>';
    }
    echo "</tr>\n";
    $paire = !$paire;
  }
  echo "</table>\n";
  if ($GV_auteur == 2) {
    DetailSerie(mysql_query($cartes_sql), '');
  }
}

Pied();
?>
