require_once 'coeur.php';

switch ($coll) {
  case 'albums':
    $texte = 'albums';
    break;
  case 'acheter':
    $texte = 'albums à acheter';
    break;
  case 'dedicace':
    $texte = 'albums dédicacés';
    break;
  case 'parabd':
    $texte = 'para-bd';
    break;
  case 'revue':
    $texte = 'revues';
    break;
  default:
    $texte = '';
}

entete('Moteur de recherches', 'accueil');
?>
<h1>Rechercher dans les <?php echo $texte; ?></h1>
<br><h2>Saisir un ou plusieurs critères (même incomplets).</h2>
<hr>
<form name="question" method="post" action="search.php?coll=<?php echo $coll; ?>">
<table width="90%" align="center">
<?php
switch ($coll) {
  case 'albums':
  case 'acheter':
  case 'dedicace':
?>
<tr><th align="right">S&eacute;rie&nbsp;:&nbsp;</th><td><input type="text" name="fserie" size=23></td></tr>
<tr><th align="right">Titre&nbsp;:&nbsp;</th><td><input type="text" name="ftitre" size=23></td></tr>
<tr><th align="right">Nom auteur&nbsp;:&nbsp;</th><td><input type="text" name="fnom" size=23></td></tr>
<tr><th align="right">Pr&eacute;nom auteur&nbsp;:&nbsp;</th><td><input type="text" name="fprenom" size=23></td></tr>
<tr><th align="right">Editeur&nbsp;:&nbsp;</th><td><input type="text" name="fediteur" size=23></td></tr>
<tr><th align="right">Collection&nbsp;:&nbsp;</th><td><input type="text" name="fcollection" size=23></td></tr>
<tr><th align="right">I.S.B.N.&nbsp;:&nbsp;<br>(sans séparateur)</th><td><input type="text" name="fisbn" size=23></td></tr>
<?php
    break;
  case 'parabd':
?>
<tr><th align="right">Type&nbsp;:&nbsp;</th><td><select name="ftype">
<option value="" selected>- Tous les types -</option>
<?php
    $w_types = mysql_query("SELECT distinct p.typeobjet, m.item_desc from " . $prefixe_table . "parabd p, " . $prefixe_table . "model_item m where p.typeobjet= m.model_item order by 2, 1");
    while ($row = mysql_fetch_row($w_types)) {
      echo '<option value="' . $row[0] . '">' . $row[1] . '</option>';
    }
    echo "\n";
?>
</select></td></tr>
<tr><th align="right">S&eacute;rie&nbsp;:&nbsp;</th><td><input type="text" name="fserie" size=23></td></tr>
<tr><th align="right">Nom auteur&nbsp;:&nbsp;</th><td><input type="text" name="fnom" size=23></td></tr>
<tr><th align="right">Pr&eacute;nom auteur&nbsp;:&nbsp;</th><td><input type="text" name="fprenom" size=23></td></tr>
<tr><th align="right">Editeur/Fabricant&nbsp;:&nbsp;</th><td><input type="text" name="fediteur" size=23></td></tr>
<tr><th align="right">Description&nbsp;:&nbsp;</th><td><input type="text" name="fdescription" size=23></td></tr>
<?php
    break;
  case 'revue':
?>
<tr><th align="right">Titre&nbsp;:&nbsp;</th><td><input type="text" name="ftitre" size=23></td></tr>
<tr><th align="right">Num&eacute;ro&nbsp;:&nbsp;</th><td><input type="text" name="fnum" size=23></td></tr>
<tr><th align="right">P&eacute;riodicit&eacute;&nbsp;:&nbsp;</th><td><select name="fperiodicite">
<option value="" selected>- Toutes -</option>
<option value="Hebdomadaire">Hebdomadaire</option>
<option value="Mensuelle">Mensuelle</option>
<option value="Bimestrielle">Bimestrielle</option>
<option value="Trimestrielle">Trimestrielle</option>
<option value="Semestrielle">Semestrielle</option>
<option value="Annuelle">Annuelle</option>
</select></td></tr>
<tr><th align="right">Editeur&nbsp;:&nbsp;</th><td><input type="text" name="fediteur" size=23></td></tr>
<?php
    break;
}
?>
<tr><td align="right"><input type="reset" name="Clear" value="Effacer"></td><td><input type="submit" value="Rechercher"></td></tr>
</table>
</form>
<?php
Pied();
?>
