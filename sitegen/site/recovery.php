// Passwords are tried one at a time, each wrong one answered after a second:
// the request that holds the lock of the site's guesses waits that second,
// and those that come meanwhile are refused at once, unread, before
// anything else is read, so that
// guessing holds one worker of the host at most, never all of them, and
// runs at about one guess a second however many clients guess. The lock is
// a file of the site's folder or, where PHP may not write there, one of the
// temporary folder that PHP made itself, as another user of the host could
// hold one he made for ever. Without either, each wrong password waits its
// own second.
function kalvor_recovery_verrou()
{
   $ici = dirname(__FILE__) . '/.recovery.verrou';
   $f = @fopen($ici, 'c');
   if ($f !== false) {
      return $f;
   }
   $ailleurs = @sys_get_temp_dir() . '/kalvor-' . md5(dirname(__FILE__)) . '.verrou';
   $f = @fopen($ailleurs, 'c');
   if ($f !== false && function_exists('posix_geteuid') && @fileowner($ailleurs) === posix_geteuid()) {
      return $f;
   }
   if ($f !== false) {
      fclose($f);
   }
   return false;
}
// After a byte-order mark before "<?php" no header can go: the refusal then
// carries what they would say after its words, as markup that the program
// reads and a browser hides.
function kalvor_recovery_refus($occupe)
{
   $sans_entetes = headers_sent();
   echo "invalid password";
   if ($sans_entetes) {
      echo $occupe ? "<!-- X-Kalvor-Recovery: post; Retry-After: 1 -->" : "<!-- X-Kalvor-Recovery: post -->";
   }
   exit;
}
$kalvor_verrou = kalvor_recovery_verrou();
if ($kalvor_verrou !== false && !@flock($kalvor_verrou, LOCK_EX | LOCK_NB)) {
   // The program asks again a moment later.
   if (!headers_sent()) {
      header('X-Kalvor-Recovery: post');
      header('Retry-After: 1');
   }
   kalvor_recovery_refus(true);
}
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
// Tells the program that this script reads a posted password: a recovery.php
// of an earlier version refuses every post, and says nothing of it. After a
// byte-order mark before "<?php" no header can go, and the reply goes
// without them.
if (!headers_sent()) header('X-Kalvor-Recovery: post');
$pwd = kalvor_recovery_valeur('pwd');
if (!hash_equals((string) $password, $pwd)){
   // A second per guess, as a login form gives; the lock is let go when
   // the request ends.
   sleep(1);
   kalvor_recovery_refus(false);
}
else {
   if ($kalvor_verrou !== false) {
      flock($kalvor_verrou, LOCK_UN);
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
         // The mark tells the program that the reply came whole, and the count
         // after it that no row was left out on the way. A text that holds
         // "#end#" is counted as the program splits the rows.
         if (!headers_sent()) header('X-Kalvor-Fin: #fin#');
         $nb_lignes = 0;
         while($row=mysql_fetch_row($requete)) {
            $ligne = '';
            for ($i = 0; $i <= $nb_fields; $i++) {
               $ligne .= (isset($row[$i]) ? $row[$i] : '') . "@@@";
            }
            $ligne .= (isset($row[$i]) ? $row[$i] : '') . "#end#";
            echo $ligne;
            $nb_lignes += substr_count($ligne, "#end#");
         }
         echo "#fin##" . $nb_lignes . "#";
      }
   }
}
?>
