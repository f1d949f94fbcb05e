// Album and collectible cards, shared by every page that lists items.

// The globals a page sets for its own sort links; a page that does not use one
// leaves it unset.
function kalvor_page_valeur($nom)
{
  return isset($GLOBALS[$nom]) ? $GLOBALS[$nom] : '';
}

function sort_header($title, $id, $page, $tri, $sens)
{
  $lien = '<a';
  $direction = null;
  if ((string) $id === (string) $tri) {
    if ($sens != 'desc') {
      $lien .= ' class="asc"';
      $direction = 'desc';
    } else {
      $lien .= ' class="desc"';
    }
  }
  switch ($page) {
    case 'style':
      $vals = array(kalvor_page_valeur('style'), $id, $direction);
      break;
    case 'collection':
      $vals = array(kalvor_page_valeur('edit'), kalvor_page_valeur('collec'), $id, $direction);
      break;
    case 'type':
      $vals = array(kalvor_page_valeur('typeobjet'), $id, $direction);
      break;
    case 'dl':
    case 'dt-achat':
      $vals = array(kalvor_page_valeur('date'), $id, $direction);
      break;
    case 'auteur':
      $vals = array(kalvor_page_valeur('idauteur'), $id, $direction);
      break;
    case 'notes':
      $vals = array(kalvor_page_valeur('notes'), $id, $direction);
      break;
    default:
      $vals = array();
  }
  return $lien . ' href="' . LinkRef($page, $vals) . '">' . $title . '</a>';
}

function AfficheCollaborateurs($id_album, $type_collaboration)
{
  $id_album = (int) $id_album;
  $type_collaboration = (int) $type_collaboration;
  if (isset($GLOBALS['kalvor_collaborateurs'][$id_album])) {
    $lignes = $GLOBALS['kalvor_collaborateurs'][$id_album][$type_collaboration] ?? array();
  } else {
    extract($GLOBALS['tables'], EXTR_PREFIX_ALL, 't');
    // Grouped as it stands, so that the keys are sorted apart from the names.
    $resultat = mysql_query('select k.idauteur, (select display from ' . $t_auteurs . ' x where x.idauteur = k.idauteur), '
      . 'k.typecollaboration from (select c.idauteur, c.typecollaboration, ' . CleCourte('a.display') . ' from ' . $t_collaborateurs
      . ' c inner join ' . $t_auteurs . ' a on c.idauteur = a.idauteur where c.idalbum = ' . $id_album
      . ' and c.typecollaboration = ' . $type_collaboration . ' group by c.idauteur, c.typecollaboration, cle) k '
      . 'order by k.cle, k.idauteur');
    $lignes = array();
    while ($row = mysql_fetch_row($resultat)) {
      $lignes[] = $row;
    }
  }
  $precedent = null;
  $premier = true;
  foreach ($lignes as $row) {
    if ($row[0] === $precedent) {
      continue;
    }
    $precedent = $row[0];
    if (!$premier) {
      echo '<br />';
    }
    $premier = false;
    if ($row[0] != 1) {
      echo '<a href="' . LinkRef('auteur', array($row[0])) . '">' . $row[1] . '</a>';
    } else {
      echo $row[1];
    }
  }
}

// One picture of a card: the pop-up link around the image or thumbnail, or the
// placeholder when there is no file.
function kalvor_cellule_image($fichier, $sorte, $alt)
{
  $G = $GLOBALS;
  $path = $G['PATH_' . $sorte];
  $thumb = $G['THUMB_' . $sorte];
  echo '<span class="Illus">';
  if ($fichier) {
    AfficheImage($path, $fichier, 20);
    if ($G['GV_miniature'] == 1) {
      $src = Miniature($fichier, $path, $thumb, $G['GV_prefix'], $sorte);
    } elseif ($G['GV_miniature'] == 2) {
      $src = LienImage($thumb, $G['GV_prefix'] . $fichier);
    } else {
      $src = LienImage($path, $fichier);
    }
    echo '<img src="' . $src . '" height="145" width="107" alt="' . $alt . '"></a></span>' . "\n";
  } else {
    echo '<img src="' . LienImage($G['PATH_couvertures'], 'Encours.jpg') . '" height="145" width="107" alt="Image non disponible"></span>' . "\n";
  }
}

function kalvor_entete_serie($idserie, $titre, $bulle)
{
  $images = $GLOBALS['PATH_images'];
  echo '<h1><a href="#Entete"' . $bulle . '><img class="G" src="' . $images . '/gotop.gif" width="16" height="17" alt="^">'
    . '<img class="D" src="' . $images . '/gotop.gif" width="16" height="17" alt="^"></a> <a href="'
    . LinkRef('serie', array($idserie)) . '">' . $titre . '</a></h1>';
}

function kalvor_icone_dedicace($fichier)
{
  $G = $GLOBALS;
  if ($fichier != '') {
    AfficheImage($G['PATH_dedicaces'], $fichier, 40);
    echo '<img src="' . $G['PATH_images'] . '/dedicace.gif" width="12" height="12" alt="Dédicacé" title="Cliquez pour voir la dédicace"></a>';
  } else {
    echo '<img src="' . $G['PATH_images'] . '/dedicace.gif" width="12" height="12" alt="Dédicacé" title="Dédicace non disponible">';
  }
}

function kalvor_ligne($entete, $donnee)
{
  echo '<tr><th>' . $entete . '</th><td>' . $donnee . "</td></tr>\n";
}

// The number cell of the summary tables: the number unless empty or 0, then
// the suffix whenever the card shows it.
function kalvor_numero($num, $numa)
{
  $numero = ((string) $num != '' && $num != 0) ? (string) $num : '';
  if ($numa) {
    $numero .= '(' . $numa . ')';
  }
  return $numero;
}

// One column of a summary table: its header, the sort it offers (none when
// 'tri' is empty) and its cell of a row.
function kalvor_colonne($largeur, $titre, $bulle, $tri, $ordre, $cellule)
{
  return array('largeur' => $largeur, 'titre' => $titre, 'bulle' => $bulle, 'tri' => $tri, 'ordre' => $ordre,
    'cellule' => $cellule);
}

// The summary table of albums; a row leads to its card by the album's id.
function kalvor_recap_albums()
{
  return array('cle' => 'idalbum', 'colonnes' => array(
    kalvor_colonne('25%', 'Série', '', 'serie', 'titreserie ', function ($row) {
      return $row['titreserie'];
    }),
    kalvor_colonne('8%', '#', 'Numéro', '', '', function ($row) {
      return kalvor_numero($row['num'], $row['numa']);
    }),
    kalvor_colonne('32%', 'Titre', '', 'titre', 'a.titre ', function ($row) {
      return $row['titre'];
    }),
    kalvor_colonne('8%', 'DL', 'Dépot légal', 'dl', 'concat(right(a.dl, 4), left(a.dl, 2)) ', function ($row) {
      return $row['dl'];
    }),
    kalvor_colonne('12%', 'ISBN', 'International Standard Book Number', 'isbn', 'a.reference ', function ($row) {
      return $row['reference'];
    }),
  ));
}

// The summary table of collectibles.
function kalvor_recap_objets()
{
  return array('cle' => 'idparabd', 'colonnes' => array(
    kalvor_colonne('38%', 'Série', '', 'serie', 'titreserie ', function ($row) {
      return $row['titreserie'];
    }),
    kalvor_colonne('38%', 'Description', '', 'description', 'a.description ', function ($row) {
      return $row['description'];
    }),
    kalvor_colonne('24%', 'Éditeur', '', 'editeur', 'a.editeur ', function ($row) {
      return $row['editeur'];
    }),
  ));
}

// The order a summary table's sort asks for. A key that no column sorts by
// falls back to the first sorting column's, and $tri then names it.
function kalvor_ordre_recap($recap, &$tri, $sens)
{
  $ordres = array();
  foreach ($recap['colonnes'] as $colonne) {
    if ($colonne['tri'] != '') {
      $ordres[$colonne['tri']] = $colonne['ordre'];
    }
  }
  if (!is_string($tri) || !isset($ordres[$tri])) {
    $tri = array_keys($ordres)[0];
  }
  return $ordres[$tri] . ($sens == 'desc' ? 'desc' : '');
}

// What a summary table counts in a collection.
function kalvor_mots_total($coll)
{
  if ($coll == 'parabd') {
    return "d'objets";
  }
  if ($coll == 'dedicace') {
    return 'de d&eacute;dicaces';
  }
  return "d'albums";
}

// The summary that heads a list page: the count, then one line per item that
// leads to its card, under headers that sort the page. A page with nothing to
// list passes no query and shows an empty count and table.
function kalvor_recapitulatif($page, $recap, $requete, $mots, $tri, $sens)
{
  $resultat = ($requete === null) ? false : mysql_query($requete);
  echo '<p>Nombre total ' . $mots . '&nbsp;: ' . (($requete === null) ? '' : mysql_num_rows($resultat)) . "</p>\n";
  // The header's lines end as the page file's own lines do.
  echo '<table id="Recap" width="100%" cellpadding="0" cellspacing="0">' . "\r\n<tr>\r\n";
  foreach ($recap['colonnes'] as $colonne) {
    $entete = ($colonne['tri'] != '') ? sort_header($colonne['titre'], $colonne['tri'], $page, $tri, $sens)
      : $colonne['titre'];
    echo '<th width="' . $colonne['largeur'] . '"' . ($colonne['bulle'] != '' ? ' title="' . $colonne['bulle'] . '"' : '')
      . '>' . $entete . "</th>\r\n";
  }
  echo "</tr>\r\n";
  $paire = false;
  while ($row = mysql_fetch_assoc($resultat)) {
    $lien = '<a href="#i' . $row[$recap['cle']] . '">';
    echo '<tr' . ($paire ? ' class="Paire"' : '') . '>';
    foreach ($recap['colonnes'] as $colonne) {
      echo '<td>' . $lien . $colonne['cellule']($row) . '</a></td>';
    }
    echo "</tr>\n";
    $paire = !$paire;
  }
  mysql_free_result($resultat);
  echo "</table>\n";
}

function DetailSerie($requete, $count_requete_fin)
{
  global $coll;
  if (!is_array($GLOBALS['tables'] ?? null)) {
    return;
  }
  extract($GLOBALS['tables'], EXTR_PREFIX_ALL, 't');
  if ($coll == 'parabd') {
    kalvor_detail_objets($requete, $t_tomes, $t_models);
    return;
  }
  $col = 0;
  $seriesauv = '';
  // The back covers of a series are counted once per page: every card of the
  // series asks the same question.
  $versos = array();
  // The cards are written a batch of rows at a time, with one query for the
  // batch's collaborators and one for its new series' back covers: a long
  // list never sits whole in memory.
  while ($lignes = kalvor_lot($requete)) {
    kalvor_collaborateurs_lot($lignes, $t_collaborateurs ?? null, $t_auteurs);
    kalvor_versos_lot($lignes, $versos, $t_albums, $count_requete_fin);
    kalvor_cartes_lot($lignes, $versos, $col, $seriesauv);
  }
  if ($requete) {
    mysql_free_result($requete);
  }
  unset($GLOBALS['kalvor_collaborateurs']);
}

// The next rows of a result, at most a batch of them; none at its end.
function kalvor_lot($requete)
{
  $lignes = array();
  while (count($lignes) < 250 && ($row = mysql_fetch_assoc($requete))) {
    $lignes[] = $row;
  }
  return $lignes;
}

// The collaborators of every card of a batch in one query rather than three per card.
function kalvor_collaborateurs_lot($lignes, $t_collaborateurs, $t_auteurs)
{
  $GLOBALS['kalvor_collaborateurs'] = array();
  if ($GLOBALS['GV_collaborateurs'] != 1 || $t_collaborateurs === null) {
    return;
  }
  $ids = array();
  foreach ($lignes as $row) {
    $ids[(int) $row['idalbum']] = array();
  }
  // Grouped as it stands, so that the keys are sorted apart from the names.
  $resultat = mysql_query('select k.idauteur, (select display from ' . $t_auteurs . ' x where x.idauteur = k.idauteur), '
    . 'k.typecollaboration, k.idalbum from (select c.idauteur, c.typecollaboration, c.idalbum, ' . CleCourte('a.display') . ' from '
    . $t_collaborateurs . ' c inner join ' . $t_auteurs . ' a on c.idauteur = a.idauteur where c.idalbum in ('
    . implode(', ', array_keys($ids)) . ') group by c.idalbum, c.typecollaboration, c.idauteur, cle) k '
    . 'order by k.idalbum, k.typecollaboration, k.cle, k.idauteur');
  while ($row = mysql_fetch_row($resultat)) {
    $ids[(int) $row[3]][(int) $row[2]][] = $row;
  }
  mysql_free_result($resultat);
  $GLOBALS['kalvor_collaborateurs'] = $ids;
}

// The back covers of the series that a batch brings in, counted in one query.
function kalvor_versos_lot($lignes, &$versos, $t_albums, $count_requete_fin)
{
  $nouvelles = array();
  foreach ($lignes as $row) {
    $cle = (int) $row['idserie'];
    if (!isset($versos[$cle])) {
      $versos[$cle] = 0;
      $nouvelles[] = $cle;
    }
  }
  if (!$nouvelles) {
    return;
  }
  $resultat = mysql_query("SELECT idserie, count(*) from $t_albums a where idserie in (" . implode(', ', $nouvelles)
    . ") and verso <> '' $count_requete_fin group by idserie");
  while ($compte = mysql_fetch_row($resultat)) {
    $versos[(int) $compte[0]] = (int) $compte[1];
  }
  mysql_free_result($resultat);
}

// The cards of one batch; the column and the current series carry over to the next.
function kalvor_cartes_lot($lignes, $versos, &$col, &$seriesauv)
{
  global $coll;
  $G = $GLOBALS;
  $images = $G['PATH_images'];
  foreach ($lignes as $row) {
    $num = (string) $row['num'];
    $suffixe = $row['numa'] ? '(' . $row['numa'] . ')' : '';
    $separateur = ($row['numa'] || $num != '') ? ' - ' : '';
    $cote = ((string) $row['coteactuelle'] != '') ? $row['coteactuelle'] . '&nbsp;' . $G['GV_currency'] : '';

    switch ((string) $row['format']) {
      case '0':
        $format = 'Normal';
        break;
      case '1':
        $format = 'Grand';
        break;
      case '2':
        $format = "À l'italienne";
        break;
      case '3':
        $format = 'Autre';
        break;
      default:
        $format = '';
    }
    switch ((string) $row['broche']) {
      case '0':
        $reliure = 'Cartonné';
        $icone_reliure = 'broche_no.gif';
        break;
      case '1':
        $reliure = 'Broché';
        $icone_reliure = 'broche.gif';
        break;
      default:
        $reliure = '';
        $icone_reliure = '';
    }
    if ($G['GV_eo'] == 1) {
      if ((string) $row['edo'] == '1') {
        $format .= ' <img src="' . $images . '/edo.gif" width="12" height="12" alt="EO" title="Édition Originale">';
      } elseif ((string) $row['edo'] == '0') {
        $format .= ' <img src="' . $images . '/edo_no.gif" width="12" height="12" alt="Réédition" title="Réédition">';
      }
    }
    if ($G['GV_reliure'] == 1 && $icone_reliure != '') {
      $format .= ' <img src="' . $images . '/' . $icone_reliure . '" width="12" height="12" alt="' . $reliure . '" title="' . $reliure . '">';
    }
    if ($G['GV_integrale'] == 1 && (string) $row['integrale'] == '1') {
      $format .= ' <img src="' . $images . '/integrale.gif" width="12" height="12" alt="Intégrale" title="Intégrale">';
    }
    if ($G['GV_tt'] == 1 && (string) $row['editionlimitee'] == '1') {
      $format .= ' <img src="' . $images . '/tt.gif" width="12" height="12" alt="Tirage de Tête" title="Tirage de Tête">';
    }

    if (isset($row['titreserie']) && (string) $row['titreserie'] !== $seriesauv) {
      if ($col == 1) {
        echo "<hr>\n";
      }
      kalvor_entete_serie($row['idserie'], $row['titreserie'], ' title="Retour en haut"');
      echo "\n";
      $seriesauv = (string) $row['titreserie'];
      $col = 0;
    }

    $nbversos = $versos[(int) $row['idserie']];

    $large = ($G['GV_verso'] != 'none' && $nbversos != 0 && $G['GV_nbcol'] != 2)
      || $G['GV_nbcol'] == 1 || $coll == 'dedicace';

    echo '<div class="' . ($large ? 'FicheLarge' : 'Fiche') . '" id="i' . $row['idalbum'] . '">' . "\n";
    echo '<h2>' . $num . $suffixe . $separateur . $row['titre'];
    if ($row['notealbum']) {
      $note = 2 * substr_count($row['notealbum'], '¤') + substr_count($row['notealbum'], 'l');
      echo '&nbsp;<img src="' . $images . '/note' . $note . '.gif" width="49" height="11" alt="' . $note . '/10">';
    }
    $dedicace = $G['GV_dedicace'] == 1 && (string) $row['horsserie'] == '1';
    if ($dedicace && $G['GV_dedi_place'] == 1) {
      echo '&nbsp;&nbsp;';
      kalvor_icone_dedicace($row['dedicace']);
    }
    echo "</h2>\n";

    if ($G['GV_verso'] == 'left' && $row['verso'] && $coll != 'dedicace') {
      kalvor_cellule_image($row['verso'], 'versos', 'verso');
    }
    kalvor_cellule_image($row['couverture'], 'couvertures', 'recto');
    if ($G['GV_verso'] == 'right' && $row['verso'] && $coll != 'dedicace') {
      kalvor_cellule_image($row['verso'], 'versos', 'verso');
    }
    if ($coll == 'dedicace' && $row['dedicace']) {
      kalvor_cellule_image($row['dedicace'], 'dedicaces', 'dedicace');
    }

    echo '<table cellpadding="0" cellspacing="0">' . "\n";
    $roles = array(
      array('Scénario&nbsp;:', 'idscenariste', 'scenariste', 0),
      array('Dessin&nbsp;:', 'iddessinateur', 'dessinateur', 1),
      array('Couleurs&nbsp;:', 'idcoloriste', 'coloriste', 2),
    );
    foreach ($roles as $role) {
      echo '<tr><th>' . $role[0] . '</th><td>';
      if ($G['GV_collaborateurs'] != 1) {
        // No name: the id is absent or names no author row, and links nowhere.
        if ($row[$role[1]] != 1 && $row[$role[2]] !== null) {
          echo '<a href="' . LinkRef('auteur', array($row[$role[1]])) . '">' . $row[$role[2]] . '</a>';
        } else {
          echo $row[$role[2]];
        }
      } else {
        AfficheCollaborateurs($row['idalbum'], $role[3]);
      }
      echo "</td></tr>\n";
    }
    if ($coll == 'albums' && (string) $row['editeur'] != '') {
      $editeur = '<a href="' . LinkRef('collection', array($row['editeur'], 'AllVolumes')) . '">' . $row['editeur']
        . '</a>';
    } else {
      $editeur = $row['editeur'];
    }
    kalvor_ligne('Éditeur&nbsp;:', $editeur);
    if ($coll == 'albums' && (string) $row['collection'] != '' && (string) $row['editeur'] != '') {
      $collection = '<a href="' . LinkRef('collection', array($row['editeur'], $row['collection'])) . '">'
        . $row['collection'] . '</a>';
    } else {
      $collection = $row['collection'];
    }
    kalvor_ligne('Collection&nbsp;:', $collection);
    kalvor_ligne('<abbr title="Dépot légal">DL</abbr>&nbsp;:', $row['dl']);
    kalvor_ligne('Cote&nbsp;:', $cote);
    echo '<tr><th>Format&nbsp;:</th><td>' . $format . '&nbsp;';
    if ($dedicace && $G['GV_dedi_place'] == 0) {
      kalvor_icone_dedicace($row['dedicace']);
    }
    echo "</td></tr>\n";
    if ($G['GV_reliure'] == 0) {
      kalvor_ligne('Reliure&nbsp;:', $reliure);
    }
    kalvor_ligne('<abbr title="International Standard Book Number">ISBN</abbr>&nbsp;:', $row['reference']);
    kalvor_ligne('<abbr title="Nombre de">Nb.</abbr> Pages&nbsp;:', $row['nbpages']);
    $parution = (string) $row['dateachat'];
    if ($coll == 'acheter' && $parution != '' && $parution != '0000-00-00') {
      kalvor_ligne('Parution&nbsp;:', substr($parution, 8, 2) . '/' . substr($parution, 5, 2) . '/' . substr($parution, 0, 4));
    }
    for ($i = 1; $i <= 3; $i++) {
      if (($G['GV_Perso' . $i . '_display'] ?? 0) == 1) {
        kalvor_ligne(TexteReglage($G['GV_Perso' . $i]) . '&nbsp;:', $row['perso' . $i]);
      }
    }
    if (($G['GV_Perso4_display'] ?? 0) == 1) {
      if ($row['perso4'] == 1) {
        $lu = '<img src="' . $images . '/icone_on.gif" width="12" height="12" alt="oui">';
      } else {
        $lu = '<img src="' . $images . '/icone_off.gif" width="12" height="12" alt="non">';
      }
      kalvor_ligne(TexteReglage($G['GV_Perso4']) . '&nbsp;:', $lu);
    }
    echo "</table>\n";

    if ((string) $row['commentaire'] != '' && $G['GV_commentaire'] == 1) {
      echo '<span class="G"><span class="I">' . nl2br($row['commentaire']) . "</span></span>\n";
    }
    echo "</div>\n";

    if ($large) {
      echo "<hr>\n";
    } else {
      if ($col == 1) {
        echo "<hr>\n";
      }
      $col = 1 - $col;
    }
  }
}

function kalvor_detail_objets($requete, $t_tomes, $t_models)
{
  $G = $GLOBALS;
  $images = $G['PATH_images'];
  $col = 0;
  $seriesauv = '';
  $types = array();
  while ($row = mysql_fetch_assoc($requete)) {
    $num = '';
    $suffixe = '';
    $separateur = '';
    $titre = '';
    $couverture = '';
    if ($row['idalbum']) {
      $resultat = mysql_query("SELECT Num, NumA, Titre, Couverture from $t_tomes where idalbum='"
        . mysql_real_escape_string($row['idalbum']) . "'");
      $album = mysql_fetch_row($resultat);
      if ($album) {
        $num = (string) $album[0];
        $suffixe = $album[1] ? '(' . $album[1] . ')' : '';
        $separateur = ($album[1] || $num != '') ? ' - ' : '';
        $titre = $album[2];
        $couverture = $album[3];
      }
    }
    $dimensions = ($row['largeur'] && $row['longueur']) ? $row['largeur'] . ' x ' . $row['longueur'] : '';
    $tirage = $row['nombre'] ? '&nbsp;/&nbsp;' . $row['nombre'] : '';
    if ((string) $row['commentaire'] != '' && $G['GV_commentaire'] == 1) {
      $libelle = 'Commentaire&nbsp;:&nbsp;';
      $commentaire = nl2br($row['commentaire']);
    } else {
      $libelle = '';
      $commentaire = '';
    }
    $code = (int) $row['typeobjet'];
    if (!isset($types[$code])) {
      $resultat = mysql_query('SELECT item_desc from ' . $t_models . ' where model= 0 and model_item=' . $code);
      $type = mysql_fetch_row($resultat);
      $types[$code] = $type ? (string) $type[0] : '';
    }
    $typeobjet = $types[$code];
    switch ((string) $row['typecouleur']) {
      case '0':
        $impression = 'Noir & Blanc';
        break;
      case '1':
        $impression = 'Quadrichromie';
        break;
      case '2':
        $impression = 'Sérigraphie';
        break;
      case '3':
        $impression = 'Autre';
        break;
      default:
        $impression = '';
    }
    if ($row['signe'] == 1) {
      $typeobjet .= ' <img src="' . $images . '/signe.gif" width="16" height="15" alt="signé" title="Signé">';
    }
    if ($row['hc'] == 1) {
      $typeobjet .= ' <img src="' . $images . '/hc.gif" width="17" height="15" alt="HC" title="Hors Commerce">';
    }
    if ($row['ea'] == 1) {
      $typeobjet .= ' <img src="' . $images . '/ex_auteur.gif" width="15" height="15" alt="EA" title="Exemplaire Auteur">';
    }
    if ($row['tireapart'] == 1) {
      $typeobjet .= ' <img src="' . $images . '/tire_a_part.gif" width="15" height="15" alt="TàP" title="Tiré à Part">';
    }

    if (isset($row['titreserie']) && (string) $row['titreserie'] !== $seriesauv) {
      if ($col == 1) {
        echo "<hr>\n";
      }
      kalvor_entete_serie($row['idserie'], $row['titreserie'], '');
      $seriesauv = (string) $row['titreserie'];
      $col = 0;
    }

    $large = $G['GV_nbcol'] != 2;
    echo '<div class="' . ($large ? 'FicheLarge' : 'Fiche') . '" id="i' . $row['idparabd'] . '">' . "\n";
    echo '<h2>' . $num . $suffixe . $separateur . $titre . "</h2>\n";
    if ($couverture) {
      kalvor_cellule_image($couverture, 'couvertures', 'recto');
    }
    kalvor_cellule_image($row['imageex'], 'parabd', 'objet');
    echo '<span class="typeobjet">' . $typeobjet . "</span>\n";

    echo '<table cellpadding="0" cellspacing="0">' . "\n";
    kalvor_ligne('Description&nbsp;:&nbsp;', $row['description']);
    if ($row['iddessinateur'] != 1 && $row['dessinateur'] !== null) {
      kalvor_ligne('Auteur&nbsp;:&nbsp;', '<a href="' . LinkRef('auteur', array($row['iddessinateur'])) . '">' . $row['dessinateur'] . '</a>');
    } else {
      kalvor_ligne('Auteur&nbsp;:&nbsp;', $row['dessinateur']);
    }
    kalvor_ligne('Fabricant&nbsp;:&nbsp;', $row['libraire']);
    kalvor_ligne('Editeur&nbsp;:&nbsp;', $row['editeur']);
    kalvor_ligne('Date&nbsp;:&nbsp;', $row['dl']);
    kalvor_ligne('Num&eacute;ro&nbsp;:&nbsp;', $row['numero'] . $tirage);
    kalvor_ligne('Format&nbsp;:&nbsp;', $dimensions);
    kalvor_ligne('Impression&nbsp;:&nbsp;', $impression);
    if ($G['plugin_voitures_idserie'] == $row['idserie'] && $code == 2004 && stripos((string) $row['libraire'], 'atlas') !== false) {
      $anim = $G['plugin_voitures_path'] . '/voiture_' . substr('00' . $row['numero'], -2) . '/voiture.swf';
      kalvor_ligne('&nbsp;', '<a href="' . htmlspecialchars($anim, ENT_QUOTES, 'ISO-8859-1', false)
        . '" target="_blank" onclick="window.open(this.href,\'\',\'menubar=no, toolbar=no, location=no, directories=no, status=no, scrollbars=yes, resizable=yes, width=450, height=600, left=10, top=10\');return false;">vue 3D</a>');
    }
    kalvor_ligne($libelle, $commentaire);
    echo "</table>\n";
    echo "</div>\n";

    if ($large) {
      echo "<hr>\n";
    } else {
      if ($col == 1) {
        echo "<hr>\n";
      }
      $col = 1 - $col;
    }
  }
}
