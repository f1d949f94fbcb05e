// Annule l'effet du magic_quotes
$image = isset($_GET['image']) && is_string($_GET['image']) ? $_GET['image'] : '';
if (function_exists('get_magic_quotes_gpc') && get_magic_quotes_gpc()) {
  $image = stripslashes($image);
}
// The apostrophe travels as the entity &#39;: it is put back before the whole
// name is escaped, so the browser still reads the same file name.
$image = htmlspecialchars(str_replace('&#39;', "'", $image), ENT_QUOTES, 'ISO-8859-1');
// The page does not load require.php: its Latin-1 names need the header here.
header('Content-type: text/html; charset=ISO-8859-1');
echo "<html><head><title>Gros Plan</title></head>\n";
echo '<body><a href="#" onclick="javascript:window.close()"><img src="' . $image . '" border="0"></a></body></html>' . "\n";
?>
