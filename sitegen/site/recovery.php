// Passwords are tried one at a time per client address, a second apart:
// while a client's password is being checked, and for a second after it was
// found wrong, that client's posts are refused at once, unread, before
// anything else is read, and told when to ask again; a post from another
// address (the owner's) is read at once. No request waits out that second,
// so that guessers, from however many addresses, hold no worker of the host.
// The clients' times are kept in a file of the site's folder or, where PHP
// may not write there, one of the temporary folder that PHP made itself, as
// another user of the host could hold one he made for ever; only those still
// running are kept. Without either, each wrong password waits its own second.
function kalvor_recovery_verrou()
{
   $ici = dirname(__FILE__) . '/.recovery.verrou';
   $f = @fopen($ici, 'c+');
   if ($f !== false) {
      return $f;
   }
   $ailleurs = @sys_get_temp_dir() . '/kalvor-' . md5(dirname(__FILE__)) . '.verrou';
   $f = @fopen($ailleurs, 'c+');
   if ($f !== false && function_exists('posix_geteuid') && @fileowner($ailleurs) === posix_geteuid()) {
      return $f;
   }
   if ($f !== false) {
      fclose($f);
   }
   return false;
}
// The client's name in the file, which the host may serve: its address
// under a digest salted with this script's own inode, as an address's bare
// digest is soon found.
function kalvor_recovery_client()
{
   $adresse = isset($_SERVER['REMOTE_ADDR']) ? (string) $_SERVER['REMOTE_ADDR'] : '';
   $octets = @inet_pton($adresse);
   if ($octets === false) {
      $octets = $adresse;
   }
   // An IPv6 client owns a whole /64 network, each of whose addresses
   // would count as a client of its own.
   elseif (strlen($octets) == 16 && substr($octets, 0, 12) !== str_repeat("\0", 10) . "\xff\xff") {
      $octets = substr($octets, 0, 8);
   }
   return md5(getmyinode() . ' ' . $octets);
}
// The times of the clients still held, from the file as it stands.
function kalvor_recovery_temps()
{
   global $kalvor_verrou;
   $maintenant = microtime(true);
   $jusqu_a = array();
   rewind($kalvor_verrou);
   foreach (explode("\n", (string) stream_get_contents($kalvor_verrou)) as $ligne) {
      $champs = explode(' ', $ligne);
      if (count($champs) == 2 && (float) $champs[1] > $maintenant) {
         $jusqu_a[$champs[0]] = (float) $champs[1];
      }
   }
   return $jusqu_a;
}
// Sets the time until which the client is held (null: not held). With
// $si_libre, only if the client is not held. True when it was not.
function kalvor_recovery_tenir($quand, $si_libre)
{
   global $kalvor_verrou, $kalvor_client;
   if ($kalvor_verrou === false) {
      return true;
   }
   // A held client is told so from the file read without its lock, as most
   // of a guesser's posts are: the file is written whole at once, and a
   // line read half-written holds another client or an earlier time.
   if ($si_libre && isset(kalvor_recovery_temps()[$kalvor_client])) {
      return false;
   }
   if (!@flock($kalvor_verrou, LOCK_EX)) {
      return true;
   }
   $jusqu_a = kalvor_recovery_temps();
   $libre = !isset($jusqu_a[$kalvor_client]);
   if ($libre || !$si_libre) {
      unset($jusqu_a[$kalvor_client]);
      if ($quand !== null) {
         $jusqu_a[$kalvor_client] = $quand;
      }
      $texte = '';
      foreach ($jusqu_a as $client => $fin) {
         $texte .= $client . ' ' . sprintf('%.3F', $fin) . "\n";
      }
      ftruncate($kalvor_verrou, 0);
      rewind($kalvor_verrou);
      fwrite($kalvor_verrou, $texte);
      fflush($kalvor_verrou);
   }
   flock($kalvor_verrou, LOCK_UN);
   return $libre;
}
// A request that ends before its password was told right or wrong (an error
// of require.php) holds its client no longer.
function kalvor_recovery_fin()
{
   global $kalvor_en_cours;
   if ($kalvor_en_cours) {
      kalvor_recovery_tenir(null, false);
   }
}
// The refusal of a post left unread says so in its text too, as a proxy may
// take its headers off: it is never to be taken for a wrong password. After
// a byte-order mark before "<?php" no header can go, and a wrong password's
// refusal says it so as well: as markup that the program reads and a
// browser hides.
function kalvor_recovery_refus($occupe)
{
   $sans_entetes = headers_sent();
   echo "invalid password";
   if ($occupe) {
      echo "<!-- X-Kalvor-Recovery: post; Retry-After: 1 -->";
   }
   elseif ($sans_entetes) {
      echo "<!-- X-Kalvor-Recovery: post -->";
   }
   exit;
}
$kalvor_verrou = kalvor_recovery_verrou();
$kalvor_client = kalvor_recovery_client();
// Held while its password is checked: a minute at most, should the request
// die unnoticed.
$kalvor_en_cours = kalvor_recovery_tenir(microtime(true) + 60, true);
if (!$kalvor_en_cours) {
   // The program asks again a moment later.
   if (!headers_sent()) {
      header('X-Kalvor-Recovery: post');
      header('Retry-After: 1');
   }
   kalvor_recovery_refus(true);
}
register_shutdown_function('kalvor_recovery_fin');
{{require}}
{{compat}}
// The program parses every reply: no PHP message may ever stand in one.
ini_set('display_errors', '0');
// The program posts the password, which so stays out of the server's access
// log; programs of earlier versions send both values in the address.
function kalvor_recovery_valeur($nom)
{
   foreach (array($_POST, $_GET) as $source) {
      if (isset($source[$nom]) && is_string($source[$nom])) {
         return $source[$nom];
      }
   }
   return '';
}
// A text as the program reads it back: "%", "@", "#", CR and LF escaped.
function kalvor_texte($texte)
{
   $texte = (string) $texte;
   if (strpbrk($texte, "%@#\r\n") === false) {
      return $texte;
   }
   return strtr($texte, array('%' => '%25', '@' => '%40', '#' => '%23', "\r" => '%0D', "\n" => '%0A'));
}
// Tells the program that this script reads a posted password: a recovery.php
// of an earlier version refuses every post, and says nothing of it. After a
// byte-order mark before "<?php" no header can go, and the reply goes
// without them.
if (!headers_sent()) header('X-Kalvor-Recovery: post');
$pwd = kalvor_recovery_valeur('pwd');
$kalvor_en_cours = false;
if (!hash_equals((string) $password, $pwd)){
   // A second per guess, as a login form gives.
   if ($kalvor_verrou !== false) {
      kalvor_recovery_tenir(microtime(true) + 1, false);
   }
   else {
      sleep(1);
   }
   kalvor_recovery_refus(false);
}
else {
   kalvor_recovery_tenir(null, false);
   $W_SQL = '';
   $nb_fields = 0;
   $tablename = kalvor_recovery_valeur('tablename');
   switch ($tablename){
      Case "series":
         $W_SQL = "SELECT * from " . $prefixe_table . "series union SELECT * from " . $prefixe_table . "series2 union SELECT * from " . $prefixe_table . "series3 order by 1";
         $nb_fields = 5;
         break;
      Case "auteurs":
         $W_SQL = "SELECT * from " . $prefixe_table . "auteurs union SELECT * from " . $prefixe_table . "auteurs2 union SELECT * from " . $prefixe_table . "auteurs3 order by 1";
         $nb_fields = 11;
         break;
      Case "albums":
         $W_SQL = "SELECT * from " . $prefixe_table . "albums order by 1";
         $nb_fields = 28;
         break;
      Case "acheter":
         $W_SQL = "SELECT * from " . $prefixe_table . "acheter order by 1";
         $nb_fields = 28;
         break;
      Case "collaborateurs":
         $W_SQL = "SELECT * from " . $prefixe_table . "collaborateurs order by 1";
         $nb_fields = 1;
         break;
      Case "parabd":
         $W_SQL = "SELECT * from " . $prefixe_table . "parabd order by 1";
         $nb_fields = 20;
         break;
      Case "revues":
         $W_SQL = "SELECT r.*,s.titre from " . $prefixe_table . "revues r, " . $prefixe_table . "series4 s where r.idserie=s.idserie order by 1";
         $nb_fields = 19;
         break;
   }
   // An unknown table gets an empty reply; a database that cannot be reached
   // or read gets a reply that no table could give, so that the recovery
   // stops and says why.
   if ($W_SQL != '') {
      $dblink = @mysql_connect($host,$login,$password);
      $requete = $dblink ? @mysql_db_query($base, $W_SQL, $dblink) : false;
      if (!$dblink) {
         // Hosts with the old MySQL functions keep their own reason.
         $raison = function_exists('mysqli_connect_error') ? mysqli_connect_error() : '';
         if ($raison == '' && function_exists('mysql_error')) $raison = mysql_error();
         echo "erreur de connexion à la base : " . $raison;
      }
      elseif (!$requete) {
         echo "erreur de lecture de la table " . $tablename;
      }
      else {
         // No text may read as a separator, a row end or the mark: each goes
         // escaped. The mark names the table, so that a reply kept for
         // another is refused, and proves every byte sent before it.
         if (!headers_sent()) header('X-Kalvor-Fin: #fin#');
         $empreinte = hash_init('md5');
         $octets = 0;
         while($row=mysql_fetch_row($requete)) {
            $ligne = '';
            for ($i = 0; $i <= $nb_fields; $i++) {
               $ligne .= kalvor_texte(isset($row[$i]) ? $row[$i] : '') . "@@@";
            }
            $ligne .= kalvor_texte(isset($row[$i]) ? $row[$i] : '') . "#end#";
            echo $ligne;
            hash_update($empreinte, $ligne);
            $octets += strlen($ligne);
         }
         echo "#fin:recovery:" . $tablename . "#" . $octets . "#" . hash_final($empreinte) . "#";
      }
   }
}
?>
