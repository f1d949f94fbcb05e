{{require}}
{{fichiers}}

// Only a JPEG of one of the site's image folders is resized, only into the
// thumbnail folder of the same kind under the name the site core gives it,
// and only to the size the site's pages show that kind at: anything else is
// answered 404 and nothing is written. A JPEG is known by its content, as
// the pages know it, whatever its name ends with.
function Refuse_Miniature()
{
  http_response_code(404);
  exit;
}

function Envoie_Jpeg($chemin)
{
  header('Content-type: image/jpeg');
  header('Content-Length: ' . filesize($chemin));
  readfile($chemin);
  exit;
}

function Parametre_Miniature($nom)
{
  if (!isset($_GET[$nom]) || !is_string($_GET[$nom])) {
    Refuse_Miniature();
  }
  return $_GET[$nom];
}

// The paths travel whole, "@" and apostrophes as any other letter; "\"
// parts sub-folders as "/" does, as the site core writes them.
function Chemin_Miniature($nom)
{
  return str_replace('\\', '/', Parametre_Miniature($nom));
}

// The name below the image folder: plain segments, none empty, "." or "..".
function Nom_Image_Valide($nom)
{
  if ($nom === '' || strpos($nom, "\0") !== false) {
    return false;
  }
  foreach (explode('/', $nom) as $segment) {
    if ($segment === '' || $segment === '.' || $segment === '..') {
      return false;
    }
  }
  return true;
}

// Whether a trouble was already said, marked by a file named $nom: in the
// site's folder, else, where PHP may not write there (the usual reason a
// thumbnail folder cannot be made), in the temporary folder. A mark there
// counts only if PHP made it, so that no other user of the host can make
// it first and silence the log.
function Deja_Signale($nom)
{
  $ici = dirname(__FILE__) . '/' . $nom;
  if (@file_exists($ici)) {
    return true;
  }
  if (@touch($ici)) {
    return false;
  }
  $ailleurs = @sys_get_temp_dir() . '/kalvor-' . md5(dirname(__FILE__) . "\n" . $nom);
  $f = @fopen($ailleurs, 'x');
  if ($f !== false) {
    fclose($f);
    return false;
  }
  return function_exists('posix_geteuid') && @fileowner($ailleurs) === posix_geteuid();
}

$image = Chemin_Miniature('image');
$miniature = Chemin_Miniature('miniature');
$width = Parametre_Miniature('width');
$height = Parametre_Miniature('height');

$prefixe = isset($GV_prefix) ? (string) $GV_prefix : '';
$autorise = false;
// Only the size the pages show a kind at: a cover whose thumbnail is still
// to make would otherwise show at the size a visitor asked until its picture
// is uploaded again. Kinds may share their folders: the size of any of them that names this
// picture and this thumbnail will do.
foreach (TaillesMiniatures() as $type => $dimensions) {
  $dossier = isset($GLOBALS['PATH_' . $type]) ? (string) $GLOBALS['PATH_' . $type] : '';
  $dossier_miniature = isset($GLOBALS['THUMB_' . $type]) ? (string) $GLOBALS['THUMB_' . $type] : '';
  if ($dossier === '' || $dossier_miniature === '' || strpos($image, $dossier . '/') !== 0
      || $width !== (string) $dimensions[0] || $height !== (string) $dimensions[1]) {
    continue;
  }
  $nom = substr($image, strlen($dossier) + 1);
  if (Nom_Image_Valide($nom) && $miniature === $dossier_miniature . '/' . $prefixe . $nom
      && Nom_Image_Valide(substr($miniature, strlen($dossier_miniature) + 1))) {
    $autorise = true;
    break;
  }
}
if (!$autorise || !is_file($image)
    || (file_exists($miniature) && realpath($miniature) === realpath($image))) {
  Refuse_Miniature();
}
list($width, $height) = $dimensions;
// A thumbnail already made (by an earlier visit, or by a page still linking
// here from the cache) is sent as it stands, unless it is not newer than its
// picture: the pages and this file judge it alike.
if (MiniatureFaite($miniature, $image) !== false && is_file($miniature)) {
  Envoie_Jpeg($miniature);
}
// Times go by whole seconds, and the server's files may be dated by a clock
// a little behind the one PHP reads: the second in which the reading began,
// less a margin.
$lecture = (int) floor(microtime(true) - 0.05);
$taille = @getimagesize($image);
if ($taille === false || $taille[2] != 2) {
  Refuse_Miniature();
}
// A JPEG the server cannot read is sent whole rather than shown broken.
$source = function_exists('imagecreatefromjpeg') ? @imagecreatefromjpeg($image) : false;
if ($source === false) {
  Envoie_Jpeg($image);
}
if (function_exists('imagecreatetruecolor')) {
  $vignette = imagecreatetruecolor($width, $height);
} else {
  $vignette = imagecreate($width, $height);
}
imagecopyresampled($vignette, $source, 0, 0, 0, 0, $width, $height, imagesx($source), imagesy($source));
// The folder comes with its first thumbnail, its parents with it; the file is
// written aside and renamed, so that no one is sent half a thumbnail.
$dossier_miniature = dirname($miniature);
if (!CreeDossier($dossier_miniature)) {
  // Said once, not at each thumbnail made again for want of it. The log is
  // read as UTF-8: its accents are written as such.
  if (!Deja_Signale('.htminiatures-' . md5($dossier_miniature) . '.signale')) {
    error_log('Kalvor (' . dirname(__FILE__) . ") : le dossier de miniatures \"$dossier_miniature\" "
      . "ne peut pas \xC3\xAAtre cr\xC3\xA9\xC3\xA9 (droits d'\xC3\xA9criture ?) ; "
      . "ses miniatures sont refaites \xC3\xA0 chaque visite.");
  }
}
$temp = $miniature . '.' . getmypid() . '-' . mt_rand() . '.tmp';
// 75% de qualité devrait être suffisant
if (@imagejpeg($vignette, $temp, 75)) {
  // Kept only when the picture was put there before it was read: one that
  // changed since, or in that second, may have been read half uploaded, and
  // its thumbnail is made again by the next visit.
  clearstatcache();
  $depot = DateDepot($image);
  if ($depot === false || $depot >= $lecture || !@rename($temp, $miniature)) {
    @unlink($temp);
  }
} else {
  @unlink($temp);
}
header('Content-type: image/jpeg');
imagejpeg($vignette, null, 75);
?>
