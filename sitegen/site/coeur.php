{{require}}
{{compat}}
{{fichiers}}
// The mark the include files look for.
define('KALVOR_SITE', 1);

// A request value becomes a global of the same name; a global already set
// (by require.php or an earlier call) stays when the request has none.
function GetVariable($nom, $default)
{
  // A page that reads a parameter the cache does not key on is not kept.
  if (isset($GLOBALS['kalvor_cache']) && !in_array($nom, $GLOBALS['kalvor_parametres'], true)) {
    $GLOBALS['kalvor_cache']['echec'] = true;
  }
  if (isset($_GET[$nom])) {
    $valeur = $_GET[$nom];
    if (is_array($valeur)) {
      $valeur = '';
    }
    if (get_magic_quotes_gpc()) {
      $valeur = stripslashes($valeur);
    }
    $GLOBALS[$nom] = $valeur;
  }
  if (!isset($GLOBALS[$nom])) {
    $GLOBALS[$nom] = $default;
  }
}

if (!extension_loaded('ctype')) {
  function ctype_alpha($c)
  {
    return preg_match('/^[\w]+$/', $c) && !preg_match('/[\d_]/', $c);
  }
}

// Whether a path names its file whatever the working folder: "/...",
// "\..." or a drive's "C:...".
function CheminEstAbsolu($chemin)
{
  $debut = substr($chemin, 0, 2);
  return $debut !== '' && ($debut[0] === '/' || $debut[0] === '\\' || (strlen($debut) == 2
    && $debut[1] === ':' && stripos('abcdefghijklmnopqrstuvwxyz', $debut[0]) !== false));
}

// A path of the site as the file system is asked for it: absolute, so that
// each look-up is one, whatever the working folder.
function CheminAbsolu($chemin)
{
  static $ici = null;
  if (CheminEstAbsolu($chemin)) {
    return $chemin;
  }
  if ($ici === null) {
    $ici = getcwd();
  }
  return $ici === false ? $chemin : $ici . '/' . $chemin;
}

// Whether a file is there, asked once per request.
function FichierPresent($chemin)
{
  static $vus = array();
  if (!isset($vus[$chemin])) {
    $vus[$chemin] = file_exists(CheminAbsolu($chemin));
  }
  return $vus[$chemin];
}

// The size and type of an image, read once per request; false when it
// cannot be read.
function TailleImage($chemin)
{
  static $vues = array();
  if (!isset($vues[$chemin])) {
    $vues[$chemin] = @getimagesize(CheminAbsolu($chemin));
  }
  return $vues[$chemin];
}

// An image's name as the host spells it: as stored (Windows-1252), else in
// UTF-8, as hosts keep names uploaded from Linux or by most FTP clients; the
// stored name when neither is there.
function NomImage($dossier, $nom)
{
  if (!preg_match('/[\x80-\xFF]|&#[0-9]+;/', $nom) || FichierPresent("$dossier/$nom")) {
    return $nom;
  }
  $utf8 = NomUtf8($nom);
  return FichierPresent("$dossier/$utf8") ? $utf8 : $nom;
}

// A stored name in UTF-8. The conversion is done here, since hosts may lack
// mbstring and utf8_encode knows only Latin-1: the list holds the code
// points of Windows-1252's bytes 80 to 9F.
function NomUtf8($nom)
{
  $c1 = explode(' ', '20AC 81 201A 192 201E 2026 2020 2021 2C6 2030 160 2039 152 8D 17D 8F '
    . '90 2018 2019 201C 201D 2022 2013 2014 2DC 2122 161 203A 153 9D 17E 178');
  $utf8 = '';
  for ($i = 0; $i < strlen($nom); $i++) {
    $c = ord($nom[$i]);
    if ($c < 0x80) {
      $utf8 .= $nom[$i];
      continue;
    }
    $utf8 .= kalvor_utf8($c < 0xA0 ? hexdec($c1[$c - 0x80]) : $c);
  }
  // A letter beyond Windows-1252 stands in the data as its reference.
  return preg_replace_callback('/&#([0-9]+);/', 'kalvor_reference_utf8', $utf8);
}

// The UTF-8 bytes of the letter of a reference "&#269;".
function kalvor_reference_utf8($m)
{
  $c = (int) $m[1];
  return ($c < 0x80 || $c > 0x10FFFF) ? $m[0] : kalvor_utf8($c);
}

// The UTF-8 bytes of a code point of 0x80 or above.
function kalvor_utf8($c)
{
  if ($c < 0x800) {
    return chr(0xC0 | ($c >> 6)) . chr(0x80 | ($c & 0x3F));
  }
  if ($c < 0x10000) {
    return chr(0xE0 | ($c >> 12)) . chr(0x80 | (($c >> 6) & 0x3F)) . chr(0x80 | ($c & 0x3F));
  }
  return chr(0xF0 | ($c >> 18)) . chr(0x80 | (($c >> 12) & 0x3F)) . chr(0x80 | (($c >> 6) & 0x3F))
    . chr(0x80 | ($c & 0x3F));
}

// A setting of the window as it stands in a page: its owner typed it, but
// it must neither end an attribute, in either quotes, nor open a tag.
// Entities typed stay.
function TexteReglage($valeur)
{
  return htmlspecialchars((string) $valeur, ENT_QUOTES, 'ISO-8859-1', false);
}

// The text's first 255 characters, selected as `cle`: a key that keeps a
// temporary table off the disk, where the rows it sorts have ids to part
// the texts alike in those characters.
function CleCourte($texte)
{
  return "left($texte, 255) cle";
}

// The key of a grouping or a sort on a text, selected as `cle` and `suite`.
// A temporary table holding a text column goes to disk, many times slower
// under load: the key is the text's first 255 characters, and for a longer
// text a digest of its collation weights, so that texts alike in their
// first 255 characters stay apart and those the collation holds equal
// stay together.
function CleTexte($texte)
{
  return CleCourte($texte) . ", if(char_length($texte) > 255, md5(weight_string($texte)), '') suite";
}

// The albums of each author id, an album counted once for an author who
// holds several of its roles (artist, writer, colourist): one pass over the
// albums, each of their roles a row, a role left out where an earlier role
// of the album has its author.
function AlbumsParAuteur($t_albums, $t_filtre, $exclus)
{
  return "SELECT CASE r.k WHEN 1 THEN a.iddessinateur WHEN 2 THEN a.idscenariste ELSE a.idcoloriste END idauteur, count(*) n "
    . "FROM $t_albums a STRAIGHT_JOIN (SELECT 1 k UNION ALL SELECT 2 UNION ALL SELECT 3) r WHERE (r.k = 1 "
    . "OR (r.k = 2 AND NOT (a.idscenariste <=> a.iddessinateur)) "
    . "OR (r.k = 3 AND NOT (a.idcoloriste <=> a.iddessinateur OR a.idcoloriste <=> a.idscenariste))) $t_filtre "
    . "GROUP BY idauteur HAVING idauteur NOT IN ($exclus)";
}

// The items counted by series through the series index, for a join with
// the series themselves.
function ParSerie($t_albums, $t_filtre)
{
  return "(SELECT a.idserie, count(*) n FROM $t_albums a WHERE 1 = 1 $t_filtre GROUP BY a.idserie) b";
}

// The series with their item counts, a row `g` each (id, n, and the key of
// the title, as CleTexte). Each series is a group of its own: the grouping
// makes the table of counts apart, so that a sort holds its key, not the
// title.
function SeriesComptees($t_series, $t_albums, $t_filtre)
{
  return "(SELECT s.idserie id, b.n, " . CleTexte('s.titre') . " FROM $t_series s inner join " . ParSerie($t_albums, $t_filtre)
    . " on s.idserie = b.idserie GROUP BY s.idserie, b.n, cle, suite) g";
}

// A list that sorts on a text of a joined table sorts the rows' keys in a
// derived table first, and reads the texts once sorted: by a subquery per
// row, or by a join (STRAIGHT_JOIN) where the rows are many. Either way no
// temporary table holds a text.

// The whole text of a row `g` of a query grouped on CleTexte: its key, or,
// when the text is longer, `$colonne` read again from `$table` by the id
// `g.id` of one of the group's rows, once the rows are sorted.
function TexteEntier($colonne, $table, $cle_id)
{
  return "if(g.suite = '', g.cle, (select $colonne from $table x where x.$cle_id = g.id))";
}

// The address of an image, its name percent-encoded so that blanks, "#",
// "?", "%" and accents reach the file; "\" parts a path as browsers take it.
// A name that is not on disk as stored is asked for in UTF-8: as the host
// spells it, or as a browser asks for a name it is given raw.
function AdresseImage($dossier, $nom)
{
  $hote = preg_match('/[\x80-\xFF]|&#[0-9]+;/', $nom) && !FichierPresent("$dossier/$nom")
    ? NomUtf8($nom) : $nom;
  return $dossier . '/' . str_replace(array('%2F', '%5C'), '/', rawurlencode($hote));
}

// The same in an attribute of a page: the folder is the owner's setting.
function LienImage($dossier, $nom)
{
  return htmlspecialchars(AdresseImage($dossier, $nom), ENT_QUOTES, 'ISO-8859-1');
}

// The thumbnail folder is made by _retaille.php with its first thumbnail,
// not here: a page that made it would change the state it is cached under.
function Miniature($fimage, $fpath, $fpath_thumb, $fprefix, $sorte)
{
  list($fw, $fh) = TaillesMiniatures()[$sorte];
  // A name in sub-folders as Windows writes it ("sous\dossier\image.jpg")
  // is the same picture, and the same thumbnail, as with "/".
  $fimage = str_replace('\\', '/', $fimage);
  $image = NomImage($fpath, $fimage);
  $fait = "$fpath_thumb/" . NomImage($fpath_thumb, $fprefix . $fimage);
  // A thumbnail not newer than its picture is made again: a picture uploaded
  // over another shows as itself without anyone deleting its thumbnail.
  $date = MiniatureFaite(CheminAbsolu($fait), CheminAbsolu("$fpath/$image"));
  if ($date !== false) {
    // A kept page is sent again only while the thumbnails it links are good.
    if (isset($GLOBALS['kalvor_cache'])) {
      $GLOBALS['kalvor_cache']['miniatures']["$fait\t$fpath/$image\t$date"] = true;
    }
    return LienImage($fpath_thumb, $fprefix . $fimage);
  }
  // A thumbnail still to make takes the spelling of its image.
  $miniature = "$fpath_thumb/$fprefix$image";
  $taille = TailleImage("$fpath/$image");
  if (is_array($taille) && $taille[2] == 2) {
    // Once the thumbnail is made the page links it instead: this one is not kept.
    if (isset($GLOBALS['kalvor_cache'])) {
      $GLOBALS['kalvor_cache']['echec'] = true;
    }
    return '_retaille.php?image=' . urlencode($fpath) . '/' . urlencode($image)
      . '&amp;miniature=' . urlencode($miniature) . '&amp;width=' . $fw . '&amp;height=' . $fh;
  }
  return LienImage($fpath, $fimage);
}

function AfficheImage($fpath, $fimage, $fw)
{
  $nom = urlencode(str_replace("'", '&#39;', AdresseImage($fpath, $fimage)));
  $taille = TailleImage("$fpath/" . NomImage($fpath, $fimage));
  if (is_array($taille) && $taille[2] == 2) {
    $largeur = $taille[0] + $fw;
    $hauteur = $taille[1] + 30;
  } else {
    $largeur = 450;
    $hauteur = 601;
  }
  $defile = 'no';
  if ($hauteur > 600) {
    $hauteur = 600;
    $defile = 'yes';
  }
  echo '<a href="_image.php?image=' . $nom . '" target="_blank" Onclick="'
    . " javascript:window.open(this.href,'','menubar=no, toolbar=no, location=no,directories=no,status=no,scrollbars="
    . $defile . ', resizable=yes, copyhistory=no,width=' . $largeur . ',height=' . $hauteur
    . ", left=10, top=10');return false;\">";
}

// A page answers GET, HEAD and POST; any other method is refused before it
// costs a query.
$methodes = array('GET', 'HEAD', 'POST');
if (isset($_SERVER['REQUEST_METHOD']) && !in_array($_SERVER['REQUEST_METHOD'], $methodes, true)) {
  header('Allow: ' . implode(', ', $methodes), true, 405);
  exit;
}
unset($methodes);

$dblink = mysql_connect($host, $login, $password);
mysql_select_db($base);

{{cache}}

CacheDebut();

// Collection and list kind come from the address: anything unknown falls back
// to the default, so that no request text reaches a page unchecked.
$coll_defaut = ($GLOBALS['GV_collection'] == 'both' || $GLOBALS['GV_collection'] == 'albums')
  ? 'albums' : 'acheter';
GetVariable('coll', $coll_defaut);
if ($coll == $coll_defaut) {
  GetVariable('current_coll', $coll_defaut);
  $coll = $current_coll;
}
if (!in_array($coll, array('albums', 'acheter', 'dedicace', 'parabd', 'revue'), true)) {
  $coll = $coll_defaut;
}
unset($coll_defaut);

$liste_defaut = ($coll == 'revue') ? 'revue' : 'series';
GetVariable('liste', $liste_defaut);
if (!in_array($liste, array('notes', 'series', 'auteurs', 'styles', 'collections', 'types', 'dl', 'dt-achat', 'revue'), true)) {
  $liste = $liste_defaut;
}
unset($liste_defaut);

switch ($coll) {
  case 'albums':
  case 'dedicace':
    $tables = array('series' => $prefixe_table . 'series', 'auteurs' => $prefixe_table . 'auteurs',
      'collaborateurs' => $prefixe_table . 'collaborateurs', 'albums' => $prefixe_table . 'albums');
    if ($coll == 'dedicace') {
      $tables['filtre'] = 'and a.horsserie=1';
    }
    break;
  case 'acheter':
    $tables = array('series' => $prefixe_table . 'series2', 'auteurs' => $prefixe_table . 'auteurs2',
      'collaborateurs' => $prefixe_table . 'collaborateurs', 'albums' => $prefixe_table . 'acheter');
    break;
  case 'parabd':
    $tables = array('series' => $prefixe_table . 'series3', 'auteurs' => $prefixe_table . 'auteurs3',
      'albums' => $prefixe_table . 'parabd', 'tomes' => $prefixe_table . 'albums');
    break;
  case 'revue':
    $tables = array('series' => $prefixe_table . 'series4', 'auteurs' => $prefixe_table . 'auteurs3',
      'albums' => $prefixe_table . 'revues');
    break;
}
$tables['models'] = $prefixe_table . 'model_item';

function Entete($titre, $id)
{
  global $coll;
  echo '<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">' . "\n";
  echo "<html>\n";
  echo "<head>\n";
  echo '<meta http-equiv="content-type" content="text/html; charset=ISO-8859-1">' . "\n";
  echo "<title>Orme Lo' &amp; Kalvor - " . $titre . "</title>\n";
  echo '<link rel="stylesheet" type="text/css" href="kalvor.php">' . "\n";
  echo '<link rel="stylesheet" type="text/css" href="print.css" media="print">' . "\n";
  echo '<style type="text/css">' . "\n";
  if ($GLOBALS['GV_icone'] == 1) {
    echo ".bouton span { display: none; }\n";
  } else {
    echo ".bouton img { display: none; }\n";
  }
  if ($GLOBALS['GV_baspage'] && isset($GLOBALS['GV_taille_baspage']) && $GLOBALS['GV_taille_baspage'] > 0) {
    $bas = $GLOBALS['GV_taille_baspage'] + 8;
    echo '.principal { bottom: ' . $bas . 'px; height: expression((document.body.clientHeight - '
      . $bas . ' - 21) + "px"); }' . "\n";
    echo '#baspage { height: ' . $GLOBALS['GV_taille_baspage'] . "px; }\n";
  }
  echo "</style>\n";
  echo "</head>\n";
  echo "<body>\n";
  include 'menu.php';
  Liste();
  echo '  <div id="' . $id . '" class="principal">' . "\n";
}

function Pied()
{
  echo "  </div>\n";
  if ($GLOBALS['GV_baspage']) {
    echo '  <div id="baspage">' . "\n";
    require '_bas.php';
    echo "  </div>\n";
  }
  echo "</body>\n";
  echo "</html>\n";
}

function LinkRef($page, $vals)
{
  global $coll, $liste;
  static $cles = array('serie' => array('idserie'), 'revue' => array('idserie'),
    'auteur' => array('idauteur', 'tri', 'sens'), 'style' => array('style', 'tri', 'sens'),
    'collection' => array('edit', 'collec', 'tri', 'sens'),
    'type' => array('typeobjet', 'tri', 'sens'), 'dl' => array('date', 'tri', 'sens'),
    'dt-achat' => array('date', 'tri', 'sens'), 'notes' => array('notes', 'tri', 'sens'));
  $lien = $page . '.php?coll=' . $coll;
  foreach (isset($cles[$page]) ? $cles[$page] : array() as $i => $cle) {
    if (isset($vals[$i])) {
      $lien .= '&amp;' . $cle . '=' . urlencode($vals[$i]);
    } elseif ($cle != 'tri' && $cle != 'sens') {
      $lien .= '&amp;' . $cle . '=';
    }
  }
  return $lien . '&amp;liste=' . $liste;
}

function Liste()
{
  global $coll, $liste;
  $date = '';
  if ($liste == 'dl' || $liste == 'dt-achat') {
    GetVariable('date', '');
    $date = '&amp;date=' . htmlspecialchars($GLOBALS['date'], ENT_QUOTES, 'ISO-8859-1');
  }
  $adresse = 'liste.php?coll=' . $coll . '&amp;liste=' . $liste . $date;
  echo '<div id="iliste">' . "\n";
  echo '<iframe name="liste" frameborder="0" src="' . $adresse . '">' . "\n";
  echo '<a href="' . $adresse . '">Liste par ' . $liste . "</a>\n";
  echo "</iframe>\n";
  echo "</div>\n";
}
?>
