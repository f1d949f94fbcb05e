?>
personnalisez ici votre bas de page
