// A folder made with its missing parents, with the rights the host gives.
function CreeDossier($dossier)
{
  $parent = dirname($dossier);
  return is_dir($dossier) || (($parent === $dossier || CreeDossier($parent)) && @mkdir($dossier))
    || is_dir($dossier);
}

// When a file was last put where it is, by the server's clock: its change
// time. Its modification time is the uploader's to set, and one ahead of the
// server would have its thumbnail made again at every visit.
function DateDepot($chemin)
{
  return @filectime($chemin);
}
