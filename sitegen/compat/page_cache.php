// Catalogue pages already made are sent again from the cache folder while
// nothing they are made from has changed: the parameters the page reads
// (any other makes no new copy), the data (the last-update mark, and the
// tables' own change times, finer than that date), require.php and the
// site's files, the image folders the pages look into. The thumbnail folders
// count by their existence only, as the site writes into them itself; a page
// that links a thumbnail still to make is not kept. Only a page made in full,
// without a warning, with all of that unchanged from start to end, is kept.
// A folder that cannot be written means no cache; at the size bound the
// oldest pages make room. What the cache's upkeep costs is paid after the
// page, in batches no visit waits long for: earlier data's pages go by later
// visits.

// The fields of a posted form a page reads: a post carrying none of them
// is the page's plain visit.
function CacheChampsPostes($page)
{
  return $page === 'search.php' ? array('fserie', 'ftitre', 'fnom', 'fprenom', 'fediteur',
    'fcollection', 'fisbn', 'ftype', 'fdescription', 'fnum', 'fperiodicite') : array();
}

// A parameter as GetVariable reads it: the request's text, the global
// already set, or the default. Every name read is noted, as the page may
// read no other one.
function CacheLu(&$lus, $nom, $defaut)
{
  $lus[] = $nom;
  if (isset($_GET[$nom])) {
    return is_array($_GET[$nom]) ? '' : (string) $_GET[$nom];
  }
  return isset($GLOBALS[$nom]) ? $GLOBALS[$nom] : $defaut;
}

// A sort key of a page's table: one its columns sort on, or the first.
function CacheTri(&$lus, $cles)
{
  $tri = CacheLu($lus, 'tri', 'serie');
  return is_string($tri) && in_array($tri, $cles, true) ? $tri : $cles[0];
}

// The values a page acts on, as it reads them from the request, and the
// names it reads: a value it does not know is keyed as the default it
// falls back to, a number as the number it reads, so that a new junk value
// finds the page already kept. False for a page that is not kept.
function CacheCle($page)
{
  static $pages = array('index.php', 'serie.php', 'revue.php', 'auteur.php', 'collection.php',
    'style.php', 'type.php', 'dl.php', 'dt-achat.php', 'notes.php', 'liste.php', 'stats.php',
    'imprimer.php', 'moteur.php', 'search.php');
  if (!in_array($page, $pages, true)) {
    return false;
  }
  $lus = array();
  $defaut = ($GLOBALS['GV_collection'] == 'both' || $GLOBALS['GV_collection'] == 'albums')
    ? 'albums' : 'acheter';
  $coll = CacheLu($lus, 'coll', $defaut);
  if ($coll == $defaut) {
    $coll = CacheLu($lus, 'current_coll', $defaut);
  }
  if (!in_array($coll, array('albums', 'acheter', 'dedicace', 'parabd', 'revue'), true)) {
    $coll = $defaut;
  }
  $defaut = $coll == 'revue' ? 'revue' : 'series';
  $liste = CacheLu($lus, 'liste', $defaut);
  if (!in_array($liste, array('notes', 'series', 'auteurs', 'styles', 'collections', 'types', 'dl',
    'dt-achat', 'revue'), true)) {
    $liste = $defaut;
  }
  // The print page reads the list kind apart, and shows no list frame.
  if ($page === 'imprimer.php') {
    $liste = isset($_GET['liste']) && $_GET['liste'] === 'style' ? 'style' : 'serie';
  }
  $cle = array('coll' => $coll, 'liste' => $liste);
  if ($liste === 'dl' || $liste === 'dt-achat') {
    $cle['date'] = (string) CacheLu($lus, 'date', '');
  }
  $albums = array('serie', 'titre', 'dl', 'isbn');
  switch ($page) {
    case 'serie.php':
      $id = CacheLu($lus, 'idserie', -1);
      $cle['idserie'] = $id === 'all' ? $id : (is_numeric($id) ? (int) $id : -1);
      break;
    case 'revue.php':
      $id = CacheLu($lus, 'idserie', -1);
      $cle['idserie'] = $id === 'all' ? $id
        : (preg_match('/^-?[0-9]{1,9}$/', (string) $id) ? (int) $id : -1);
      break;
    case 'auteur.php':
      $id = CacheLu($lus, 'idauteur', -1);
      $cle['idauteur'] = is_numeric($id) ? (int) $id : -1;
      $cle['tri'] = CacheTri($lus, $coll == 'parabd' ? array('serie', 'dl', 'editeur', 'description')
        : array('serie', 'dl', 'editeur', 'titre', 'isbn'));
      break;
    case 'collection.php':
      foreach (array('edit' => 'cle1', 'collec' => 'cle2') as $nom => $ancien) {
        $cle[$nom] = CacheLu($lus, $nom, '');
        if ($cle[$nom] == '') {
          $cle[$nom] = CacheLu($lus, $ancien, '');
        }
        $cle[$nom] = (string) $cle[$nom];
      }
      $cle['tri'] = CacheTri($lus, $albums);
      break;
    case 'style.php':
      $cle['style'] = CacheLu($lus, 'style', '');
      if ($cle['style'] == '') {
        $cle['style'] = CacheLu($lus, 'cle1', '');
      }
      $cle['style'] = (string) $cle['style'];
      $cle['tri'] = CacheTri($lus, $albums);
      break;
    case 'type.php':
      $type = CacheLu($lus, 'typeobjet', '');
      $cle['typeobjet'] = $coll == 'parabd' && preg_match('/^[0-9]{1,9}$/', (string) $type)
        ? (int) $type : '';
      $cle['tri'] = CacheTri($lus, array('serie', 'description', 'editeur'));
      break;
    case 'dl.php':
    case 'dt-achat.php':
      $cle['date'] = (string) CacheLu($lus, 'date', '');
      $cle['tri'] = CacheTri($lus, $albums);
      break;
    case 'notes.php':
      $cle['notes'] = (string) CacheLu($lus, 'notes', '');
      $cle['tri'] = CacheTri($lus, $albums);
      break;
  }
  if (isset($cle['tri'])) {
    $cle['sens'] = CacheLu($lus, 'sens', '') == 'desc' ? 'desc' : '';
  }
  return array('lus' => array_unique($lus), 'cle' => $cle);
}

function CacheMarque()
{
  $prefixe = $GLOBALS['prefixe_table'];
  $motif = str_replace(array('|', '_', '%'), array('||', '|_', '|%'), $prefixe) . '%';
  // MySQL 8 would otherwise give table times up to a day old.
  @mysql_query('SET /*!80000 SESSION information_schema_stats_expiry = 0, */ @kalvor_cache = 1');
  $r = @mysql_query("SELECT (SELECT max(last_update) FROM " . $prefixe . "kalvor), count(*), "
    . "UNIX_TIMESTAMP(max(CREATE_TIME)), UNIX_TIMESTAMP(max(UPDATE_TIME)), UNIX_TIMESTAMP() "
    . "FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
    . "AND TABLE_NAME LIKE '" . mysql_real_escape_string($motif) . "' ESCAPE '|'");
  $ligne = $r ? @mysql_fetch_row($r) : false;
  return is_array($ligne) ? $ligne : false;
}

// The entries of a folder, none when it cannot be read.
function CacheListe($dossier)
{
  $noms = @scandir($dossier);
  $liste = array();
  foreach (is_array($noms) ? $noms : array() as $nom) {
    if ($nom != '.' && $nom != '..') {
      $liste[] = $dossier . '/' . $nom;
    }
  }
  return $liste;
}

// What a page's bytes are made from, and the latest change time of the
// site's PHP files (a change that OPcache may not have seen yet).
function CacheEtat($marque, $fichiers)
{
  $cle = array_slice($marque, 0, 4);
  $recent = 0;
  foreach ($fichiers as $fichier) {
    $date = @filemtime($fichier);
    $cle[] = $fichier . ':' . $date . ':' . @filesize($fichier);
    $recent = max($recent, (int) $date);
  }
  $miniatures = array();
  $sortes = array_keys(TaillesMiniatures());
  foreach ($sortes as $sorte) {
    if (isset($GLOBALS['THUMB_' . $sorte]) && (string) $GLOBALS['THUMB_' . $sorte] !== '') {
      $dossier = (string) $GLOBALS['THUMB_' . $sorte];
      $miniatures[] = $dossier;
      $cle[] = $dossier . ':' . (is_dir(CheminAbsolu($dossier)) ? 1 : 0);
    }
  }
  // An image folder that also holds thumbnails changes with each one made.
  foreach ($sortes as $sorte) {
    if (isset($GLOBALS['PATH_' . $sorte])
      && !in_array((string) $GLOBALS['PATH_' . $sorte], $miniatures, true)) {
      $dossier = CheminAbsolu((string) $GLOBALS['PATH_' . $sorte]);
      $cle[] = $dossier . ':' . @filemtime($dossier) . ':' . @filesize($dossier);
    }
  }
  return array('cle' => $cle, 'recent' => $recent);
}

// The pages a generation keeps are listed in the order they were kept, in
// files of 1,024 lines of one width, so that the oldest are found without
// listing the folder. ".htetat" holds the first line still listed, the next
// line to write and the size of the pages listed between. The cache's own
// files are named ".ht...", which neither Apache nor nginx's lines serve.
function CacheEtatLu($f)
{
  rewind($f);
  $e = explode(' ', (string) stream_get_contents($f));
  return count($e) == 3 ? array_map('intval', $e) : array(0, 0, 0);
}

function CacheEtatEcrit($f, $e)
{
  ftruncate($f, 0);
  rewind($f);
  fwrite($f, implode(' ', $e));
  fflush($f);
}

function CacheJournal($generation, $ligne)
{
  return $generation . '/.htliste-' . (int) ($ligne / 1024);
}

// Lists a page just kept: gives its line and the size of the pages listed,
// false when it could not be listed.
function CacheListee($generation, $nom, $taille, $inode)
{
  $f = @fopen($generation . '/.htetat', 'c+');
  if ($f === false) {
    return false;
  }
  // Where the host cannot lock, a line may be lost: its page then stays
  // until the data changes.
  flock($f, LOCK_EX);
  list($debut, $fin, $total) = CacheEtatLu($f);
  $j = @fopen(CacheJournal($generation, $fin), 'c');
  $ligne = str_pad(basename($nom, '.html') . ' ' . $taille . ' ' . $inode, 79) . "\n";
  $ecrite = $j !== false && fseek($j, $fin % 1024 * 80) === 0 && fwrite($j, $ligne) === 80;
  if ($j !== false) {
    fclose($j);
  }
  if ($ecrite) {
    CacheEtatEcrit($f, array($debut, $fin + 1, $total + $taille));
  }
  flock($f, LOCK_UN);
  fclose($f);
  return $ecrite ? array($fin, $total + $taille) : false;
}

// What a visit may spend on the cache's upkeep. Where the host can end the
// reply first, the visitor does not wait for it; elsewhere a batch of a
// quarter of what the page itself took, at most a few hundred entries: an
// entry of a folder written out long ago may take a millisecond to delete.
// Each task takes at least its 'assures' entries, so that the work gets done.
function CacheBudget()
{
  $maintenant = microtime(true);
  if (function_exists('fastcgi_finish_request') && fastcgi_finish_request()) {
    return array('reste' => 20000, 'fin' => $maintenant + 1, 'assures' => 0);
  }
  $debut = isset($_SERVER['REQUEST_TIME_FLOAT'])
    ? (float) $_SERVER['REQUEST_TIME_FLOAT'] : $maintenant;
  return array('reste' => 300, 'fin' => $maintenant + max(0, $maintenant - $debut) / 4,
    'assures' => 0);
}

// Whether the budget allows one entry more, and takes it.
function CacheEncore(&$budget)
{
  if ($budget['reste'] <= 0) {
    return false;
  }
  $budget['reste']--;
  return $budget['assures']-- > 0 || microtime(true) < $budget['fin'];
}

// Past the bound the oldest pages go, down to nine tenths of it, so that
// room is made now and then rather than at each page kept. The page this
// visit kept stays, as do later ones and pages being written. One visit
// makes room at a time.
function CachePlace($generation, $limite, $mienne, &$budget)
{
  $verrou = @fopen($generation . '/.htplace', 'c');
  if ($verrou === false || (!flock($verrou, LOCK_EX | LOCK_NB, $occupe) && $occupe)) {
    return;
  }
  $f = @fopen($generation . '/.htetat', 'c+');
  if ($f !== false) {
    flock($f, LOCK_EX);
    list($debut, $fin, $total) = CacheEtatLu($f);
    flock($f, LOCK_UN);
    $ligne = $debut;
    $libere = 0;
    $j = false;
    while ($ligne < $mienne && $total - $libere > 0.9 * $limite && CacheEncore($budget)) {
      if ($j === false || $ligne % 1024 == 0) {
        if ($j !== false) {
          fclose($j);
        }
        $j = @fopen(CacheJournal($generation, $ligne), 'rb');
        if ($j === false || fseek($j, $ligne % 1024 * 80) !== 0) {
          break;
        }
      }
      // A page made again since has a line of its own further on.
      if (preg_match('/^([0-9a-f]{32}) ([0-9]+) ([0-9]+)/', (string) fread($j, 80), $m)) {
        $page = $generation . '/' . $m[1] . '.html';
        $etat = @stat($page);
        if ($etat !== false && $etat['ino'] == $m[3] && $etat['size'] == $m[2]) {
          @unlink($page);
        }
        $libere += (int) $m[2];
      }
      $ligne++;
    }
    if ($j !== false) {
      fclose($j);
    }
    for ($n = (int) ($debut / 1024); $n < (int) ($ligne / 1024); $n++) {
      @unlink(CacheJournal($generation, $n * 1024));
    }
    flock($f, LOCK_EX);
    list($debut, $fin, $total) = CacheEtatLu($f);
    CacheEtatEcrit($f, array(max($debut, $ligne), $fin, max(0, $total - $libere)));
    flock($f, LOCK_UN);
    fclose($f);
  }
  // A page left half written for an hour was left by a request that died;
  // one that vanished meanwhile was kept or dropped.
  foreach (CacheListe($generation . '/tmp') as $temp) {
    $date = @filemtime($temp);
    if ($date !== false && $date < time() - 3600) {
      @unlink($temp);
    }
  }
  flock($verrou, LOCK_UN);
  fclose($verrou);
}

// Where the folders of earlier data wait to be deleted.
function CacheCorbeille($dossier)
{
  return $dossier . '/kalvor-a-effacer';
}

// Deletes what a folder holds, as far as the budget goes: whether the
// folder is gone.
function CacheEfface($dossier, &$budget)
{
  $h = @opendir($dossier);
  if ($h === false) {
    return false;
  }
  $fini = true;
  while (($nom = readdir($h)) !== false) {
    if ($nom === '.' || $nom === '..') {
      continue;
    }
    // A folder costs what it holds: the entries a visit is sure to delete
    // are pages, not the folder they are in.
    $chemin = $dossier . '/' . $nom;
    $dedans = @filetype($chemin) === 'dir';
    if ($dedans ? !CacheEfface($chemin, $budget) : !CacheEncore($budget)) {
      $fini = false;
      break;
    }
    if (!$dedans) {
      @unlink($chemin);
    }
  }
  closedir($h);
  return $fini && @rmdir($dossier);
}

function CacheDebut()
{
  $dossier = isset($GLOBALS['GV_cache']) ? (string) $GLOBALS['GV_cache'] : 'cache';
  $page = isset($_SERVER['SCRIPT_FILENAME']) ? basename($_SERVER['SCRIPT_FILENAME']) : '';
  $lus = CacheCle($page);
  // Link checkers and monitors ask with HEAD: the headers of the kept page.
  $methode = isset($_SERVER['REQUEST_METHOD']) ? $_SERVER['REQUEST_METHOD'] : '';
  if ($dossier === '' || $lus === false || !in_array($methode, array('GET', 'HEAD', 'POST'), true)) {
    return;
  }
  foreach (CacheChampsPostes($page) as $champ) {
    if (isset($_POST[$champ])) {
      return;
    }
  }
  $marque = CacheMarque();
  if ($marque === false) {
    return;
  }
  // The end of the page may run in another working folder.
  if (!CheminEstAbsolu($dossier)) {
    $ici = getcwd();
    if ($ici === false) {
      return;
    }
    $dossier = $ici . '/' . $dossier;
  }
  $fichiers = get_included_files();
  foreach (CacheListe(dirname(__FILE__)) as $fichier) {
    if (substr($fichier, -4) == '.php') {
      $fichiers[] = $fichier;
    }
  }
  // The same list for every page.
  $fichiers = array_unique($fichiers);
  sort($fichiers);
  $etat = CacheEtat($marque, $fichiers);
  $generation = $dossier . '/' . substr(md5(implode("\n", $etat['cle'])), 0, 16);
  $nom = $generation . '/' . md5($page . "\n" . serialize($lus['cle'])) . '.html';

  $f = @fopen($nom, 'rb');
  if ($f !== false) {
    // A header line of 128 bytes; when the page links thumbnails, it ends
    // with the page's length, and their list follows the page.
    $entete = explode("\t", rtrim(fread($f, 128)));
    // A thumbnail deleted since (to make it again from its image) would
    // answer 404: the page is made again, linking the thumbnail maker. The
    // page's date says when its thumbnails were last all seen.
    $vues = true;
    if (isset($entete[1])) {
      $etat_page = fstat($f);
      $vues = fseek($f, 128 + (int) $entete[1]) === 0
        ? CacheMiniaturesLa(stream_get_contents($f), $etat_page['mtime']) : false;
    }
    if ($vues === 'chacune') {
      @touch($nom);
    }
    if ($vues === false) {
      fclose($f);
      @unlink($nom);
    } else {
      if ($entete[0] !== '') {
        header($entete[0]);
      }
      // A page may be larger than PHP's memory: it goes out in pieces.
      if ($methode !== 'HEAD' && isset($entete[1])) {
        fseek($f, 128);
        stream_copy_to_stream($f, fopen('php://output', 'wb'), (int) $entete[1]);
      } elseif ($methode !== 'HEAD') {
        fpassthru($f);
      }
      fclose($f);
      exit;
    }
  }

  // Times tell seconds apart: a page made just after the data or a file
  // changed might not differ from the page after a second change in the
  // same second. Besides, OPcache may still run a PHP file's former text
  // for a while. Such a page is not kept.
  if ($marque[4] - max($marque[2], $marque[3]) < 2
    || time() - $etat['recent'] < 2 + (int) ini_get('opcache.revalidate_freq')) {
    return;
  }
  if (!is_dir($generation)) {
    // Refused to the web where the host reads .htaccess, and never listed.
    // Kept pages are sent as they stand: the folder stays the server's own.
    if (!CreeDossier($generation)
      || (!file_exists("$dossier/.htaccess") && !@file_put_contents("$dossier/.htaccess",
        "<IfModule mod_authz_core.c>\nRequire all denied\n</IfModule>\n"
        . "<IfModule !mod_authz_core.c>\nDeny from all\n</IfModule>\n"))) {
      return;
    }
    @touch("$dossier/index.html");
    // Pages of earlier data will not be asked for again: their folders are
    // put aside at once, and deleted by later visits. Only the cache's own
    // folders go: the folder $GV_cache names may hold the owner's too.
    $corbeille = CacheCorbeille($dossier);
    foreach (CacheListe($dossier) as $ancienne) {
      if ($ancienne !== $generation && preg_match('#/[0-9a-f]{16}$#', $ancienne)
        && is_dir($ancienne) && CreeDossier($corbeille)) {
        @rename($ancienne, $corbeille . '/' . basename($ancienne) . '-' . mt_rand());
      }
    }
  }
  $limite = isset($GLOBALS['GV_cache_taille']) ? (float) $GLOBALS['GV_cache_taille'] : 256;
  // Pages being written wait in a folder of their own, out of the count.
  $temp = $generation . '/tmp/' . basename($nom) . '.' . getmypid() . '-' . mt_rand() . '.tmp';
  $f = @fopen($temp, 'xb');
  if ($f === false && CreeDossier(dirname($temp))) {
    $f = @fopen($temp, 'xb');
  }
  if ($f === false) {
    return;
  }
  $GLOBALS['kalvor_parametres'] = $lus['lus'];
  $GLOBALS['kalvor_cache'] = array('f' => $f, 'temp' => $temp, 'nom' => $nom,
    'dossier' => $dossier, 'generation' => $generation, 'limite' => $limite * 1048576,
    'fichiers' => $fichiers,
    'cle' => $etat['cle'], 'longueur' => 0,
    'echec' => fwrite($f, str_repeat(' ', 127) . "\n") !== 128);
  set_error_handler('CacheErreur');
  ob_start('CacheTampon', 65536);
  $GLOBALS['kalvor_cache']['niveau'] = ob_get_level();
  register_shutdown_function('CacheFin');
}

// Whether every thumbnail of a list is there and its picture not put there
// since, nor in its second (MiniatureFaite): a line each, the thumbnail's
// and the picture's paths in the site and the thumbnail's date, apart by
// tabs, read from the pages' folder.
// $vus is when they were last all seen there, or false: a thumbnail's
// folder that has not changed since a second before lost none of them, and
// its thumbnails are not looked at one by one, so that a page linking many
// costs one look a picture. Gives false, or whether a folder had to be.
function CacheMiniaturesLa($liste, $vus = false)
{
  if (!is_string($liste)) {
    return false;
  }
  $intacts = array();
  $chacune = false;
  foreach (explode("\n", $liste) as $ligne) {
    $m = explode("\t", $ligne);
    if ($ligne === '') {
      continue;
    }
    if (count($m) != 3 || (int) DateDepot($m[1]) >= (int) $m[2]) {
      return false;
    }
    $dossier = dirname($m[0]);
    if (!isset($intacts[$dossier])) {
      $date = $vus === false ? false : @filectime($dossier);
      $intacts[$dossier] = $date !== false && $date < $vus - 1;
      $chacune = $chacune || !$intacts[$dossier];
    }
    if (!$intacts[$dossier] && !file_exists($m[0])) {
      return false;
    }
  }
  return $chacune ? 'chacune' : true;
}

// A warning that was not silenced may come from the moment (a lost
// connection, a failed query): the page is sent but not kept.
function CacheErreur($type, $texte)
{
  if (($type & (E_WARNING | E_USER_WARNING | E_USER_ERROR | E_RECOVERABLE_ERROR))
    && (error_reporting() & E_WARNING)) {
    $GLOBALS['kalvor_cache']['echec'] = true;
  }
  return false;
}

function CacheTampon($morceau, $phase)
{
  $c = &$GLOBALS['kalvor_cache'];
  $c['longueur'] += strlen($morceau);
  if (!$c['echec'] && $morceau !== '' && fwrite($c['f'], $morceau) !== strlen($morceau)) {
    $c['echec'] = true;
  }
  return $morceau;
}

function CacheFin()
{
  $c = &$GLOBALS['kalvor_cache'];
  while (ob_get_level() >= $c['niveau'] && ob_end_flush()) {
  }
  $erreur = error_get_last();
  $fatale = E_ERROR | E_PARSE | E_CORE_ERROR | E_COMPILE_ERROR | E_USER_ERROR;
  $garde = !$c['echec'] && connection_status() == CONNECTION_NORMAL
    && (!$erreur || !($erreur['type'] & $fatale)) && http_response_code() == 200;
  // Only the headers a page sent from the cache sends too.
  $type = '';
  foreach (headers_list() as $entete) {
    if (stripos($entete, 'Content-Type:') === 0) {
      $type = $entete;
    } elseif (stripos($entete, 'X-Powered-By:') !== 0) {
      $garde = false;
    }
  }
  $marque = $garde ? CacheMarque() : false;
  if (is_array($marque)) {
    clearstatcache();
    $etat = CacheEtat($marque, $c['fichiers']);
  }
  // The thumbnails the page links go with it, and must still be there.
  $entete = $type;
  $liste = empty($c['miniatures']) ? '' : implode("\n", array_keys($c['miniatures']));
  if ($liste !== '') {
    // Some servers run this from another folder.
    @chdir(CheminAbsolu('.'));
    $entete .= "\t" . $c['longueur'];
    $garde = $garde && CacheMiniaturesLa($liste) && fwrite($c['f'], $liste) === strlen($liste);
  }
  $garde = $garde && strlen($entete) < 127 && is_array($marque) && $etat['cle'] === $c['cle']
    && fseek($c['f'], 0) === 0 && fwrite($c['f'], $entete) === strlen($entete);
  // In the cache's list a page made again under the same name is told from
  // the earlier one by its inode.
  $fichier = fstat($c['f']);
  $inode = is_array($fichier) ? $fichier['ino'] : 0;
  if (!fclose($c['f']) || !$garde || !@rename($c['temp'], $c['nom'])) {
    @unlink($c['temp']);
    $garde = false;
  }
  $listee = $garde ? CacheListee($c['generation'], $c['nom'],
    128 + $c['longueur'] + strlen($liste), $inode) : false;
  if ($garde && $listee === false) {
    @unlink($c['nom']);
  }
  // Making room goes well beyond the page kept; each visit deletes at least
  // one earlier page, as each kept page will be one.
  $budget = CacheBudget();
  if ($listee !== false && $listee[1] > $c['limite']) {
    $budget['assures'] = 10;
    CachePlace($c['generation'], $c['limite'], $listee[0], $budget);
  }
  // One visit at a time empties the earlier data's folders: after a change
  // every visit makes its page, and the host's workers, each held for its
  // batch, would leave the next visitors waiting for one.
  $corbeille = CacheCorbeille($c['dossier']);
  if (is_dir($corbeille)) {
    $verrou = @fopen($c['dossier'] . '/.htkalvor-a-effacer.verrou', 'c');
    if ($verrou !== false && (flock($verrou, LOCK_EX | LOCK_NB, $occupe) || !$occupe)) {
      $budget['assures'] = 1;
      CacheEfface($corbeille, $budget);
      flock($verrou, LOCK_UN);
    }
    if ($verrou !== false) {
      fclose($verrou);
    }
  }
}
