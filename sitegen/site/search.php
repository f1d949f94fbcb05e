require_once 'coeur.php';
require_once '_serie.php';
extract($tables, EXTR_PREFIX_ALL, 't');

// A posted field as it may stand inside a quoted SQL text. The tables hold
// "<" and ">" as the export wrote them, "&lt;" and "&gt;", so the typed text
// is written the same way; for LIKE a backslash is doubled, as LIKE itself
// reads one, while "%" and "_" stay the wildcards they are. The connection
// escapes the result, so a quote cannot end the text. Missing and empty
// fields give the empty text.
function ChampRecherche($nom, $like = true)
{
  if (!isset($_POST[$nom]) || !is_string($_POST[$nom])) {
    return '';
  }
  // A page that read a posted field is not kept.
  if (isset($GLOBALS['kalvor_cache'])) {
    $GLOBALS['kalvor_cache']['echec'] = true;
  }
  $valeur = $_POST[$nom];
  if (get_magic_quotes_gpc()) {
    $valeur = stripslashes($valeur);
  }
  $valeur = str_replace(array('<', '>'), array('&lt;', '&gt;'), $valeur);
  if ($like) {
    $valeur = str_replace('\\', '\\\\', $valeur);
  }
  return mysql_real_escape_string($valeur);
}

// Each letter whose cases the database leaves apart, as its code, with the
// letter all its cases are read as: those beyond the pages' character set,
// and those of Windows-1252 that Latin-1 lacks (Œ, Š, Ž, Ÿ), which a latin1
// collation does not pair. Unicode's case folding, and in Greek the letter
// without the accents its capitals go without.
function PlisCasse()
{
  return array(
{{case_folds}}
  );
}

// "like" over the columns, true if one holds the field. The collation does
// not fold the letters above: every case of a typed one is read as one, on
// the column and the field alike. Each is written as the tables hold it: a
// byte where the character set has one, else its reference.
function Contient($colonnes, $valeur)
{
  static $plis = null;
  $remplace = array();
  if (preg_match('/&#[0-9]{1,7};|[\x80-\xFF]/', $valeur)) {
    if ($plis === null) {
      $plis = array();
      foreach (PlisCasse() as $code => $pli) {
        $plis[html_entity_decode("&#$code;", ENT_QUOTES, 'Windows-1252')]
          = html_entity_decode("&#$pli;", ENT_QUOTES, 'Windows-1252');
      }
    }
    $lettres = array();
    foreach ($plis as $lettre => $pli) {
      if (strpos($valeur, $lettre) !== false || strpos($valeur, $pli) !== false) {
        $lettres[$pli] = true;
      }
    }
    foreach ($plis as $lettre => $pli) {
      if (isset($lettres[$pli])) {
        $remplace[$lettre] = $pli;
      }
    }
  }
  $valeur = strtr($valeur, $remplace);
  $conditions = array();
  foreach ($colonnes as $colonne) {
    foreach ($remplace as $de => $vers) {
      $colonne = "replace($colonne, '$de', '$vers')";
    }
    $conditions[] = "$colonne like '%$valeur%'";
  }
  return ' and (' . implode(' or ', $conditions) . ') ';
}

$fserie = ChampRecherche('fserie');
$ftitre = ChampRecherche('ftitre');
$fnom = ChampRecherche('fnom');
$fprenom = ChampRecherche('fprenom');
$fediteur = ChampRecherche('fediteur');
$fcollection = ChampRecherche('fcollection');
// The references are compared without their dashes: so is the typed prefix.
$fisbn = str_replace('-', '', ChampRecherche('fisbn'));
$ftype = ChampRecherche('ftype', false);
$fdescription = ChampRecherche('fdescription');
$fnum = ChampRecherche('fnum', false);
$fperiodicite = ChampRecherche('fperiodicite', false);

$end_sql = '';
switch ($coll) {
  case 'albums':
  case 'acheter':
  case 'dedicace':
    if ($ftitre != '') {
      $end_sql .= Contient(array('a.titre'), $ftitre);
    }
    if ($fserie != '') {
      $end_sql .= Contient(array('s.titre'), $fserie);
    }
    if ($fnom != '') {
      $end_sql .= Contient(array('b.nom', 'b.pseudo', 'c.nom', 'c.pseudo', 'd.nom', 'd.pseudo'), $fnom);
    }
    if ($fprenom != '') {
      $end_sql .= Contient(array('b.prenom', 'c.prenom', 'd.prenom'), $fprenom);
    }
    if ($fediteur != '') {
      $end_sql .= Contient(array('a.editeur'), $fediteur);
    }
    if ($fcollection != '') {
      $end_sql .= Contient(array('a.collection'), $fcollection);
    }
    if ($fisbn != '') {
      $end_sql .= " and replace(a.reference, '-', '') like '$fisbn%' ";
    }
    $w_where = ($coll == 'dedicace') ? 'where horsserie = 1' : 'where 1 = 1';
    // An album is found whatever its author ids hold; an absent author
    // matches no name.
    $SQL_sentence = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur $w_where $end_sql order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum";
    $wlibelle = "d'albums";
    break;
  case 'parabd':
    if ($ftype != '') {
      $end_sql .= " and a.typeobjet = '$ftype' ";
    }
    if ($fserie != '') {
      $end_sql .= Contient(array('s.titre'), $fserie);
    }
    if ($fnom != '') {
      $end_sql .= Contient(array('b.nom', 'b.pseudo'), $fnom);
    }
    if ($fprenom != '') {
      $end_sql .= Contient(array('b.prenom'), $fprenom);
    }
    if ($fediteur != '') {
      $end_sql .= Contient(array('a.editeur'), $fediteur);
    }
    if ($fdescription != '') {
      $end_sql .= Contient(array('a.description'), $fdescription);
    }
    // An object without a series is found as well.
    $SQL_sentence = "SELECT a.*, b.display as dessinateur, s.titre as 'titreserie' from $t_albums a left join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.iddessinateur = b.idauteur where 1 = 1 $end_sql order by typeobjet, s.titre, editeur, numero, right(a.dl, 4), left(a.dl, 2), description, a.idparabd";
    $wlibelle = 'de para-bd';
    break;
  case 'revue':
    if ($ftitre != '') {
      $end_sql .= Contient(array('s.titre'), $ftitre);
    }
    if ($fnum != '') {
      $end_sql .= " and a.num = '$fnum' ";
    }
    if ($fperiodicite != '') {
      $end_sql .= " and a.periodicite = '$fperiodicite' ";
    }
    if ($fediteur != '') {
      $end_sql .= Contient(array('a.editeur'), $fediteur);
    }
    $SQL_sentence = "SELECT a.*, s.titre as 'titreserie' from $t_albums a, $t_series s where a.idserie = s.idserie $end_sql order by titreserie, Num, a.idrevue";
    $wlibelle = 'de revues';
    break;
}

entete('Résultat de la recherche', 'albums');

if ($end_sql == '') {
  echo '<h2 align="center">Veuillez renseigner au moins une zone</h2>' . "\n";
  echo '<p align="center"><a href="moteur.php?coll=' . $coll . '"><img src="' . $PATH_images
    . '/bt_moteur.gif" width="83" height="18" alt="Recherches" title="Moteur de recherche"></a></p>' . "\n";
} else {
  $w_resultat = mysql_query($SQL_sentence);
  $nb = mysql_num_rows($w_resultat);
  echo "<p>Nombre $wlibelle sélectionnés&nbsp;:&nbsp;$nb</p>\n<br>\n";
  echo '<table id="Recap" width="100%" cellpadding="0" cellspacing="0">' . "\n";
  switch ($coll) {
    case 'parabd':
      echo '<tr><th width="38%" title="Série">Série</th><th width="38%" title="Description">Description</th>'
        . '<th width="24%" title="Editeur">Editeur</th></tr>' . "\n";
      break;
    case 'revue':
      echo '<tr><th width="30%" title="Revue">Revue</th><th width="20%" title="Numéro">#</th>'
        . '<th width="20%" title="Date">Date</th><th width="30%" title="Editeur">Editeur</th></tr>' . "\n";
      break;
    default:
      echo '<tr><th width="25%" title="Série">Série</th><th width="8%" title="Numéro">#</th>'
        . '<th width="32%" title="Titre">Titre</th><th width="8%" title="Dépot légal">D.L.</th>'
        . '<th width="12%" title="International Standard Book Number">ISBN</th></tr>' . "\n";
  }
  $parite = 0;
  while ($row = mysql_fetch_row($w_resultat)) {
    echo ($parite == 0) ? '<tr>' : '<tr class="Paire">';
    $parite = 1 - $parite;
    $lien = '<a href="#i' . $row[0] . '">';
    switch ($coll) {
      case 'parabd':
        $cellules = array($row[24], $row[3], $row[11]);
        break;
      case 'revue':
        $w_jour = (string) $row[3];
        $w_date = substr($w_jour, 8, 2) . '/' . substr($w_jour, 5, 2) . '/' . substr($w_jour, 0, 4);
        $cellules = array($row[20], $row[2], $w_date, $row[4]);
        break;
      default:
        $cellules = array($row[33], kalvor_numero($row[1], $row[18]), $row[2], $row[12], $row[11]);
    }
    foreach ($cellules as $cellule) {
      echo '<td>' . $lien . $cellule . '</a></td>';
    }
    echo "</tr>\n";
  }
  echo "</table>\n";
  // The cards show the same rows in the same order: the result is read again
  // rather than asked for again, and a broad search holds one list.
  if ($nb > 0) {
    mysql_data_seek($w_resultat, 0);
  }

  if ($coll != 'revue') {
    DetailSerie($w_resultat, ' ');
  } else {
    $col = 0;
    $seriesauv = '';
    $w_class = ($GV_nbcol == 1) ? 'FicheLarge' : 'Fiche';
    while ($row = mysql_fetch_row($w_resultat)) {
      $w_jour = (string) $row[3];
      $w_date = '';
      if ($w_jour != '' && $w_jour != '0000-00-00') {
        $w_date = substr($w_jour, 8, 2) . '/' . substr($w_jour, 5, 2) . '/' . substr($w_jour, 0, 4);
      }
      $w_libelle_com = '';
      $w_commentaire = '';
      if ($row[9] != '') {
        $w_libelle_com = 'Commentaire&nbsp;:&nbsp;';
        $w_commentaire = nl2br($row[9]);
      }
      if ($row[1] && $row[1] != $seriesauv) {
        if ($col == 1) {
          echo "<hr>\n";
        }
        echo '<h1><a href="#Entete"><img class="G" src="' . $PATH_images . '/gotop.gif" width="16" height="17" alt="^">'
          . '<img class="D" src="' . $PATH_images . '/gotop.gif" width="16" height="17" alt="^"></a>' . $row[20] . "</h1>\n";
        $seriesauv = $row[1];
        $col = 0;
      }
      echo '<div class="' . $w_class . '" id="i' . $row[0] . '"><br>' . "\n";
      echo '<span class="Illus">';
      if ($row[19] != '') {
        AfficheImage($PATH_revues, $row[19], 20);
        switch ($GV_miniature) {
          case 1:
            $w_image = Miniature($row[19], $PATH_revues, $THUMB_revues, $GV_prefix, 'revues');
            break;
          case 2:
            $w_image = LienImage($THUMB_revues, $GV_prefix . $row[19]);
            break;
          default:
            $w_image = LienImage($PATH_revues, $row[19]);
        }
        echo '<img src="' . $w_image . '" height="145" width="107" alt="objet"></a></span>' . "\n";
      } else {
        echo '<img src="' . $PATH_revues . '/Encours.jpg" height="145" width="107" alt="Image non disponible"></span>' . "\n";
      }
      echo '<table cellpadding="0" cellspacing="0">' . "\n";
      echo '<tr><th>Numéro&nbsp;:&nbsp;</th><td>' . $row[2] . "</td></tr>\n";
      echo '<tr><th>Date&nbsp;:&nbsp;</th><td>' . $w_date . "</td></tr>\n";
      echo '<tr><th>Editeur&nbsp;:&nbsp;</th><td>' . $row[4] . "</td></tr>\n";
      echo '<tr><th>Periodicit&eacute;&nbsp;:&nbsp;</th><td>' . $row[5] . "</td></tr>\n";
      echo '<tr><th>' . $w_libelle_com . '</th><td>' . $w_commentaire . "</td></tr>\n";
      echo "</table>\n</div>\n";
      if ($GV_nbcol == 1) {
        echo "<hr>\n";
      } else {
        if ($col == 1) {
          echo "<hr>\n";
        }
        $col = 1 - $col;
      }
    }
  }
}
Pied();
?>
