// File > Edit Zipcode Table, the map, the two outside links and About.
#include "app/Main.h"

void TForm1::wireInfoMenus() {}
