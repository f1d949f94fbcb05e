// One chart of stats.php, drawn from the variables that page sets:
// $titre_stats, $SQL, $display_nb, $display_pct, $display_others, $filtre.
echo '<table class="Recap" align="center" cellpadding="0" cellspacing="1">' . "\n";
echo '<tr><th colspan="2">' . $titre_stats . "</th></tr>\n";

$display_nb = max(0, (int) $display_nb);
$i = 0;
$tablo = array();
$tablo[$display_nb] = array('', 0, 0);

$w_filtre = array();
foreach ($filtre as $w_valeur) {
  $w_filtre[] = htmlentities($w_valeur, ENT_COMPAT, 'ISO-8859-1');
}

// The first $display_nb labelled values take the slots; empty or filtered
// labels, and every value after them, go to the rest.
$w_resultat = mysql_query($SQL);
while ($w_row = mysql_fetch_row($w_resultat)) {
  $w_vide = ($w_row[0] === null || $w_row[0] === '' || in_array($w_row[0], $w_filtre, true));
  if ($i < $display_nb && !$w_vide) {
    $tablo[$i] = array($w_row[0], $w_row[1], 0);
    $i++;
  } else {
    $tablo[$display_nb][1] += $w_row[1];
  }
}

if ($display_others || $display_pct) {
  $tablo[$display_nb][0] = 'Autres';
}

$total = 0;
$maxi = 0;
for ($j = 0; $j <= $display_nb; $j++) {
  if (isset($tablo[$j]) && $tablo[$j][0] !== '') {
    $total += $tablo[$j][1];
    if (($j < $display_nb || $display_others) && $tablo[$j][1] > $maxi) {
      $maxi = $tablo[$j][1];
    }
  }
}

// Each share is rounded, and the rest is what the rounded shares leave of
// 100, so that a column with its rest line adds up to exactly 100.
if ($display_pct) {
  $reste = 100;
  for ($j = 0; $j < $display_nb; $j++) {
    if (isset($tablo[$j]) && $tablo[$j][0] !== '') {
      $tablo[$j][2] = ($total == 0) ? 0 : round($tablo[$j][1] / $total * 100, 2);
      $reste = round($reste - $tablo[$j][2], 2);
    }
  }
  if ($display_others) {
    $tablo[$display_nb][2] = round($reste, 2);
  }
}

for ($j = 0; $j < $display_nb; $j++) {
  if (isset($tablo[$j]) && $tablo[$j][0] !== '') {
    echo '<tr><td width="30%">' . $tablo[$j][0] . '</td><td>';
    repart($tablo[$j][1], $maxi, "$PATH_images/barre.gif", $GV_stats_large);
    echo '&nbsp;' . ($display_pct ? $tablo[$j][2] . '%' : $tablo[$j][1]) . "</td></tr>\n";
  }
}
if ($tablo[$display_nb][1] != 0 && $display_others) {
  echo '<tr><td class="reste">Autres</td><td class="reste">';
  repart($tablo[$display_nb][1], $maxi, "$PATH_images/barre2.gif", $GV_stats_large);
  echo '&nbsp;' . ($display_pct ? $tablo[$display_nb][2] . '%' : $tablo[$display_nb][1]) . "</td></tr>\n";
}
echo "</table>\n";
?>
