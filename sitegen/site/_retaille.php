{{require}}
{{fichiers}}

// Only a JPEG of one of the site's image folders is resized, and only into the
// thumbnail folder of the same kind under the name the site core gives it:
// anything else is answered 404 and nothing is written. A JPEG is known by
// its content, as the pages know it, whatever its name ends with.
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

function Taille_Miniature($nom)
{
  $valeur = Parametre_Miniature($nom);
  if (!is_numeric($valeur)) {
    Refuse_Miniature();
  }
  return max(1, min(1000, (int) $valeur));
}

// The name below the image folder: plain segments, none empty, "." or "..".
function Nom_Image_Valide($nom)
{
  if ($nom === '' || strpbrk($nom, "\\\0") !== false) {
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

// The names travel whole, "@" and apostrophes as any other letter.
$image = Parametre_Miniature('image');
$miniature = Parametre_Miniature('miniature');
$width = Taille_Miniature('width');
$height = Taille_Miniature('height');

$prefixe = isset($GV_prefix) ? (string) $GV_prefix : '';
$autorise = false;
foreach (array('couvertures', 'planches', 'versos', 'photos', 'dedicaces', 'parabd', 'revues') as $type) {
  $dossier = isset($GLOBALS['PATH_' . $type]) ? (string) $GLOBALS['PATH_' . $type] : '';
  $dossier_miniature = isset($GLOBALS['THUMB_' . $type]) ? (string) $GLOBALS['THUMB_' . $type] : '';
  if ($dossier === '' || $dossier_miniature === '' || strpos($image, $dossier . '/') !== 0) {
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
// A thumbnail already made (by an earlier visit, or by a page still linking
// here from the cache) is sent as it stands, unless its picture is newer.
$fait = DateDepot($miniature);
if ($fait !== false && $fait >= DateDepot($image) && is_file($miniature)) {
  Envoie_Jpeg($miniature);
}
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
  if (!Deja_Signale('.miniatures-' . md5($dossier_miniature) . '.signale')) {
    error_log('Kalvor (' . dirname(__FILE__) . ") : le dossier de miniatures \"$dossier_miniature\" "
      . "ne peut pas \xC3\xAAtre cr\xC3\xA9\xC3\xA9 (droits d'\xC3\xA9criture ?) ; "
      . "ses miniatures sont refaites \xC3\xA0 chaque visite.");
  }
}
$temp = $miniature . '.' . getmypid() . '-' . mt_rand() . '.tmp';
// 75% de qualité devrait être suffisant
if (@imagejpeg($vignette, $temp, 75)) {
  if (!@rename($temp, $miniature)) {
    @unlink($temp);
  }
} else {
  @unlink($temp);
}
header('Content-type: image/jpeg');
imagejpeg($vignette, null, 75);
?>
