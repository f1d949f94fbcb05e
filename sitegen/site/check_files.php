if (!headers_sent()) header('Content-Type: text/plain; charset=ISO-8859-1');
{{require}}


{{texte}}
$current_rep = isset($_GET['current_rep']) ? $_GET['current_rep'] : '';
if ($current_rep === "kalvorhelper") {
   // One line per setting, its value escaped as names are, then the mark
   // by which the program knows the listing scripts of this version.
   $reglages = "";
   $reglages .= "PATH_couvertures : " . kalvor_texte($PATH_couvertures) . "\n";
   $reglages .= "PATH_planches : " . kalvor_texte($PATH_planches) . "\n";
   $reglages .= "PATH_versos : " . kalvor_texte($PATH_versos) . "\n";
   $reglages .= "PATH_photos : " . kalvor_texte($PATH_photos) . "\n";
   $reglages .= "PATH_dedicaces : " . kalvor_texte($PATH_dedicaces) . "\n";
   $reglages .= "PATH_parabd : " . kalvor_texte($PATH_parabd) . "\n";
   $reglages .= "PATH_revues : " . kalvor_texte($PATH_revues) . "\n";
   $reglages .= "PATH_images : " . kalvor_texte($PATH_images) . "\n";
   $reglages .= "THUMB_couvertures : " . kalvor_texte($THUMB_couvertures) . "\n";
   $reglages .= "THUMB_planches : " . kalvor_texte($THUMB_planches) . "\n";
   $reglages .= "THUMB_versos : " . kalvor_texte($THUMB_versos) . "\n";
   $reglages .= "THUMB_photos : " . kalvor_texte($THUMB_photos) . "\n";
   $reglages .= "THUMB_dedicaces : " . kalvor_texte($THUMB_dedicaces) . "\n";
   $reglages .= "THUMB_parabd : " . kalvor_texte($THUMB_parabd) . "\n";
   $reglages .= "THUMB_revues : " . kalvor_texte($THUMB_revues) . "\n";
   echo $reglages . "#fin:check_files:kalvorhelper#" . strlen($reglages) . "#" . hash('crc32b', $reglages) . "#\n";
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
   // The last line tells the program that the listing came whole: the
   // mark, the script and folder it answers, and the number and CRC-32 of the
   // bytes before it, so that a line left out or changed on the way, or a
   // listing kept for another folder, is seen. A name may hold a line end,
   // "@" or "#": it goes escaped. A byte-order mark an editor put before
   // "<?php" goes out before any header can: the reply then goes without its
   // headers, not with PHP's warning.
   if (!headers_sent()) header('X-Kalvor-Fin: #fin#');
   $empreinte = hash_init('crc32b');
   $octets = 0;
   // Only the end of the folder stops the loop: a file named "0" is listed.
   while (($fichier = readdir($handle)) !== false) {
      if ($fichier != "." && $fichier != ".." && !is_dir($chemin . "/" . $fichier)) {
         $ligne = kalvor_texte($fichier) . "@@@" . date("d/m/Y H:i:s", (int) @filemtime($chemin . "/" . $fichier)) . "\n";
         echo $ligne;
         hash_update($empreinte, $ligne);
         $octets += strlen($ligne);
      }
   }
   echo "#fin:check_files:" . $current_rep . "#" . $octets . "#" . hash_final($empreinte) . "#\n";
}
?>
