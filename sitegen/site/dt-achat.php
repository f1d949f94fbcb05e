require_once 'coeur.php';
require_once '_serie.php';

GetVariable('date', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
$date = (string) $date;
if ($sens != 'desc') {
  $sens = '';
}

$mois_noms = array('Janvier', 'Février', 'Mars', 'Avril', 'Mai', 'Juin', 'Juillet', 'Août',
  'Septembre', 'Octobre', 'Novembre', 'Décembre');
// The request text stays in $date for the sort links; its parts are the year
// and the month.
$parties = explode('/', $date, 2);
$annee = $parties[0];
$mois = isset($parties[1]) ? $parties[1] : '';
// Only digits reach the SQL text; any other date selects nothing.
$chiffres = ($annee == '' || ctype_digit($annee)) && ($mois == '' || ctype_digit($mois));
if ($annee == '') {
  $titre_prefix = '';
  $titre = "sans date d'achat";
  // The update script writes a missing purchase date as the zero date.
  $condition = "(a.dateachat is null or a.dateachat = '0000-00-00')";
} elseif ($mois == '') {
  $titre_prefix = 'achetés pendant ';
  $titre = "toute l'année " . $annee;
  $condition = "extract(year from a.dateachat) = '$annee'";
} else {
  $titre_prefix = 'achetés en ';
  // A month outside the calendar is shown as it was asked.
  $rang = ctype_digit($mois) ? (int) $mois : 0;
  $titre = (($rang >= 1 && $rang <= 12) ? $mois_noms[$rang - 1] : $mois) . ' ' . $annee;
  $condition = "extract(year_month from a.dateachat) = '$annee$mois'";
}
if (!$chiffres) {
  $condition = '1 = 0';
}
$titre = htmlspecialchars($titre, ENT_QUOTES, 'ISO-8859-1');

extract($tables, EXTR_PREFIX_ALL, 't');

Entete("Albums $titre_prefix $titre", 'albums');
?>
<table id="Entete">
<tr><th>Achetés en&nbsp;:</th><td><?php echo $titre; ?></td></tr>
</table>
<?php
$recap = kalvor_recap_albums();
$sql_order = kalvor_ordre_recap($recap, $tri, $sens);

// Album rows exist in the album collections only. An absent or unknown author
// leaves its name empty but keeps the album. The dedications collection lists
// every album of the date, dedicated or not, as its date list counts them.
$albums = in_array($coll, array('albums', 'acheter', 'dedicace'), true);
$debut = "SELECT a.*, b.display as scenariste, c.display as dessinateur, d.display as coloriste, s.titre as 'titreserie' from $t_albums a inner join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.idscenariste = b.idauteur left join $t_auteurs c on a.iddessinateur = c.idauteur left join $t_auteurs d on a.idcoloriste = d.idauteur where $condition";
$requete = $albums ? "$debut order by $sql_order, titreserie, num, numa, a.idalbum" : null;
kalvor_recapitulatif('dt-achat', $recap, $requete, kalvor_mots_total($coll), $tri, $sens);

if ($albums) {
  DetailSerie(mysql_query("$debut order by titreserie, num, numa, right(a.dl, 4), left(a.dl, 2), a.idalbum"), ' ');
}
Pied();
?>
