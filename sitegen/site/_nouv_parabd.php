$nb_images_accueil = (int) $GV_col_accueil * (int) $GV_ligne_accueil;
echo '<h2>Les ' . $nb_images_accueil . " derniers objets&nbsp;:</h2>\n";
// An object without a series is among them too, as it is in every count.
$w_objet = '(SELECT %s from ' . $prefixe_table . 'parabd x where x.idparabd = k.idparabd)';
$requete = mysql_db_query($base, 'SELECT k.idserie, (SELECT titre from ' . $prefixe_table . 'series3 x where x.idserie = k.idserie), '
  . 'k.dateachat, k.idparabd, ' . sprintf($w_objet, 'imageex') . ', ' . sprintf($w_objet, 'description') . ', k.typeobjet from '
  . '(SELECT p.idserie, p.dateachat, p.idparabd, p.typeobjet, ' . CleCourte('s.titre') . ' from ' . $prefixe_table . 'parabd p left join '
  . $prefixe_table . "series3 s on p.idserie = s.idserie order by p.dateachat desc, cle, p.idparabd limit 0, $nb_images_accueil) k "
  . 'order by k.dateachat desc, k.cle, k.idparabd', $dblink);
echo '<span class="Thumb">' . "\n";
$i = 0;
while ($row = mysql_fetch_row($requete)) {
  // An object without a series has its card on its type's page.
  $w_current = (($row[1] === null) ? LinkRef('type', array($row[6])) : LinkRef('serie', array($row[0])))
    . '#i' . $row[3];
  if ((string) $row[4] != '') {
    if ($GV_miniature == 1) {
      $w_filename = Miniature($row[4], $PATH_parabd, $THUMB_parabd, $GV_prefix, 'parabd');
    } elseif ($GV_miniature == 2) {
      $w_filename = LienImage($THUMB_parabd, $GV_prefix . $row[4]);
    } else {
      $w_filename = LienImage($PATH_parabd, $row[4]);
    }
  } else {
    $w_filename = LienImage($PATH_parabd, 'Encours.jpg');
  }
  $w_texte = (($row[1] === null) ? '' : $row[1] . ' - ') . (((string) $row[5] != '') ? $row[5] . '. ' : '');
  $w_texte = htmlentities($w_texte, ENT_QUOTES, 'ISO-8859-1', false);
  echo '<a href="' . $w_current . '"><img src="' . $w_filename . '" height="145" width="107" alt="' . $w_texte
    . '" title="' . $w_texte . '"></a>' . "\n";
  $i++;
  if ($GV_col_accueil > 1 && $i % $GV_col_accueil == 0) {
    echo "<br />\n";
  }
}
echo "</span>\n";
