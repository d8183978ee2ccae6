// Stands in for the colour set-up dialog until it is built.
#include "background/FormColorSetUp.h"

void EditColorScheme(TForm&) {}
