echo "a";
$r = "{{GV_Require|dq}}";
$s = '{{GV_Require|sq}}';
?>
