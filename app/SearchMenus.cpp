// The Search menu and the district editor entry: each opens its window with the context.
#include "app/Main.h"

void TForm1::wireSearchMenus() {}
