require_once 'coeur.php';

extract($tables, EXTR_PREFIX_ALL, 't');
if (!isset($t_filtre)) {
  $t_filtre = '';
}

function kalvor_compte($sql)
{
  $row = mysql_fetch_row(mysql_query($sql));
  return $row ? $row[0] : '';
}

$nb_auteurs = kalvor_compte("SELECT count(*) from $t_auteurs");
$nb_series = kalvor_compte("SELECT count(*) from $t_series");
$nb_albums = kalvor_compte("SELECT count(*) from $t_albums a where 1 = 1 $t_filtre");

switch ($coll) {
  case 'acheter':
    $titre = 'Mes Recherches';
    break;
  case 'dedicace':
    $titre = 'Mes Dédicaces';
    break;
  case 'parabd':
    $titre = 'Mes Para-BD';
    break;
  case 'revue':
    $titre = 'Mes Revues';
    break;
  default:
    $titre = TexteReglage($GV_titre);
}

Entete($titre, 'accueil');
?>
<div class="banner"><a href="http://www.ormelo.example/" target="_top"><img src="<?php echo $PATH_images; ?>/bandeau.gif" width="468" height="60" alt="Ormelo' 5 - Gérer votre collection de BD"></a></div>
<h1><?php echo $titre; ?></h1>
<div class="stats">
<?php
switch ($coll) {
  case 'dedicace':
    echo "$nb_albums Albums";
    break;
  case 'parabd':
    echo "$nb_albums objets";
    break;
  case 'revue':
    echo "$nb_albums revues";
    break;
  default:
    echo "$nb_series Séries, $nb_albums Albums, $nb_auteurs Auteurs";
}
$requete = @mysql_query('SELECT * FROM ' . $prefixe_table . 'kalvor');
$row = @mysql_fetch_row($requete);
if ($row && (string) $row[0] != '') {
  $jour = substr($row[0], 8, 2);
  $annee = substr($row[0], 0, 4);
  $mois = substr($row[0], 5, 2);
  echo "<br>dernière mise à jour : $jour/$mois/$annee";
}
?>

</div>
<div class="banner"><a href="http://www.kalvor.example/"><img src="<?php echo $PATH_images; ?>/kalvor.gif" width="100" height="20" alt="Powered by KALvor"></a></div>
<p>
Toutes les données présentées ici (séries, albums et auteurs) sont issues de
<a href="http://www.ormelo.example/" target="_top">Orme Lo'</a>
et de l'outil <a href="http://www.kalvor.example/">Kalvor</a>
qui permettent
respectivement de gérer une collection de Bandes Dessinées et d'exporter cette
collection en PHP.
</p>
<?php
if ($coll == 'albums' || $coll == 'acheter') {
  if ($coll == 'albums') {
    $nb_listes = $GV_listecollec + $GV_listestyle + $GV_listedl + $GV_listeachat + $GV_listenotes + 2;
  } else {
    $nb_listes = $GV_listedl + $GV_listenotes + 2;
  }
  $methodes = array(
    array('par séries', 'series', true, 'bt_series.gif', 57, 'Liste des séries', '[Liste des séries]'),
    array('par auteurs', 'auteurs', true, 'bt_auteurs.gif', 63, 'Liste des auteurs', '[Liste des auteurs]'),
    array('par notes', 'notes', $GV_listenotes == 1, 'bt_notes.gif', 62, 'Liste par notes', '[Liste par notes]'),
    array('par collections', 'collections', $coll == 'albums' && $GV_listecollec == 1, 'bt_collections.gif', 79,
      'Liste des collections', '[Liste des collections]'),
    array('par styles', 'styles', $coll == 'albums' && $GV_listestyle == 1, 'bt_styles.gif', 53, 'Liste des styles',
      '[Liste des styles]'),
    array('par dépôt légal', 'dl', $GV_listedl == 1, 'bt_dl.gif', 62, 'Liste par D.L.', '[Liste par D.L.]'),
    array("par date d'achat", 'dt-achat', $coll == 'albums' && $GV_listeachat == 1, 'bt_achat.gif', 62,
      "Liste par date d'achat", "[Liste par dates d'achat]"),
  );
  echo "<p>L'affichage peut s'effectuer selon $nb_listes méthodes&nbsp;:</p>\n";
  echo '  <ul id="methodes">' . "\n";
  foreach ($methodes as $m) {
    if (!$m[2]) {
      continue;
    }
    // The wish list reloads the whole home page for its two main lists.
    if ($coll == 'acheter' && ($m[1] == 'series' || $m[1] == 'auteurs')) {
      $lien = 'index.php?coll=' . $coll . '&amp;liste=' . $m[1] . '"';
    } else {
      $lien = 'liste.php?coll=' . $coll . '&amp;liste=' . $m[1] . '" target="liste"';
    }
    echo '    <li>' . $m[0] . ' <a class="bouton" href="' . $lien . '><img src="' . $PATH_images . '/' . $m[3]
      . '" height="18" width="' . $m[4] . '" alt="' . $m[5] . '"><span>' . $m[6] . "</span></a></li>\n";
  }
  echo "  </ul>\n";
}

if ($coll == 'parabd') {
  $legende = array(
    array('signe.gif', 'si.', 'Signé.'),
    array('hc.gif', 'h.c.', 'Hors Commerce.'),
    array('ex_auteur.gif', 'e.a.', 'Exemplaire Auteur.'),
    array('tire_a_part.gif', 't.à.p.', 'Tiré à Part.'),
  );
} elseif ($coll != 'revue' && ($GV_eo || $GV_integrale || $GV_dedicace || $GV_reliure || $GV_tt)) {
  $legende = array();
  if ($GV_eo) {
    $legende[] = array('edo.gif', 'é.o.', 'Cet album est une édition originale (première édition).');
    $legende[] = array('edo_no.gif', 'r.é.', "Cet album n'est pas une édition originale (réédition ou\nréimpression).");
  }
  if ($GV_reliure) {
    $legende[] = array('broche.gif', 'broch.', 'Cet album est broché.');
    $legende[] = array('broche_no.gif', 'cart.', 'Cet album est cartonné.');
  }
  if ($GV_tt) {
    $legende[] = array('tt.gif', 'TT', 'Cet album est un tirage de tête.');
  }
  if ($GV_integrale) {
    $legende[] = array('integrale.gif', 'int.', 'Cet album est une édition intégrale.');
  }
  if ($GV_dedicace) {
    $legende[] = array('dedicace.gif', 'déd.', "L'album est dédicacé. Cliquez sur l'image pour visualiser la dédicace.");
  }
} else {
  $legende = null;
}
if ($legende !== null) {
  echo "<h2>Légende&nbsp;:</h2>\n";
  echo '  <dl id="legende">' . "\n";
  foreach ($legende as $l) {
    echo '    <dt><img src="' . $PATH_images . '/' . $l[0] . '" alt="' . $l[1] . '"></dt><dd>' . $l[2] . "</dd>\n";
  }
  echo "  </dl>\n";
}
?>
<p class="important"><strong>Remarque importante&nbsp;:</strong>
L'ensemble des images présentes sur ce site sont Copyright de leurs éditeurs
et auteurs respectifs. Si ces derniers le désirent, je les retirerai
immédiatement. Elles n 'ont pour but que de présenter ces séries.</p>
<?php
switch ($coll) {
  case 'albums':
    if ($GV_images_accueil == 1) {
      echo '<div class="col1">' . "\n";
    }
    echo "  <h2>Les $GV_series_accueil dernières séries&nbsp;:</h2>\n";
    echo '  <ul id="derseries">' . "\n";
    $nb_series_accueil = (int) $GV_series_accueil;
    if ($nb_series_accueil > 0) {
      // The latest series all have a purchase on or after the day when the
      // latest purchases, newest first, have reached that many series: the
      // grouping reads from that day on rather than the whole collection.
      $depuis = '';
      $lus = $nb_series_accueil * 50;
      $requete = mysql_query("SELECT a.idserie, a.dateachat FROM $t_albums a, $t_series b WHERE a.idserie = b.idserie "
        . "AND a.dateachat IS NOT NULL ORDER BY a.dateachat DESC LIMIT 0, $lus");
      $vues = array();
      while ($row = mysql_fetch_row($requete)) {
        $vues[$row[0]] = true;
        if (count($vues) == $nb_series_accueil) {
          $depuis = "AND dateachat >= '" . mysql_real_escape_string($row[1]) . "' ";
          break;
        }
      }
      $requete = mysql_query("SELECT k.idserie, (SELECT titre FROM $t_series x WHERE x.idserie = k.idserie), k.derniere FROM "
        . "(SELECT a.idserie, a.derniere, " . CleCourte('b.titre') . " FROM (SELECT idserie, MAX(dateachat) AS derniere FROM $t_albums "
        . "WHERE 1 = 1 $depuis GROUP BY idserie) a, $t_series b WHERE a.idserie = b.idserie ORDER BY 2 DESC, 3, 1 "
        . "LIMIT 0, $nb_series_accueil) k ORDER BY k.derniere DESC, k.cle, k.idserie");
      while ($row = mysql_fetch_row($requete)) {
        if ((string) $row[1] == '') {
          continue;
        }
        $date = (string) $row[2];
        echo '    <li><a href="' . LinkRef('serie', $row) . '">' . $row[1] . '</a>&nbsp;<span class="date">le '
          . substr($date, 8, 2) . '/' . substr($date, 5, 2) . '/' . substr($date, 0, 4) . "</span></li>\n";
      }
    }
    echo "  </ul>\n";
    if ($GV_images_accueil == 1) {
      echo "</div>\n";
      echo '<div class="col2">' . "\n";
      require '_nouv_couv.php';
      echo "</div>\n";
    }
    break;
  case 'parabd':
    if ($GV_images_accueil == 1) {
      echo "<div>\n";
      require '_nouv_parabd.php';
      echo "</div>\n";
    }
    break;
  case 'revue':
    if ($GV_images_accueil == 1) {
      echo "<div>\n";
      require '_nouv_revue.php';
      echo "</div>\n";
    }
    break;
}

Pied();
?>
