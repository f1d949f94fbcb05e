require_once 'coeur.php';
require_once '_serie.php';

GetVariable('idserie', -1);
// A series number, or "all" for every dedicated album; anything else names no series.
if ($idserie !== 'all') {
  $idserie = is_numeric($idserie) ? (int) $idserie : -1;
}
extract($tables, EXTR_PREFIX_ALL, 't');
$count_requete_fin = '';

$all_sql = ($idserie === 'all') ? '' : "and a.idserie=$idserie ";
// An album shows whatever its author ids hold: an absent author leaves its name empty.
$auteurs_sql = "left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur "
  . "left join $t_auteurs d on a.idcoloriste = d.idauteur";
$SQL = '';
switch ($coll) {
  case 'albums':
  case 'acheter':
    if ($idserie !== 'all') {
      $SQL = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste from $t_albums a $auteurs_sql "
        . "where a.idserie=$idserie order by num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum";
    }
    break;
  case 'dedicace':
    $SQL = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as titreserie from $t_albums a "
      . "inner join $t_series s on s.idserie = a.idserie $auteurs_sql where a.horsserie <> '' $all_sql "
      . "order by s.titre, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum";
    break;
  case 'parabd':
    if ($idserie !== 'all') {
      if (isset($GV_Tri_Para) && $GV_Tri_Para != '') {
        $tri_para = $GV_Tri_Para;
      } else {
        $tri_para = 'typeobjet, a.editeur, c.num, numero, right(a.dl, 4), left(a.dl, 2), description';
      }
      $SQL = "SELECT a.*, b.display as dessinateur, s.titre as titreserie, c.num from ($t_albums a left join $t_tomes c on a.idalbum = c.idalbum) "
        . "left join $t_auteurs b on a.iddessinateur = b.idauteur inner join $t_series s on a.idserie = s.idserie  "
        . "where a.idserie=$idserie order by $tri_para, a.idparabd";
    }
    break;
}

if ($idserie === 'all') {
  Entete('Détails pour toutes les dédicaces', 'albums');
  echo '<table id="Recap" width="100%" cellpadding="0" cellspacing="0">' . "\n";
  echo '<tr><th width="28%">Série</th><th width="11%" title="Numéro">#</th><th width="35%">Titre</th>'
    . '<th width="11%" title="Dépot légal">DL</th></tr>' . "\n";
  if ($SQL != '') {
    $requete = mysql_query($SQL);
    $paire = false;
    while ($row = mysql_fetch_row($requete)) {
      $wpage = ($GV_auteur == 1) ? LinkRef('serie', array($row[3])) : '';
      $lien = '<a href="' . $wpage . '#i' . $row[0] . '">';
      $numero = kalvor_numero($row[1], $row[18]);
      echo '<tr' . ($paire ? ' class="Paire"' : '') . '><td>' . $lien . $row[33] . '</a></td><td>' . $lien . $numero
        . '</a></td><td>' . $lien . $row[2] . '</a></td><td>' . $lien . $row[12] . "</a></td></tr>\n";
      $paire = !$paire;
    }
  }
  echo "</table>\n";
} else {
  $serie = mysql_fetch_row(mysql_query("SELECT * from $t_series where idserie=$idserie"));
  if (!$serie) {
    $serie = array_fill(0, 7, '');
  }
  $titre = $serie[1];
  $commentaire = nl2br((string) $serie[3]);
  switch ((string) $serie[6]) {
    case '0':
      $encours = 'Série finie';
      break;
    case '1':
      $encours = 'Série en cours';
      break;
    case '2':
      $encours = 'One Shot';
      break;
    default:
      $encours = '';
  }
  Entete("Détails pour $titre", 'albums');
  if ((string) $serie[4] != '') {
    echo '<div id="Serie" class="Photo"><span class="Illus">';
    AfficheImage($PATH_planches, $serie[4], 40);
    if ($GV_miniature == 1) {
      $src = Miniature($serie[4], $PATH_planches, $THUMB_planches, $GV_prefix, 'planches');
    } elseif ($GV_miniature == 2) {
      $src = LienImage($THUMB_planches, $GV_prefix . $serie[4]);
    } else {
      $src = LienImage($PATH_planches, $serie[4]);
    }
    echo '<img src="' . $src . '" width="200" height="280" alt="une planche extraite de cette BD"></a></span>' . "\n";
  } elseif (file_exists($PATH_planches . '/Encours.jpg')) {
    echo '<div id="Serie" class="Photo"><span class="Illus"><img src="' . $PATH_planches
      . '/Encours.jpg" width="200" height="280" alt="image non disponible"></span>' . "\n";
  } else {
    echo '<div id="Serie">' . "\n";
  }
  echo '<h1>' . $titre . "</h1>\n";
  echo '<p class="Genre">' . $serie[2] . "</p>\n";
  echo '<p class="Encours">' . $encours . "</p>\n";
  if ((string) $serie[5] != '') {
    echo '<p class="Site">Site Internet&nbsp;: <a href="' . htmlspecialchars($serie[5], ENT_QUOTES, 'ISO-8859-1', false)
      . '" target="_blank">' . $serie[5] . "</a></p>\n";
  }
  echo '<p class="Comments">' . $commentaire . "</p>\n";
  echo "</div>\n";
  echo '<hr id="trait" size="2">' . "\n";
}

if ($SQL != '') {
  DetailSerie(mysql_query($SQL), $count_requete_fin);
}

Pied();
?>
