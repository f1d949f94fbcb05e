if (!headers_sent()) header('Content-Type: text/plain; charset=ISO-8859-1');
{{require}}

{{texte}}
$current_rep = isset($_GET['current_rep']) ? $_GET['current_rep'] : '';
$chemin = false;
if ($current_rep === "couvertures") $chemin = $THUMB_couvertures;
if ($current_rep === "planches") $chemin = $THUMB_planches;
if ($current_rep === "versos") $chemin = $THUMB_versos;
if ($current_rep === "dedicaces") $chemin = $THUMB_dedicaces;
if ($current_rep === "photos") $chemin = $THUMB_photos;
if ($current_rep === "parabd") $chemin = $THUMB_parabd;
if ($current_rep === "revues") $chemin = $THUMB_revues;

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
echo "#fin:check_thumbs:" . $current_rep . "#" . $octets . "#" . hash_final($empreinte) . "#\n";
?>
