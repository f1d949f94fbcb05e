// Sert à savoir si une variable est définie
var undef;

// Value of a cookie of the page, or 0 when it has none of that name.
function checkCookie(cookieName) {
  var cookies = document.cookie.split(';');
  for (var i = 0; i < cookies.length; i++) {
    var pair = cookies[i].split('=');
    var name = pair[0];
    if (name.charAt(0) == ' ') {
      name = name.substring(1);
    }
    if (name == cookieName) {
      return pair.length > 1 ? pair[1] : '';
    }
  }
  return 0;
}

// True when value is one of the space-separated words of object.
function hasValue(object, value) {
  if (!object) {
    return false;
  }
  return new RegExp('(^|\\s)' + value + '(\\s|$)').test(object);
}

// Remembers where the list was scrolled before the whole window is replaced.
function savePosition(e) {
  var liste = document.getElementById('liste');
  if (liste) {
    document.cookie = 'kvr_offset=' + Math.round(liste.scrollTop);
  }
}

function fixLinks() {
  var links = document.getElementsByTagName('A');
  for (var i = 0; i < links.length; i++) {
    if (hasValue(links[i].target, '_top')) {
      if (links[i].addEventListener) {
        links[i].addEventListener('click', savePosition, true);
      } else if (links[i].attachEvent) {
        links[i].attachEvent('onclick', savePosition);
      }
    }
  }
}

// Scrolls the list back to where it was, then forgets it: a later plain
// load of the list starts at the top.
function startup() {
  var liste = document.getElementById('liste');
  var offset = parseInt(checkCookie('kvr_offset'), 10);
  if (liste) {
    liste.scrollTop = isNaN(offset) ? 0 : offset;
  }
  document.cookie = 'kvr_offset=';
  fixLinks();
}

function preStartup() {
  setTimeout(startup, 1);
}

window.onload = preStartup;
