$nb_images_accueil = (int) $GV_col_accueil * (int) $GV_ligne_accueil;
echo '<h2>Les ' . $nb_images_accueil . " derni&egrave;res revues&nbsp;:</h2>\n";
$requete = mysql_db_query($base, 'SELECT k.idserie, (SELECT titre from ' . $prefixe_table . 'series4 x where x.idserie = k.idserie), '
  . 'k.date, k.idrevue, (SELECT couverture from ' . $prefixe_table . 'revues x where x.idrevue = k.idrevue), k.num from '
  . '(SELECT r.idserie, r.date, r.idrevue, r.num, ' . CleCourte('s.titre') . ' from ' . $prefixe_table . 'revues r, ' . $prefixe_table
  . "series4 s where r.idserie = s.idserie order by r.date desc, cle, r.idrevue limit 0, $nb_images_accueil) k "
  . 'order by k.date desc, k.cle, k.idrevue', $dblink);
echo '<span class="Thumb">' . "\n";
$i = 0;
while ($row = mysql_fetch_row($requete)) {
  $w_current = LinkRef('revue', array($row[0])) . '#i' . $row[3];
  if ((string) $row[4] != '') {
    if ($GV_miniature == 1) {
      $w_filename = Miniature($row[4], $PATH_revues, $THUMB_revues, $GV_prefix, 'revues');
    } elseif ($GV_miniature == 2) {
      $w_filename = LienImage($THUMB_revues, $GV_prefix . $row[4]);
    } else {
      $w_filename = LienImage($PATH_revues, $row[4]);
    }
  } else {
    $w_filename = LienImage($PATH_revues, 'Encours.jpg');
  }
  $w_texte = $row[1] . ' - ' . (((string) $row[5] != '') ? $row[5] . '. ' : '');
  $w_texte = htmlentities($w_texte, ENT_QUOTES, 'ISO-8859-1', false);
  echo '<a href="' . $w_current . '"><img src="' . $w_filename . '" height="145" width="107" alt="' . $w_texte
    . '" title="' . $w_texte . '"></a>' . "\n";
  $i++;
  if ($GV_col_accueil > 1 && $i % $GV_col_accueil == 0) {
    echo "<br />\n";
  }
}
echo "</span>\n";
