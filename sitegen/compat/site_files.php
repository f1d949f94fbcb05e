// A folder made with its missing parents, with the rights the host gives.
function CreeDossier($dossier)
{
  $parent = dirname($dossier);
  return is_dir($dossier) || (($parent === $dossier || CreeDossier($parent)) && @mkdir($dossier))
    || is_dir($dossier);
}

// The size each kind's thumbnails are shown at: the pages link the
// thumbnail maker with it, and the thumbnail maker makes no other, so that a
// visitor chooses none.
function TaillesMiniatures()
{
  return array(
    'couvertures' => array(107, 145),
    'planches' => array(200, 280),
    'versos' => array(107, 145),
    'photos' => array(120, 150),
    'dedicaces' => array(107, 145),
    'parabd' => array(107, 145),
    'revues' => array(107, 145));
}

// When a file was last put where it is, by the server's clock: its change
// time. Its modification time is the uploader's to set, and one ahead of the
// server would have its thumbnail made again at every visit.
function DateDepot($chemin)
{
  return @filectime($chemin);
}

// The date of a thumbnail that stands for its picture, else false: one put
// there in a later second than the picture. Times go by whole seconds, and
// one of the same second may have been made while an upload writing the
// picture in place ended in it, from half the picture. The thumbnail maker
// keeps only what it made from a picture put there before it began to read
// it, so that such a thumbnail is made once more, then kept.
function MiniatureFaite($miniature, $image)
{
  $fait = DateDepot($miniature);
  return ($fait !== false && $fait > (int) DateDepot($image)) ? $fait : false;
}
