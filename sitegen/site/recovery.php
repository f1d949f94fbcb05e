// Passwords are tried one at a time per client address, a second apart:
// while a client's password is being checked, and for a second after it was
// found wrong, that client's posts are refused at once, unread, before
// anything else is read, and told when to ask again; a post from another
// address (the owner's) is read at once. No request waits out that second,
// so that guessers, from however many addresses, hold no worker of the host.
// The clients' times are kept in a file of the site's folder or, where PHP
// may not write there, one of the temporary folder that PHP made itself, as
// another user of the host could hold one he made for ever. Where that file
// fails (no lock on the host, a full disk), each wrong password waits its
// own second.
// The file is a table of fixed slots, 256 buckets of 8 that a client's name
// picks, so that a post reads and writes 256 bytes whatever the number of
// clients. Its name and its secret's begin with ".ht", which neither Apache
// nor the README's nginx lines serve; the secret is a PHP file besides,
// which a server that runs it sends empty.
function kalvor_recovery_garde()
{
   $ici = dirname(__FILE__);
   $ailleurs = @sys_get_temp_dir() . '/kalvor-recovery-' . md5($ici);
   foreach (array(array($ici . '/.htrecovery.verrou', $ici . '/.htrecovery.sel.php', false),
      array($ailleurs . '.verrou', $ailleurs . '.sel.php', true)) as $lieu) {
      list($nom, $nom_sel, $a_soi) = $lieu;
      $f = @fopen($nom, 'c+');
      if ($f === false) {
         continue;
      }
      $sel = kalvor_recovery_sel($nom_sel, $a_soi);
      if ($sel !== false && (!$a_soi || (function_exists('posix_geteuid')
         && @fileowner($nom) === posix_geteuid()))) {
         // Each read goes to the file, never to what an earlier one buffered.
         stream_set_read_buffer($f, 0);
         return array('f' => $f, 'sel' => $sel);
      }
      fclose($f);
   }
   return false;
}
// The site's secret, made once: a key holds it, so that no address can be
// found from the keys alone. False when it cannot be read nor made.
function kalvor_recovery_sel($nom, $a_soi)
{
   for ($essai = 0; $essai < 2; $essai++) {
      $texte = @file_get_contents($nom);
      if ($texte !== false && preg_match('/^<\?php \/\/ ([0-9a-f]{32})$/', $texte, $m)
         && (!$a_soi || (function_exists('posix_geteuid') && @fileowner($nom) === posix_geteuid()))) {
         return $m[1];
      }
      if ($texte !== false || $essai > 0) {
         return false;
      }
      // Written whole under another name, then linked: two first requests
      // agree on the one that came first.
      $temp = $nom . '.' . getmypid() . '-' . mt_rand() . '.tmp';
      try {
         $sel = bin2hex(random_bytes(16));
      }
      catch (Exception $e) {
         return false;
      }
      if (@file_put_contents($temp, '<?php // ' . $sel) === 41) {
         @chmod($temp, 0600);
         // A file system without links takes the last one written.
         if (!@link($temp, $nom) && !file_exists($nom)) {
            @rename($temp, $nom);
         }
      }
      @unlink($temp);
      // The file of earlier versions named clients by a salt the web could find.
      if (!$a_soi) {
         @unlink(dirname($nom) . '/.recovery.verrou');
      }
   }
   return false;
}
// The client's name: its address under the site's secret. An IPv6 client
// owns a whole /64 network, each of whose addresses would count as a client
// of its own.
function kalvor_recovery_client()
{
   global $kalvor_garde;
   $adresse = isset($_SERVER['REMOTE_ADDR']) ? (string) $_SERVER['REMOTE_ADDR'] : '';
   $octets = @inet_pton($adresse);
   if ($octets === false) {
      $octets = $adresse;
   }
   elseif (strlen($octets) == 16 && substr($octets, 0, 12) !== str_repeat("\0", 10) . "\xff\xff") {
      $octets = substr($octets, 0, 8);
   }
   return $kalvor_garde === false ? '' : substr(md5($kalvor_garde['sel'] . ' ' . $octets), 0, 16);
}
// The client's bucket as the file holds it now: whether the client is held,
// the slot to write, where the bucket begins and whether the slot is the
// client's own. False when the file cannot
// be read. The slot is the client's own, else a free one, else, in a flood
// of addresses, the one held the shortest time still: its client may guess
// again the sooner, but no client waits for a slot.
function kalvor_recovery_seau()
{
   global $kalvor_garde, $kalvor_client;
   $debut = hexdec(substr($kalvor_client, 0, 2)) * 256;
   if (fseek($kalvor_garde['f'], $debut) !== 0) {
      return false;
   }
   $seau = fread($kalvor_garde['f'], 256);
   if ($seau === false) {
      return false;
   }
   // A slot read half-written names another client or an earlier time.
   $maintenant = microtime(true);
   $libre = 0;
   $plus_tot = INF;
   for ($n = 0; $n < 8; $n++) {
      $fin = (float) substr($seau, $n * 32 + 17, 14);
      if (substr($seau, $n * 32, 16) === $kalvor_client) {
         return array($fin > $maintenant, $n, $debut, true);
      }
      if ($fin < $plus_tot) {
         $libre = $n;
         $plus_tot = $fin;
      }
   }
   return array(false, $libre, $debut, false);
}
// Sets the time until which the client is held (null: not held). With
// $si_libre, only if the client is not held. True when written, false when
// the client is held, null when the file failed.
function kalvor_recovery_tenir($quand, $si_libre)
{
   global $kalvor_garde, $kalvor_client;
   if ($kalvor_garde === false) {
      return null;
   }
   // A held client is told so from its bucket read without a lock, as most
   // of a guesser's posts are.
   $seau = $si_libre ? kalvor_recovery_seau() : false;
   if ($seau !== false && $seau[0]) {
      return false;
   }
   $f = $kalvor_garde['f'];
   if (!@flock($f, LOCK_EX)) {
      return null;
   }
   $seau = kalvor_recovery_seau();
   $fait = null;
   if ($seau !== false && $seau[0] && $si_libre) {
      $fait = false;
   }
   elseif ($seau !== false && $quand === null && !$seau[3]) {
      $fait = true;
   }
   elseif ($seau !== false) {
      $ligne = $kalvor_client . ' ' . sprintf('%14.3F', $quand === null ? 0 : $quand) . "\n";
      if (fseek($f, $seau[2] + 32 * $seau[1]) === 0 && @fwrite($f, $ligne) === 32 && fflush($f)) {
         $fait = true;
      }
   }
   flock($f, LOCK_UN);
   return $fait;
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
// The refusal of a post left unread says so from its first bytes, as a
// proxy may take off its headers and comments: it is never to be taken for
// a wrong password, nor for an earlier version's refusal. After a byte-order
// mark before "<?php" no header can go, and a wrong password's refusal says
// it so as well: as markup that the program reads and a browser hides.
function kalvor_recovery_refus($occupe)
{
   if ($occupe) {
      echo "Retry-After: 1";
      exit;
   }
   $sans_entetes = headers_sent();
   echo "invalid password";
   if ($sans_entetes) {
      echo "<!-- X-Kalvor-Recovery: post -->";
   }
   exit;
}
$kalvor_garde = kalvor_recovery_garde();
$kalvor_client = kalvor_recovery_client();
// Held while its password is checked: a minute at most, should the request
// die unnoticed.
$kalvor_tenu = kalvor_recovery_tenir(microtime(true) + 60, true);
$kalvor_en_cours = $kalvor_tenu === true;
if ($kalvor_tenu === false) {
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
{{texte}}
// Tells the program that this script reads a posted password: a recovery.php
// of an earlier version refuses every post, and says nothing of it. After a
// byte-order mark before "<?php" no header can go, and the reply goes
// without them.
if (!headers_sent()) header('X-Kalvor-Recovery: post');
$pwd = kalvor_recovery_valeur('pwd');
$kalvor_en_cours = false;
if (!hash_equals((string) $password, $pwd)){
   // A second per guess, as a login form gives: waited here when the
   // client could not be held for it.
   if ($kalvor_tenu !== true || kalvor_recovery_tenir(microtime(true) + 1, false) !== true) {
      sleep(1);
   }
   kalvor_recovery_refus(false);
}
else {
   if ($kalvor_tenu === true) {
      kalvor_recovery_tenir(null, false);
   }
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
         $empreinte = hash_init('crc32b');
         $octets = 0;
         $nb_champs = $nb_fields + 2;
         $arobases = 3 * ($nb_champs - 1);
         while($row=mysql_fetch_row($requete)) {
            if (count($row) != $nb_champs) {
               $row = array_pad(array_slice($row, 0, $nb_champs), $nb_champs, '');
            }
            $ligne = implode("@@@", $row);
            // Most rows hold nothing to escape, as a few quick searches of
            // the whole row tell: no "@" beside the separators' own.
            if (substr_count($ligne, '@') != $arobases || strpos($ligne, '#') !== false
               || strpos($ligne, '%') !== false || strpos($ligne, "\r") !== false
               || strpos($ligne, "\n") !== false) {
               $ligne = implode("@@@", kalvor_texte($row));
            }
            $ligne .= "#end#";
            echo $ligne;
            hash_update($empreinte, $ligne);
            $octets += strlen($ligne);
         }
         echo "#fin:recovery:" . $tablename . "#" . $octets . "#" . hash_final($empreinte) . "#";
      }
   }
}
?>
