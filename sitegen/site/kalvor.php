/* Styles de bases */
body {
  background: rgb(109, 152, 195);
  margin: 0;
  padding: 0;
  height: 100%;
  color: black;
  font-family: Verdana, Arial, Helvetica, sans-serif;
  font-size: 11px;
  /* Support des :hover dans IE */
  behavior: url(csshover.htc);
}

img {
  border: 0;
}

.Illus img {
  border: 2px solid #294A6B;
}

span.Illus {
  float: left;
  margin-right: 7px;
}

a:link, a:visited {
  color: #294A6B;
}

a:hover {
  color: #6D98C3;
}

table {
  font-size: 11px;
}

.principal {
  position: absolute;
  overflow: auto;
  -moz-user-focus: normal;
  left: 256px;
  right: 8px;
  top: 21px;
  bottom: 8px;
  height: expression(document.body.clientHeight - 29 + "px");
  width: expression(document.body.clientWidth - 264 + "px");
  padding: 12px;
  border: 1px solid black;
  text-align: justify;
}

:target {
  background: rgb(255, 255, 192);
}

/*****************************************************/
/* Styles pour les pages accueils                    */
/*****************************************************/
#accueil {
  background: #EBF1F7;
  text-align: justify;
}

#accueil .col1 {
  float: left;
  width: 49%;
}

#accueil .col2 {
  float: right;
  width: 49%;
}

#accueil .Thumb img {
  border: 1px solid #294A6B;
  margin-top: 1px;
  margin-right: 1px;
}

#accueil .banner {
  text-align: center;
}

#accueil h1 {
  text-align: center;
  color: #294A6B;
  font-size: 1.7em;
  font-weight: bold;
}

#accueil .stats {
  text-align: center;
  color: #294A6B;
  font-size: 1.225em;
  font-style: italic;
}

#accueil h2 {
  text-align: left;
  color: #294A6B;
  font-size: 1.225em;
  font-weight: bold;
}

#accueil ul {
  margin: 0;
  padding: 0;
}

#accueil p {
}

#accueil #methodes {
  list-style: square inside;
}

#accueil #legende {
  padding-left: 16px;
}

#accueil #legende dt {
  height: 1.2em;
}

#accueil #legende dd {
  margin-left: 20px;
  margin-top: -1.2em;
}

#accueil .bouton img {
  vertical-align: baseline;
}

#accueil .important {
  clear: left;
  color: #900;
}

#accueil .date {
  color: #BBB;
}

#accueil #derseries {
  list-style: none;
  padding-left: 16px;
}

/*****************************************************/
/* Styles pour les listes dans le frame de gauche    */
/*****************************************************/
#iliste {
  position: absolute;
  left: 8px;
  top: 0;
  bottom: 8px;
  width: 240px;
  height: expression(document.body.clientHeight - 8 + "px");
}

#iliste iframe {
  width: 100%;
  height: 100%;
  border: none;
}

#liste {
  position: absolute;
  left: 0;
  top: 21px;
  bottom: 0;
  width: 238px;
  height: expression(document.body.clientHeight - 21 + "px");
  background: white;
  color: black;
  list-style: none;
  margin: 0;
  padding: 0;
  border: 1px solid black;
  overflow: auto;
}

#liste ul {
  list-style: none;
  margin: 0;
  padding: 0;
}

#liste a {
  display: block;
  width: 240px;
  text-indent: 4px;
  text-decoration: none;
  white-space: nowrap;
  color: black;
}

#liste ul a {
  text-indent: 12px;
}

#liste a:hover {
  background: #CEDEEF;
}

#liste li > a:first-letter {
  color: #900;
}

#liste .special {
  color: #090;
}

#liste .nb_albums {
  color: #7f7f7f;
  font-size: smaller;
}

.date #liste a {
  background: url(<?php echo $GLOBALS['PATH_images']; ?>/annee_inactif.gif) 0 0 no-repeat;
  text-indent: 18px;
  line-height: 16px;
}

.date #liste ul {
  display: none;
}

.date #liste .actif ul {
  display: block;
}

.date #liste ul a, .date #liste .actif ul a {
  background: url(<?php echo $GLOBALS['PATH_images']; ?>/mois_inactif.gif) 16px 0 no-repeat;
  text-indent: 34px;
}

.date #liste .actif a {
  background-image: url(<?php echo $GLOBALS['PATH_images']; ?>/annee_actif.gif);
}

.date #liste ul .actif a {
  background-image: url(<?php echo $GLOBALS['PATH_images']; ?>/mois_actif.gif);
}

.date #liste li > a:first-letter {
  color: inherit;
}

/*****************************************************/
/* Styles pour les pages titre de liste              */
/*****************************************************/
#titre-lst {
  line-height: 21px;
  color: white;
  background: rgb(109, 152, 195);
  word-spacing: -4px;
  width: 240px;
}

#titre-lst a:link, #titre-lst a:visited {
  color: white;
  text-decoration: none;
  padding-right: 1px;
}

#titre-lst a:hover {
  color: #294A6B;
  background: #CEDEEF;
}

.date #titre-lst {
  word-spacing: 0;
  text-align: center;
}

/*****************************************************/
/* Styles pour les pages details                     */
/*****************************************************/
#albums {
  background: white;
}

#albums th {
  color: #294A6B;
  text-align: left;
  font-weight: normal;
  vertical-align: top;
}

#albums #Entete {
  font-size: 13px;
  font-weight: bolder;
  margin-bottom: 1em;
}

#albums #Recap {
  width: 100%;
  border: 1px solid #294A6B;
  white-space: nowrap;
  margin-bottom: 1em;
}

#albums #Recap th {
  background: #294A6B;
  color: white;
  font-weight: bolder;
  border: none;
  text-indent: 2em;
}

#albums #Recap th a {
  color: white;
  background-repeat: no-repeat;
  background-position: right;
}

#albums #Recap .asc {
  background-image: url(<?php echo $GLOBALS['PATH_images']; ?>/asc.gif);
}

#albums #Recap .desc {
  background-image: url(<?php echo $GLOBALS['PATH_images']; ?>/desc.gif);
}

#albums #Recap th:hover a {
  color: #294A6B;
  background-color: #E3E3E3;
}

#albums #Recap td {
  padding-left: 12px;
  border: none;
  cursor: hand;
}

#albums #Recap tr:hover {
  background: #FFD9D9;
}

#albums #Recap .Paire {
  background: #EBF1F7;
}

#albums #Recap a {
  display: block;
  width: 100%;
  text-decoration: none;
  color: black;
}

#albums h1 {
  background: #cedeef;
  font-size: 16px;
  font-weight: bolder;
  padding: 0 4px;
  margin: 1em 0 0 0;
}

#albums .G {
  float: left;
  margin-right: 4px;
}

#albums .D {
  float: right;
  margin-left: 4px;
}

#albums .H {
  color: #294A6B;
}

#albums .I {
  font-style: italic;
}

#albums .CommentsAlbum {
  float: left;
  text-align: justify;
  font-style: italic;
  margin-right: 4px;
  margin-top: 4px;
}

#albums #Serie h1 {
  background: transparent;
  font-weight: bold;
  color: #294A6B;
  font-size: 15px;
  margin: 0;
  padding: 0;
}

#albums #Serie .Illus {
  margin-left: -210px;
}

#albums #Serie.Photo {
  padding-left: 210px;
}

#albums #Serie p {
  margin: 0;
}

#albums #Serie .Genre {
  color: #294A6B;
  font-style: italic;
  font-size: 13px;
}

#albums #Serie .Encours {
  color: #900;
}

.Site {
  color: #900;
}

.Site a {
  color: #294A6B;
}

.Site a:hover {
  color: #294A6B;
  text-decoration: none;
  background: #CEDEEF;
}

#albums #Serie .Comments {
  margin-top: 1em;
  text-align: justify;
}

#albums #Serie {
  min-height: 284px;
  margin: 2em 0;
}

#albums h2 {
  color: #294A6B;
  font-size: 13px;
  font-weight: bold;
  margin: 0.2em 0;
}

#albums hr {
  display: block;
  visibility: hidden;
  clear: both;
  height: 0;
  margin: 0;
}

#albums .Fiche {
  float: left;
  width: 49%;
  min-height: 180px;
  min-width: 270px;
  margin-left: 0;
  margin-right: 0;
}

#albums .FicheLarge {
  min-height: 180px;
  margin-left: 0;
  margin-right: 0;
}

#albums .Fiche th, #albums .FicheLarge th {
  width: 70px;
}

#albums .note {
  font-family: Wingdings;
}

#albums #trait {
  visibility: visible;
  height: 2px;
  margin: 3em 0 2em 0;
}

#albums .FicheLarge .typeobjet, #albums .Fiche .typeobjet {
  color: #294A6B;
  font-size: 12px;
  font-weight: bold;
}

/*****************************************************/
/* Styles pour les pages auteurs                     */
/*****************************************************/
#auteur {
  background: white;
}

#auteur .Illus {
  margin-left: -130px;
}

#auteur.Photo {
  padding-left: 130px;
}

#auteur h1 {
  font-weight: bold;
  color: #294A6B;
  font-size: 1.7em;
}

#auteur .VraiNom {
  font-weight: normal;
  font-style: italic;
  font-size: 0.72em;
}

#auteur p {
  margin: 0;
}

#auteur .Fonction {
  color: #294A6B;
}

#auteur .Ne {
  color: #900;
}

#auteur .Comments {
  margin-top: 1em;
  text-align: justify;
}

#auteur h2 {
  font-weight: bold;
  color: #294A6B;
  font-size: 1.225em;
  margin: 2em 0 0 0;
  padding: 0;
}

#auteur ul {
  margin: 0;
  padding: 0;
  list-style: none;
}

/*****************************************************/
/* Styles pour le menu                               */
/*****************************************************/
#menu {
  position: absolute;
  z-index: 1;
  left: 256px;
  right: 8px;
  width: expression(document.body.clientWidth - 264 + "px");
  top: 0;
  height: 21px;
  padding: 0;
  margin: 0;
  color: white;
  text-align: center;
  list-style: none;
}

#menu li {
  float: left;
  position: relative;
  width: 100px;
  height: 21px;
  line-height: 21px;
  background: rgb(109, 152, 195);
  cursor: default;
}

#menu li.narrow {
  float: left;
  position: relative;
  width: 83px;
  height: 21px;
  line-height: 21px;
  background: rgb(109, 152, 195);
  cursor: default;
}

#menu li.sub {
  background: rgb(109, 152, 195) url(<?php echo $GLOBALS['PATH_images']; ?>/desc.gif) 100% 6px no-repeat;
  height: 25px;
}

#menu li:hover {
  color: yellow;
  background-color: rgb(51, 102, 153);
}

#menu li img {
  vertical-align: top;
}

#menu ul li {
  float: none;
  width: 100%;
  padding: 0.5em 0 0.25em;
}

#menu ul {
  display: none;
  position: absolute;
  top: 21px;
  left: 0;
  z-index: 101;
  background: rgb(109, 152, 195);
  padding: 0 0 0.25em;
  margin: 0;
  border: 1px solid rgb(51, 102, 153);
}

#menu li.sub:hover ul {
  display: block;
}

#menu a:link, #menu a:visited {
  color: white;
  text-decoration: underline;
}

/*****************************************************/
/* Styles pour les statistiques                      */
/*****************************************************/
#stats {
  background: #EBF1F7;
}

#stats h1 {
  text-align: center;
  color: #294A6B;
  font-size: 1.7em;
  font-weight: bold;
}

#stats .Recap {
  width: 60%;
  border: 2px solid #294A6B;
  margin-top: 4em;
  margin-bottom: 1em;
}

#stats .Recap th {
  color: white;
  font-weight: bold;
  background: #294A6B;
  padding-left: 0.25em;
  padding-top: 0.25em;
  padding-bottom: 0.25em;
  border: none;
  text-align: left;
  vertical-align: middle;
}

#stats .Recap td {
  border: none;
  padding-left: 0.25em;
  padding-top: 0.1em;
  padding-bottom: 0.1em;
}

#stats .reste {
  font-style: italic;
}

#imprimer {
  background: white;
}

#imprimer #Recap {
  width: 720px;
  border: 2px solid #294A6B;
}

#imprimer #Recap th {
  color: white;
  font-weight: bolder;
  font-style: italic;
  background: #294A6B;
  padding-left: 0.25em;
  padding-top: 0.25em;
  padding-bottom: 0.25em;
  border: none;
  text-align: left;
  vertical-align: middle;
}

#imprimer #Recap td {
  border: none;
  padding-left: 0.25em;
  padding-top: 0.1em;
  padding-bottom: 0.1em;
}

#imprimer h1 {
  text-align: center;
  color: #294A6B;
  background: #cedeef;
  font-size: 1.225em;
}

/*****************************************************/
/* Styles pour les bas de page                       */
/* A Personnaliser                                   */
/*****************************************************/
#baspage {
  position: absolute;
  bottom: 8px;
  left: 256px;
  right: 8px;
  width: expression(document.body.clientWidth - 264 + "px");
  margin: 0;
  padding: 0;
  background: black;
  color: white;
  text-align: center;
}
