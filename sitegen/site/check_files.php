if (!headers_sent()) header('Content-Type: text/plain; charset=ISO-8859-1');
{{require}}


$current_rep = isset($_GET['current_rep']) ? $_GET['current_rep'] : '';
if ($current_rep === "kalvorhelper") {
   echo "PATH_couvertures : " . $PATH_couvertures . "\n";
   echo "PATH_planches : " . $PATH_planches . "\n";
   echo "PATH_versos : " . $PATH_versos . "\n";
   echo "PATH_photos : " . $PATH_photos . "\n";
   echo "PATH_dedicaces : " . $PATH_dedicaces . "\n";
   echo "PATH_parabd : " . $PATH_parabd . "\n";
   echo "PATH_revues : " . $PATH_revues . "\n";
   echo "PATH_images : " . $PATH_images . "\n";
   echo "THUMB_couvertures : " . $THUMB_couvertures . "\n";
   echo "THUMB_planches : " . $THUMB_planches . "\n";
   echo "THUMB_versos : " . $THUMB_versos . "\n";
   echo "THUMB_photos : " . $THUMB_photos . "\n";
   echo "THUMB_dedicaces : " . $THUMB_dedicaces . "\n";
   echo "THUMB_parabd : " . $THUMB_parabd . "\n";
   echo "THUMB_revues : " . $THUMB_revues . "\n";
   // The mark tells the program that the listing scripts are of this
   // version, whose listings all end with it.
   echo "#fin#\n";
}
else {
   $chemin = false;
   if ($current_rep === "couvertures") $chemin = $PATH_couvertures;
   if ($current_rep === "planches") $chemin = $PATH_planches;
   if ($current_rep === "versos") $chemin = $PATH_versos;
   if ($current_rep === "dedicaces") $chemin = $PATH_dedicaces;
   if ($current_rep === "photos") $chemin = $PATH_photos;
   if ($current_rep === "parabd") $chemin = $PATH_parabd;
   if ($current_rep === "revues") $chemin = $PATH_revues;

   // Si le dernier caractère de $chemin est "/", il faut le supprimer :
   if ($chemin !== false && substr($chemin, -1) == "/") $chemin = substr($chemin, 0, -1);

   $handle = ($chemin === false || $chemin === '') ? false : @opendir($chemin);
   if ($handle === false) {
      echo "Le répertoire n'est pas valide !";
      exit;
   }
   // The last two lines tell the program that the listing came whole: the
   // mark, then the number of line ends before it, so that a line left out
   // on the way is seen. A name may hold a line end. A byte-order mark an
   // editor put before "<?php" goes out before any header can: the reply
   // then goes without its headers, not with PHP's warning.
   if (!headers_sent()) header('X-Kalvor-Fin: #fin#');
   $nb_lignes = 0;
   // Only the end of the folder stops the loop: a file named "0" is listed.
   while (($fichier = readdir($handle)) !== false) {
      if ($fichier != "." && $fichier != ".." && !is_dir($chemin . "/" . $fichier)) {
         $ligne = $fichier . "@@@" . date("d/m/Y H:i:s", (int) @filemtime($chemin . "/" . $fichier)) . "\n";
         echo $ligne;
         $nb_lignes += substr_count($ligne, "\n");
      }
   }
   echo "#fin#\n#" . $nb_lignes . "#\n";
}
?>
