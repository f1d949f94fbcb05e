// The headers' charset is set before require.php is read, and nothing it
// prints reaches the visitor: a line end after its closing tag would send
// the headers, and where short tags are off a file opened with the short
// tag prints its whole text, the password with it.
ini_set('default_charset', 'ISO-8859-1');
ob_start(function ($texte) {
  return '';
});
require '{{GV_Require|sq}}require.php';
ob_end_clean();
// Every site file reads one of these.
if (!isset($host) && !isset($base) && !isset($prefixe_table) && !isset($PATH_images)) {
  // In UTF-8, as the server's log is read. Such a file, asked for by
  // itself, sends its text, the MySQL password with it, wherever the host
  // does not refuse it (the .htaccess beside it, on Apache): the log says
  // so, the page that every visitor sees does not.
  $kalvor_erreur = "Le site ne trouve aucun de ses r\u{e9}glages dans require.php : ce serveur "
    . "ne lit pas un fichier qui commence par \"<?\". Remplacez sa premi\u{e8}re ligne par "
    . "\"<?php\", ou g\u{e9}n\u{e9}rez \u{e0} nouveau require.php avec Kalvor et envoyez-le "
    . "sur le site, sans attendre.";
  error_log('Kalvor : ' . $kalvor_erreur . " Tel quel, ce serveur peut l'envoyer \u{e0} qui le "
    . "demande, mot de passe MySQL compris.");
  // After a byte-order mark before "<?php" no header can go: the text goes
  // without them, not with PHP's warning.
  if (!headers_sent()) {
    http_response_code(500);
    header('Content-Type: text/plain; charset=UTF-8');
    header('X-Kalvor-Erreur: require.php');
  }
  echo $kalvor_erreur . "\n";
  exit;
}
