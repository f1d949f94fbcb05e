echo "déjà";
