require_once 'coeur.php';
require_once '_serie.php';

GetVariable('typeobjet', '');
GetVariable('tri', 'serie');
GetVariable('sens', '');
if ($sens != 'desc') {
  $sens = '';
}
// Object types are the collectibles' own, and a code is a number: anything
// else selects nothing.
$objets = ($coll == 'parabd') && preg_match('/^[0-9]{1,9}$/', (string) $typeobjet);
$code = $objets ? (int) $typeobjet : 0;
// The sort links carry the code as read, so that any other text gives one page.
$typeobjet = $objets ? (string) $code : '';

extract($tables, EXTR_PREFIX_ALL, 't');

$titre = '';
if ($objets) {
  $result = mysql_query("SELECT item_desc from $t_models where model = 0 and model_item = $code");
  if ($row = mysql_fetch_assoc($result)) {
    $titre = $row['item_desc'];
  }
  mysql_free_result($result);
}

Entete("Détails pour $titre", 'albums');
?>
<table id="Entete">
<tr><th>Type d'objet&nbsp;:</th><td><?php echo $titre; ?></td></tr>
</table>
<?php
$recap = kalvor_recap_objets();
$sql_order = kalvor_ordre_recap($recap, $tri, $sens);

// An object without a known artist shows with an empty name, one without a
// series (a T-shirt, a poster) with an empty series, before the others.
$requete = $objets ? "SELECT a.*, b.display as dessinateur, s.titre as 'titreserie' from $t_albums a left join $t_series s on a.idserie = s.idserie left join $t_auteurs b on a.iddessinateur = b.idauteur where a.typeobjet = $code order by $sql_order, typeobjet, editeur, numero, right(a.dl, 4), left(a.dl, 2), description, a.idparabd" : null;
kalvor_recapitulatif('type', $recap, $requete, kalvor_mots_total($coll), $tri, $sens);

if ($objets) {
  $tri_para = (isset($GV_Tri_Para) && $GV_Tri_Para != '') ? $GV_Tri_Para
    : 'typeobjet, a.editeur, c.num, numero, right(a.dl, 4), left(a.dl, 2), description';
  DetailSerie(mysql_query("SELECT a.*, b.display as dessinateur, s.titre as titreserie, c.num from ($t_albums a left join $t_tomes c on a.idalbum = c.idalbum) left join $t_auteurs b on a.iddessinateur = b.idauteur left join $t_series s on a.idserie = s.idserie where a.typeobjet = $code order by s.titre, $tri_para, a.idparabd"), ' ');
}
Pied();
?>
