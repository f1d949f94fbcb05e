$nb_images_accueil = (int) $GV_col_accueil * (int) $GV_ligne_accueil;
echo '<h2>Les ' . $nb_images_accueil . " derniers albums&nbsp;:</h2>\n";
// The latest albums all lie on or after the purchase date of the last one
// shown: reading from that date on spares sorting the whole collection.
$w_depuis = '';
if ($nb_images_accueil > 0) {
  $row = mysql_fetch_row(mysql_db_query($base, 'SELECT a.dateachat from ' . $prefixe_table . 'albums a, '
    . $prefixe_table . 'series s where a.idserie = s.idserie order by a.dateachat desc limit '
    . ($nb_images_accueil - 1) . ', 1', $dblink));
  if ($row && $row[0] !== null) {
    $w_depuis = "and a.dateachat >= '" . mysql_real_escape_string($row[0]) . "' ";
  }
}
$w_album = '(SELECT %s from ' . $prefixe_table . 'albums x where x.idalbum = k.idalbum)';
$requete = mysql_db_query($base, 'SELECT k.idserie, (SELECT titre from ' . $prefixe_table . 'series x where x.idserie = k.idserie), '
  . 'k.dateachat, k.idalbum, ' . sprintf($w_album, 'couverture') . ', k.num, ' . sprintf($w_album, 'titre') . ' from '
  . '(SELECT a.idserie, a.dateachat, a.idalbum, a.num, ' . CleCourte('s.titre') . ' from ' . $prefixe_table . 'albums a, '
  . $prefixe_table . 'series s where a.idserie = s.idserie ' . $w_depuis
  . "order by a.dateachat desc, cle, a.num, a.idalbum limit 0, $nb_images_accueil) k "
  . 'order by k.dateachat desc, k.cle, k.num, k.idalbum', $dblink);
echo '<span class="Thumb">' . "\n";
$i = 0;
while ($row = mysql_fetch_row($requete)) {
  $w_current = LinkRef('serie', array($row[0])) . '#i' . $row[3];
  if ((string) $row[4] != '') {
    if ($GV_miniature == 1) {
      $w_filename = Miniature($row[4], $PATH_couvertures, $THUMB_couvertures, $GV_prefix, 'couvertures');
    } elseif ($GV_miniature == 2) {
      $w_filename = LienImage($THUMB_couvertures, $GV_prefix . $row[4]);
    } else {
      $w_filename = LienImage($PATH_couvertures, $row[4]);
    }
  } else {
    $w_filename = LienImage($PATH_couvertures, 'Encours.jpg');
  }
  $w_texte = $row[1] . ' - ' . (((string) $row[5] != '') ? $row[5] . '. ' : '') . $row[6];
  // Escaped, not written as stored: a quote in a title would end the attribute.
  $w_texte = htmlspecialchars($w_texte, ENT_QUOTES, 'ISO-8859-1', false);
  echo '<a href="' . $w_current . '"><img src="' . $w_filename . '" height="145" width="107" alt="' . $w_texte
    . '" title="' . $w_texte . '"></a>' . "\n";
  $i++;
  // Fixed columns end each full row; automatic ones wrap with the block.
  if ($GV_col_accueil > 1 && $i % $GV_col_accueil == 0) {
    echo "<br />\n";
  }
}
echo "</span>\n";
