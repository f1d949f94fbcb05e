if ($coll == 'albums' && $GLOBALS['GV_moteur'] == 1 && $GLOBALS['GV_imprimer'] == 1
    && $GLOBALS['GV_email'] == 1 && $GLOBALS['GV_quitter'] == 1 && $GLOBALS['GV_stats'] == 1) {
  $li_size = '<li class="narrow">';
} else {
  $li_size = '<li>';
}
?>
<ul id="menu" class="bouton">
<?php echo $li_size; ?><a href="index.php?coll=<?php echo $coll; ?>"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_accueil.gif" width="62" height="18" alt="Accueil" title="Retour à l'accueil"><span>[Accueil]</span></a></li>
<li class="sub"><?php
switch ($coll) {
  case 'albums':
    echo '<img src="' . $GLOBALS['PATH_images'] . '/bt_albums.gif" width="67" height="18" alt="Ma collection"><span>[Ma collection]</span>';
    break;
  case 'acheter':
    echo '<img src="' . $GLOBALS['PATH_images'] . '/bt_recherches.gif" width="75" height="18" alt="Recherches"><span>[Recherches]</span>';
    break;
  case 'dedicace':
    echo '<img src="' . $GLOBALS['PATH_images'] . '/bt_dedicaces.gif" width="76" height="18" alt="Dédicaces"><span>[Dédicaces]</span>';
    break;
  case 'parabd':
    echo '<img src="' . $GLOBALS['PATH_images'] . '/bt_parabd.gif" width="69" height="18" alt="Para-BD"><span>[Para-BD]</span>';
    break;
  case 'revue':
    echo '<img src="' . $GLOBALS['PATH_images'] . '/bt_revue.gif" width="59" height="18" alt="Revues"><span>[Revues]</span>';
    break;
}
?>

<ul>
<?php if ($coll != 'albums' && ($GLOBALS['GV_collection'] == 'both' || $GLOBALS['GV_collection'] == 'albums')) { ?>
<li><a href="index.php?coll=albums"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_albums.gif" width="67" height="18" alt="Ma collection"><span>[Ma collection]</span></a></li>
<?php } ?>
<?php if ($coll != 'acheter' && ($GLOBALS['GV_collection'] == 'both' || $GLOBALS['GV_collection'] == 'acheter')) { ?>
<li><a href="index.php?coll=acheter"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_recherches.gif" width="75" height="18" alt="Recherches" title="Afficher mes recherches"><span>[Recherches]</span></a></li>
<?php } ?>
<?php if ($coll != 'dedicace' && $GLOBALS['GV_dedicace'] == 1) { ?>
<li><a href="index.php?coll=dedicace"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_dedicaces.gif" width="76" height="18" alt="Dédicaces" title="Afficher les Dédicaces"><span>[Dédicaces]</span></a></li>
<?php } ?>
<?php if ($coll != 'parabd' && $GLOBALS['GV_parabd'] == 1) { ?>
<li><a href="index.php?coll=parabd"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_parabd.gif" width="69" height="18" alt="Para-BD" title="Afficher les Para-BD"><span>[Para-BD]</span></a></li>
<?php } ?>
<?php if ($coll != 'revue' && $GLOBALS['GV_revue'] == 1) { ?>
<li><a href="index.php?coll=revue"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_revue.gif" width="59" height="18" alt="Revues" title="Afficher les Revues"><span>[Revues]</span></a></li>
<?php } ?>
</ul>
</li>
<?php if ($coll != 'revue') { ?>
<li class="sub"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_tri.gif" width="63" height="18" alt="Trier par" title="Trier par"><span>Trier par&nbsp;</span>
<ul>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=series" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_series.gif" width="57" height="18" alt="Série" title="Afficher la liste des séries"><span>[Séries]</span></a></li>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=auteurs" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_auteurs.gif" width="63" height="18" alt="Auteurs" title="Afficher la liste des auteurs"><span>[Auteurs]</span></a></li>
<?php if (($coll == 'albums' || $coll == 'acheter') && $GLOBALS['GV_listenotes'] == 1) { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=notes" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_notes.gif" width="62" height="18" alt="Note" title="Afficher la liste par note"><span>[Notes]</span></a></li>
<?php } ?>
<?php if ($coll == 'albums' && $GLOBALS['GV_listecollec'] == 1) { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=collections" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_collections.gif" width="79" height="18" alt="Collections" title="Afficher la liste des collections"><span>[Collections]</span></a></li>
<?php } ?>
<?php if ($coll == 'albums' && $GLOBALS['GV_listestyle'] == 1) { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=styles" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_styles.gif" width="53" height="18" alt="Styles" title="Afficher la liste des styles"><span>[Styles]</span></a></li>
<?php } ?>
<?php if (($coll == 'albums' || $coll == 'acheter') && $GLOBALS['GV_listedl'] == 1) { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=dl" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_dl.gif" width="62" height="18" alt="DL" title="Afficher la liste par date de dépot légal"><span>[DL]</span></a></li>
<?php } ?>
<?php if ($coll == 'albums' && $GLOBALS['GV_listeachat'] == 1) { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=dt-achat" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_achat.gif" width="62" height="18" alt="Date achat" title="Afficher la liste par date d'achat"><span>[Date achat]</span></a></li>
<?php } ?>
<?php if ($coll == 'parabd') { ?>
<li><a href="liste.php?coll=<?php echo $coll; ?>&amp;liste=types" target="liste"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_type.gif" width="46" height="18" alt="Type" title="Afficher la liste des types d'objets"><span>[Types]</span></a></li>
<?php } ?>
</ul>
</li>
<?php } ?>
<?php if ($GLOBALS['GV_moteur'] == 1) { ?>
<li><a href="moteur.php?coll=<?php echo $coll; ?>"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_moteur.gif" width="83" height="18" alt="Moteur de Recherches" title="Moteur de recherche"><span>[Moteur]</span></a></li>
<?php } ?>
<?php if ($GLOBALS['GV_imprimer'] == 1 && ($coll == 'albums' || $coll == 'acheter')) { ?>
<li class="sub"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_imprimer.gif" width="65" height="18" alt="Imprimer les listes" title="Imprimer"><span>[Imprimer]</span>
<ul>
<li><a href="imprimer.php?coll=<?php echo $coll; ?>&amp;liste=serie" target="_blank"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_imprimer_serie.gif" width="70" height="18" alt="Imprimer les listes par s&eacute;rie" title="Imprimer par s&eacute;rie"><span>[Imprimer/Serie]</span></a></li>
<li><a href="imprimer.php?coll=<?php echo $coll; ?>&amp;liste=style" target="_blank"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_imprimer_style.gif" width="70" height="18" alt="Imprimer les listes par style" title="Imprimer par style"><span>[Imprimer/Style]</span></a></li>
</ul>
</li>
<?php } ?>
<?php if ($coll == 'albums' && $GLOBALS['GV_stats'] == 1) { ?>
<?php echo $li_size; ?><a href="stats.php"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_stats.gif" width="52" height="18" alt="Stats" title="Afficher les Statistiques"><span>[Stats]</span></a></li>
<?php } ?>
<?php if ($GLOBALS['GV_email'] == 1) { ?>
<?php echo $li_size; ?><a href="mailto:<?php echo TexteReglage($GLOBALS['GV_email_txt']); ?>?subject=A propos de ton site"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_email.gif" width="59" height="18" alt="M'ecrire"><span>[M'écrire]</span></a></li>
<?php } ?>
<?php if ($GLOBALS['GV_quitter'] == 1) { ?>
<?php echo $li_size; ?><a href="<?php echo TexteReglage($GLOBALS['GV_siteprincipal']); ?>"><img src="<?php echo $GLOBALS['PATH_images']; ?>/bt_quitter.gif" width="56" height="18" alt="Quitter"><span>[Quitter]</span></a></li>
<?php } ?>
</ul>
