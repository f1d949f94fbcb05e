// Hosts without the old MySQL functions: the pages call them through mysqli,
// with errors as warnings and failed queries as empty lists, on a latin1
// connection like the old client's.
if (!function_exists('mysql_connect')) {
  if (!defined('MYSQL_ASSOC')) {
    define('MYSQL_ASSOC', MYSQLI_ASSOC);
    define('MYSQL_NUM', MYSQLI_NUM);
    define('MYSQL_BOTH', MYSQLI_BOTH);
  }
  mysqli_report(MYSQLI_REPORT_OFF);
  $GLOBALS['kalvor_mysql_link'] = false;

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
      trigger_error('mysql_connect(): ' . mysqli_connect_error(), E_USER_WARNING);
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
    if (!$link) {
      return false;
    }
    $result = mysqli_query($link, $query);
    if ($result === false) {
      trigger_error('mysql_query(): ' . mysqli_error($link), E_USER_WARNING);
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

  function mysql_fetch_array($result, $type = MYSQL_BOTH)
  {
    return ($result instanceof mysqli_result) ? mysqli_fetch_array($result, $type) : false;
  }

  function mysql_fetch_assoc($result)
  {
    return ($result instanceof mysqli_result) ? mysqli_fetch_assoc($result) : false;
  }

  function mysql_num_rows($result)
  {
    return ($result instanceof mysqli_result) ? mysqli_num_rows($result) : 0;
  }

  function mysql_result($result, $row, $field = 0)
  {
    if (!($result instanceof mysqli_result) || !mysqli_data_seek($result, $row)) {
      return false;
    }
    $ligne = mysqli_fetch_array($result, MYSQLI_BOTH);
    return isset($ligne[$field]) ? $ligne[$field] : false;
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

  function mysql_insert_id($link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_insert_id($link) : 0;
  }

  function mysql_affected_rows($link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_affected_rows($link) : -1;
  }

  function mysql_real_escape_string($text, $link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_real_escape_string($link, $text) : addslashes($text);
  }

  function mysql_escape_string($text)
  {
    return mysql_real_escape_string($text);
  }

  function mysql_error($link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_error($link) : mysqli_connect_error();
  }

  function mysql_errno($link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_errno($link) : mysqli_connect_errno();
  }

  function mysql_close($link = null)
  {
    $link = kalvor_mysql_link($link);
    return $link ? mysqli_close($link) : false;
  }
}
if (!function_exists('get_magic_quotes_gpc')) {
  function get_magic_quotes_gpc()
  {
    return false;
  }
}
ini_set('default_charset', 'ISO-8859-1');
