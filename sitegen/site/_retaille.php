{{require}}

// Only a JPEG of one of the site's image folders is resized, and only into the
// thumbnail folder of the same kind under the name the site core gives it:
// anything else is answered 404 and nothing is written.
function Refuse_Miniature()
{
  http_response_code(404);
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
  if ($nom === '' || strpbrk($nom, "\\\0") !== false || !preg_match('/\.jpe?g$/i', $nom)) {
    return false;
  }
  foreach (explode('/', $nom) as $segment) {
    if ($segment === '' || $segment === '.' || $segment === '..') {
      return false;
    }
  }
  return true;
}

// The folder is made with its missing parents, which the site's owner may
// empty where PHP runs as another user: mkdir's mode passes through the umask.
function Dossier_Miniatures($dossier)
{
  if (is_dir($dossier)) {
    return true;
  }
  $parent = dirname($dossier);
  if ($parent === $dossier || !Dossier_Miniatures($parent) || !@mkdir($dossier)) {
    return is_dir($dossier);
  }
  @chmod($dossier, 0777);
  return true;
}

$image = str_replace('@', "'", Parametre_Miniature('image'));
$miniature = str_replace('@', "'", Parametre_Miniature('miniature'));
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
// here from the cache) is sent as it stands.
if (is_file($miniature)) {
  header('Content-type: image/jpeg');
  header('Content-Length: ' . filesize($miniature));
  readfile($miniature);
  exit;
}
$taille = @getimagesize($image);
if ($taille === false || $taille[2] != 2 || !function_exists('imagecreatefromjpeg')) {
  Refuse_Miniature();
}
$source = @imagecreatefromjpeg($image);
if ($source === false) {
  Refuse_Miniature();
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
if (!Dossier_Miniatures($dossier_miniature)) {
  // Said once, not at each thumbnail made again for want of it.
  $signale = @sys_get_temp_dir() . '/kalvor-' . md5(__FILE__ . "\n" . $dossier_miniature);
  if (!@file_exists($signale)) {
    error_log('Kalvor (' . dirname(__FILE__) . ") : le dossier de miniatures \"$dossier_miniature\" "
      . "ne peut pas être créé (droits d'écriture ?) ; ses miniatures sont refaites à chaque visite.");
    @touch($signale);
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
