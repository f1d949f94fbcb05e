require_once 'coeur.php';

// The site core knows only the list kinds of the list frame: the printable
// list reads its own, "serie" or "style", and prints by series otherwise.
$w_liste = (isset($_GET['liste']) && $_GET['liste'] === 'style') ? 'style' : 'serie';
$w_ordre = ($w_liste == 'style') ? 'style, titre' : 'titre';

if ($coll == 'albums') {
  $w_series = $prefixe_table . 'series';
  $w_table = $prefixe_table . 'albums';
  $w_titre = TexteReglage($GV_titre) . (($w_liste == 'style') ? ' / Style' : ' / Séries');
} else {
  $w_series = $prefixe_table . 'series2';
  $w_table = $prefixe_table . 'acheter';
  $w_titre = 'Mes albums à acheter / Séries';
}
$SQL = "select idserie, titre, style, encours from " . $w_series . " order by " . $w_ordre . ", idserie;";
?>
<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<meta http-equiv="content-type" content="text/html; charset=ISO-8859-1">
<title>Kalvor</title>
<link rel="stylesheet" type="text/css" href="kalvor.php">
<style type="text/css">
body { background: #FFFFFF; }
</style>
</head>
<body bgcolor="#FFFFFF">
<div id="imprimer">
<h1><?php echo $w_titre; ?></h1>
<table id="Recap">
<?php
$w_resultat = mysql_query($SQL);
while ($row = mysql_fetch_row($w_resultat)) {
  $w_albums = mysql_query("SELECT Num, NumA, Titre, Editeur from $w_table where idserie='$row[0]' order by 1, 2, idalbum");
  $w_album = mysql_fetch_row($w_albums);
  if (!$w_album) {
    continue;
  }
  switch ($row[3]) {
    case '0':
      $w_etat = '(Série finie)';
      break;
    case '1':
      $w_etat = '(Série en cours)';
      break;
    case '2':
      $w_etat = '(Album unique)';
      break;
    default:
      $w_etat = ' ';
  }
  echo '<tr><th width="325">' . $row[1] . '</th><th width="200">' . $w_etat . '</th><th width="200">' . $row[2] . "</th></tr>\n";
  do {
    $w_num = '';
    if ($w_album[0] != '') {
      $w_num = $w_album[0] . $w_album[1];
    }
    if ($w_album[0] != '' || $w_album[1] != '') {
      $w_num .= ' - ';
    }
    echo '<tr><td>' . $w_num . '&nbsp;' . $w_album[2] . '</td><td>' . $w_album[3] . "</td><td></td></tr>\n";
  } while ($w_album = mysql_fetch_row($w_albums));
}
?>
</table>
</div>
<script language="JavaScript">
window.print();
window.setTimeout("closeafterprint()", 8000);
function closeafterprint()
{
  if (confirm("Vous pouvez fermer cette fenêtre maintenant")) {
    self.close();
  }
}
</script>
</body>
</html>
