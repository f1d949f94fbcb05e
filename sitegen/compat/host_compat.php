// Hosts without the old MySQL functions: the pages call them through mysqli,
// failed queries as empty lists, on a latin1 connection like the old client's.
if (!function_exists('mysql_connect')) {
  mysqli_report(MYSQLI_REPORT_OFF);
  $GLOBALS['kalvor_mysql_link'] = false;

  // The old functions warned at E_WARNING, which the level require.php sets
  // lets through; a user warning passes wherever such a warning would.
  function kalvor_mysql_warning($texte)
  {
    $niveau = error_reporting();
    error_reporting(($niveau & E_WARNING) ? $niveau | E_USER_WARNING : $niveau);
    trigger_error($texte, E_USER_WARNING);
    error_reporting($niveau);
  }

  function kalvor_mysql_link($link)
  {
    return ($link === null) ? $GLOBALS['kalvor_mysql_link'] : $link;
  }

  function mysql_connect($server = null, $username = null, $password = null)
  {
    $host = ($server === null) ? ini_get('mysqli.default_host') : $server;
    $port = null;
    $socket = null;
    if (strpos($host, ':') !== false) {
      list($host, $suite) = explode(':', $host, 2);
      if (ctype_digit($suite)) {
        $port = (int) $suite;
      } else {
        $socket = $suite;
      }
    }
    $link = mysqli_init();
    if (!@mysqli_real_connect($link, $host, $username, $password, null, $port, $socket)) {
      kalvor_mysql_warning('mysql_connect(): ' . mysqli_connect_error());
      return false;
    }
    mysqli_set_charset($link, 'latin1');
    $GLOBALS['kalvor_mysql_link'] = $link;
    return $link;
  }

  function mysql_select_db($database, $link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_select_db($link, $database) : false;
  }

  function mysql_query($query, $link = null)
  {
    $link = kalvor_mysql_link($link);
    $result = $link ? mysqli_query($link, $query) : false;
    if ($link && $result === false) {
      kalvor_mysql_warning('mysql_query(): ' . mysqli_error($link));
    }
    return $result;
  }

  function mysql_db_query($database, $query, $link = null)
  {
    return mysql_select_db($database, $link) ? mysql_query($query, $link) : false;
  }

  function mysql_fetch_row($result)
  {
    return ($result instanceof mysqli_result) ? mysqli_fetch_row($result) : false;
  }

  function mysql_fetch_assoc($result)
  {
    return ($result instanceof mysqli_result) ? mysqli_fetch_assoc($result) : false;
  }

  function mysql_num_rows($result)
  {
    return ($result instanceof mysqli_result) ? mysqli_num_rows($result) : 0;
  }

  function mysql_data_seek($result, $row)
  {
    return ($result instanceof mysqli_result) ? mysqli_data_seek($result, $row) : false;
  }

  function mysql_free_result($result)
  {
    if ($result instanceof mysqli_result) {
      mysqli_free_result($result);
    }
    return true;
  }

  function mysql_real_escape_string($text, $link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_real_escape_string($link, $text) : addslashes($text);
  }
}
if (!function_exists('get_magic_quotes_gpc')) {
  function get_magic_quotes_gpc()
  {
    return false;
  }
}
