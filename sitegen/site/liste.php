require 'coeur.php';

function ListeIdx()
{
  echo '<div id="titre-lst">' . "\n";
  foreach (range('A', 'Z') as $lettre) {
    echo '<a href="#' . $lettre . '">' . $lettre . "</a>\n";
  }
  echo "</div>\n";
}

// Authors with the counts `$comptes` gives by author id, by name. The
// authors are read first and sorted alone, each then joined to its count:
// no temporary table holds their names.
function ListeAuteurs($t_auteurs, $comptes)
{
  return "SELECT b.idauteur, b.display, b.photo, r.n FROM $t_auteurs b STRAIGHT_JOIN ($comptes) r "
    . "ON r.idauteur = b.idauteur ORDER BY b.display, b.idauteur";
}

// Series (or magazine titles) with their item counts, by title.
function ListeSeries($t_series, $t_albums, $t_filtre)
{
  return "SELECT g.id, " . TexteEntier('titre', $t_series, 'idserie') . ", g.n FROM "
    . SeriesComptees($t_series, $t_albums, $t_filtre) . " ORDER BY g.cle, g.suite, g.id";
}

echo '<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">' . "\n";
echo "<html>\n";
echo "<head>\n";
echo '<meta http-equiv="content-type" content="text/html; charset=ISO-8859-1">' . "\n";
echo "<title>Orme Lo' &amp; Kalvor - liste par " . $liste . "</title>\n";
echo '<link rel="stylesheet" type="text/css" href="kalvor.php">' . "\n";
echo '<link rel="stylesheet" type="text/css" href="print.css" media="print">' . "\n";
echo '<script type="text/javascript" src="fonctions.js"></script>' . "\n";
echo "</head>\n";

extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

$mois_noms = array('Janvier', 'Février', 'Mars', 'Avril', 'Mai', 'Juin', 'Juillet', 'Août',
  'Septembre', 'Octobre', 'Novembre', 'Décembre');

// The lists of album pages serve the album collections only; a list whose
// tables lack its columns stays empty rather than sending a failing query.
$albums_seuls = in_array($coll, array('albums', 'acheter', 'dedicace'), true);
$requete = '';
$date_liste = false;
$idxnom2 = -1;
$idxspecial = -1;
$sansnom = '';
$cle2 = false;
switch ($liste) {
  case 'notes':
    $page = 'notes';
    $idxnom1 = 0;
    $idxnb = 1;
    $sansnom = '(sans note)';
    if ($albums_seuls) {
      $requete = "SELECT COALESCE(notealbum, '') as note, count(*) from $t_albums a where 1 = 1 $t_filtre group by note ORDER BY note";
    }
    break;
  case 'series':
    $page = 'serie';
    $idxnom1 = 1;
    $idxnb = 2;
    $requete = ListeSeries($t_series, $t_albums, $t_filtre);
    break;
  case 'auteurs':
    $page = 'auteur';
    $idxnom1 = 1;
    $idxnb = 3;
    $idxspecial = 2;
    if ($GLOBALS['GV_collaborateurs'] != 1 || $coll == 'parabd') {
      if ($coll != 'revue') {
        // Albums are counted by author id alone, a short key, and the names
        // joined to the counts. Collectibles count themselves, as in the date
        // lists, not the albums they belong to, and only under their artist,
        // as the author page lists them.
        $requete = ListeAuteurs($t_auteurs, ($coll == 'parabd')
          ? "SELECT a.iddessinateur idauteur, count(*) n from $t_albums a where 1 = 1 $t_filtre group by idauteur having idauteur <> 1"
          : AlbumsParAuteur($t_albums, $t_filtre, '1'));
      }
    } elseif ($albums_seuls) {
      // The author page lists an album under its writers, artists and
      // colourists only: links of other kinds count nothing.
      $requete = ListeAuteurs($t_auteurs, "SELECT c.idauteur, count(distinct c.idalbum) n from $t_collaborateurs c inner join $t_albums a on a.idalbum = c.idalbum where c.idauteur <> 1 and c.typecollaboration in (0, 1, 2) $t_filtre group by c.idauteur");
    }
    break;
  case 'styles':
    $page = 'style';
    $idxnom1 = 0;
    $idxnb = 1;
    $sansnom = '(style non précisé)';
    // Every collection's series have a genre.
    $requete = "SELECT " . TexteEntier("COALESCE(style, '')", $t_series, 'idserie') . " genre, g.n FROM (SELECT min(s.idserie) id, sum(b.n) n, "
      . CleTexte("COALESCE(s.style, '')") . " FROM $t_series s inner join " . ParSerie($t_albums, $t_filtre) . " on s.idserie = b.idserie GROUP BY cle, suite) g"
      . " ORDER BY g.cle, g.suite";
    break;
  case 'collections':
    $page = 'collection';
    $idxnom1 = 0;
    $idxnom2 = 1;
    $idxnb = 2;
    $cle2 = true;
    if ($albums_seuls) {
      // Grouped by sorting: the two long texts make a key too long for a
      // temporary table in memory in UTF-8 tables, and one on disk is slower.
      $requete = "SELECT SQL_BIG_RESULT editeur, COALESCE(collection, '') as collec, count(*) FROM $t_albums a where 1 = 1 $t_filtre GROUP BY editeur, collec ORDER BY editeur, collec";
    }
    break;
  case 'types':
    $page = 'type';
    $idxnom1 = 1;
    $idxnb = 2;
    if ($coll == 'parabd') {
      // Counted as the type page lists them: with or without a series, whatever their author.
      $requete = "SELECT typeobjet, item_desc, count(*) FROM $t_albums a join $t_models on typeobjet = model_item where model = 0 $t_filtre GROUP BY typeobjet, item_desc ORDER BY item_desc, typeobjet";
    }
    break;
  case 'revue':
    $page = 'revue';
    $idxnom1 = 1;
    $idxnb = 2;
    if ($coll == 'revue') {
      $requete = ListeSeries($t_series, $t_albums, $t_filtre);
    }
    break;
  case 'dl':
    $page = 'dl';
    $date_liste = true;
    $formated_field = 'a.dl';
    $tri = 'DL';
    $titre_action = 'publiés';
    $titre_liste = 'Tri par dépôt légal';
    break;
  case 'dt-achat':
    $page = 'dt-achat';
    $date_liste = true;
    // The update script writes a missing purchase date as the zero date.
    $formated_field = "date_format(nullif(a.dateachat, '0000-00-00'), '%m/%Y')";
    $tri = "date d'achat";
    $titre_action = 'achetés';
    $titre_liste = "Tri par date d'achat";
    break;
}

if ($date_liste) {
  echo '<body class="date">' . "\n";
  echo '<div id="titre-lst">' . $titre_liste . "</div>\n";
  // Albums and collectibles both have dates. In the dedications collection
  // every album of a date counts, as its date page lists them. An object may
  // belong to no album: rows are counted, not album ids.
  if ($albums_seuls || $coll == 'parabd') {
    $requete = "select right($formated_field, 4) annee, left($formated_field,2) mois, count(*) from $t_albums a where $formated_field is not null group by annee, mois"
      . " union select right($formated_field, 4) annee, '', count(*) from $t_albums a group by annee order by annee, mois asc";
  }
} else {
  echo "<body>\n";
  ListeIdx();
}
echo '<ul id="liste">' . "\n";

if (!$date_liste) {
  $total = '';
  if ($coll == 'dedicace') {
    // Only the series page shows them all: an author or genre page keyed "all" is empty.
    $total = '(toutes les dédicaces)';
    $requete_total = 'SELECT count(*) from ' . $prefixe_table . 'albums where horsserie = 1 ';
    $page_total = 'serie';
  } elseif ($coll == 'revue') {
    // Only the magazine page shows them all, whichever list leads to it.
    $total = '(toutes les revues)';
    $requete_total = 'SELECT count(*) from ' . $prefixe_table . 'revues';
    $page_total = 'revue';
  }
  if ($total != '') {
    $nb = 0;
    $result = mysql_query($requete_total);
    if ($row = mysql_fetch_row($result)) {
      $nb = $row[0];
    }
    echo '<li><a href="' . LinkRef($page_total, array('all')) . '" target="_top">' . $total
      . '<span class="nb_albums">&nbsp;[' . $nb . ']</span></a></li>' . "\n";
  }

  if ($requete != '') {
    $result = mysql_query($requete);
    $derniere = '';
    while ($row = mysql_fetch_row($result)) {
      $nom = (string) $row[$idxnom1];
      $initiale = substr($nom, 0, 1);
      $attributs = '';
      if ($initiale != '' && $initiale != $derniere && ctype_alpha($initiale)) {
        $attributs .= ' id="' . $initiale . '"';
        $derniere = $initiale;
      }
      if ($idxspecial != -1 && (string) $row[$idxspecial] != '' && $GLOBALS['GV_colorauteur'] == 1) {
        $attributs .= ' class="special"';
      }
      if ($cle2) {
        $cles = array($row[0], (string) $row[1]);
      } else {
        $cles = array($row[0]);
      }
      if ($nom == '') {
        $texte = $sansnom;
      } elseif ($liste == 'notes') {
        $points = 2 * substr_count($nom, '¤') + substr_count($nom, 'l');
        $texte = '<img src="' . $PATH_images . '/note' . $points . '.gif" width="49" height="11" alt="'
          . $points . '/10">';
      } else {
        $texte = $nom;
      }
      if ($idxnom2 != -1) {
        $texte .= ' - ' . $row[$idxnom2];
      }
      if ($GLOBALS['GV_nb_liste'] == 1 && $row[$idxnb] != 0) {
        $texte .= ' <span class="nb_albums">&nbsp;[' . $row[$idxnb] . ']</span>';
      }
      echo '<li><a' . $attributs . ' href="' . LinkRef($page, $cles) . '" target="_top">' . $texte
        . "</a></li>\n";
    }
  }
} elseif ($requete != '') {
  GetVariable('date', '');
  $date = (string) $date;
  $ouvert = false;
  $result = mysql_query($requete);
  while ($row = mysql_fetch_row($result)) {
    $annee = (string) $row[0];
    $mois = (string) $row[1];
    $nb = $row[2];
    if ($mois == '' && $ouvert) {
      echo "</ul></li>\n";
      $ouvert = false;
    }
    $actif = $date != '' && ($annee . '/' . $mois == $date || ($mois == '' && $annee != '' && $annee == substr($date, 0, 4)));
    echo '<li' . ($actif ? ' class="actif"' : '') . '><a href="' . LinkRef($page, array($annee . '/' . $mois))
      . '" target="_top" title="' . $nb . ' albums';
    if ($annee == '') {
      echo " qui n'ont pas de " . $tri . '">(albums sans ' . $tri . ')&nbsp;<span class="nb_albums">['
        . $nb . "]</span></a></li>\n";
    } elseif ($mois == '') {
      echo ' ' . $titre_action . ' en ' . $annee . '">' . $annee . '&nbsp;<span class="nb_albums">['
        . $nb . "]</span></a>\n<ul>\n";
      $ouvert = true;
    } else {
      // A month outside the calendar is shown as it is stored.
      $rang = ctype_digit($mois) ? (int) $mois : 0;
      $nom_mois = ($rang >= 1 && $rang <= 12) ? $mois_noms[$rang - 1] : $mois;
      echo ' ' . $titre_action . ' en ' . $nom_mois . ' ' . $annee . '">' . $nom_mois . ' ' . $annee
        . '&nbsp;<span class="nb_albums">[' . $nb . "]</span></a></li>\n";
    }
  }
  if ($ouvert) {
    echo "</ul></li>\n";
  }
}

echo "</ul>\n";
echo "</body>\n";
echo "</html>\n";
?>
