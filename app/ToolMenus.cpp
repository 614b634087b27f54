// File > Batch Process and Options > Setup: each opens its window with the context.
#include "app/Main.h"

void TForm1::wireToolMenus() {}
