// A text, or each of a list, as the program reads it back: "%", "@", "#",
// CR and LF escaped, "%" first.
function kalvor_texte($texte)
{
   return str_replace(array('%', '@', '#', "\r", "\n"), array('%25', '%40', '%23', '%0D', '%0A'), is_array($texte) ? $texte : (string) $texte);
}
