require_once 'coeur.php';

// One bar, as wide as its count's share of the highest count.
function repart($style, $nb, $img, $largeur)
{
  // A chart whose counts are all zero draws flat bars instead of dividing by zero.
  $large = ($nb == 0) ? 0 : ($style / $nb) * $largeur;
  echo '<img src="' . $img . '" alt="' . $style . '" width="' . $large . '" height="10">';
}

// Albums counted by a text of theirs, the most frequent first.
function ParTexte($colonne, $t_albums)
{
  return "select " . TexteEntier($colonne, $t_albums, 'idalbum') . ", g.n from (select min(idalbum) id, count(*) n, " . CleTexte($colonne)
    . " from $t_albums group by cle, suite) g order by g.n desc, g.cle, g.suite";
}

// The charts count albums: the collectibles and magazines have none of their
// own, so on those collections the page shows the owned albums.
if ($coll == 'parabd' || $coll == 'revue') {
  $tables = array('series' => $prefixe_table . 'series', 'auteurs' => $prefixe_table . 'auteurs',
    'collaborateurs' => $prefixe_table . 'collaborateurs', 'albums' => $prefixe_table . 'albums',
    'models' => $prefixe_table . 'model_item');
}
extract($tables, EXTR_PREFIX_ALL, 't');

Entete('Mes statistiques', 'stats');
echo "<h1>Mes Statistiques</h1>\n";

if (!isset($GV_Stats_array) || !is_array($GV_Stats_array)) {
  $GV_Stats_array = array();
}
ksort($GV_Stats_array);
foreach ($GV_Stats_array as $w_stat) {
  $display_pct = $w_stat['type'];
  $display_others = $w_stat['autres'];
  $display_nb = $w_stat['nb'];
  $filtre = array('');
  echo '<!-- ' . $w_stat['stat'] . " -->\n";
  if ($w_stat['use'] != 1) {
    continue;
  }
  $w_titre = ($display_pct == 1) ? 'R&eacute;partition' : "Nombre d'albums";
  switch ($w_stat['stat']) {
    case 'ST01':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par Style";
      // Albums are counted by series through the series index, then the
      // few series are added up by genre.
      $SQL = "select " . TexteEntier('style', $t_series, 'idserie') . ", g.n from (select min(a.idserie) id, sum(b.n) n, " . CleTexte('a.style')
        . " from $t_series a inner join " . ParSerie($t_albums, '') . " on a.idserie = b.idserie group by cle, suite) g"
        . " order by g.n desc, g.cle, g.suite";
      require '_detail_stats.php';
      break;
    case 'ST02':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par &Eacute;diteur";
      $SQL = ParTexte('editeur', $t_albums);
      require '_detail_stats.php';
      break;
    case 'ST03':
      $w_titre = ($display_pct == 1) ? 'R&eacute;partition des achats' : "Nombre d'album achet&eacute;s";
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par mois ($display_nb derniers mois)";
      // count(*): the purchase-date index alone answers it.
      $SQL = "select left(dateachat, 7), count(*) from $t_albums a where dateachat <> '0000-00-00' group by left(dateachat, 7) order by 1 desc";
      require '_detail_stats.php';
      break;
    case 'ST04':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par série ($display_nb séries avec le plus d'albums)";
      $SQL = "select " . TexteEntier('titre', $t_series, 'idserie') . ", g.n from " . SeriesComptees($t_series, $t_albums, '')
        . " order by g.n desc, g.cle, g.suite, g.id";
      require '_detail_stats.php';
      break;
    case 'ST05':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par auteur ($display_nb auteurs avec le plus d'albums)";
      $SQL = "select " . TexteEntier('display', $t_auteurs, 'idauteur') . ", g.n from (select a.idauteur id, r.n, " . CleTexte('a.display')
        . " from $t_auteurs a inner join (" . AlbumsParAuteur($t_albums, '', '1, 2, 3') . ") r on a.idauteur = r.idauteur"
        . " group by a.idauteur, r.n, cle, suite) g order by g.n desc, g.cle, g.suite, g.id";
      require '_detail_stats.php';
      break;
    case 'ST06':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par " . TexteReglage($GV_Perso1);
      $SQL = ParTexte('perso1', $t_albums);
      require '_detail_stats.php';
      break;
    case 'ST07':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par " . TexteReglage($GV_Perso2);
      $SQL = ParTexte('perso2', $t_albums);
      require '_detail_stats.php';
      break;
    case 'ST08':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par " . TexteReglage($GV_Perso3);
      $SQL = ParTexte('perso3', $t_albums);
      require '_detail_stats.php';
      break;
    case 'ST09':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre par " . TexteReglage($GV_Perso4);
      $SQL = "select item_desc, count(idalbum) from $t_albums a, $t_models b where b.model=99 and a.perso4 = b.model_item group by item_desc order by 2 desc, 1";
      require '_detail_stats.php';
      break;
    case 'ST10':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = "$w_titre &eacute;ditions originales / r&eacute;&eacute;ditions";
      // Albums counted by their flag first: the two items then join two rows.
      $SQL = "select b.item_desc, c.n from (select edo, count(*) n from $t_albums group by edo) c inner join $t_models b on c.edo = b.model_item where b.model = 1 order by 2 desc, 1, c.edo";
      require '_detail_stats.php';
      break;
    case 'ST11':
      //$filtre = array('<Collectif>', 'valeur1', 'valeur2');
      $titre_stats = 'R&eacute;partition des objets ParaBD';
      $SQL = "select item_desc, count(idparabd) from " . $prefixe_table . "parabd a, $t_models b where b.model=0 and a.typeobjet = b.model_item group by item_desc order by 2 desc, 1";
      require '_detail_stats.php';
      break;
  }
}

//pour définir ici vos stats personelles
//$filtre = array('<Collectif>', 'valeur1', 'valeur2');
//$titre_stats = "*+*+*+*+* Statistiques Persos *+*+*+*+*";
//$SQL = "select perso1, count(idalbum) from $t_albums group by perso1 order by 2 desc";
//require '_detail_stats.php';

Pied();
?>
