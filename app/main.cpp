#include "app/Main.h"
#include "core/DataModule.h"
#include "ui/ErrorApplication.h"
#include "ui/StyleManager.h"

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    StyleManager::trySetStyle(QStringLiteral("Aqua Light Slate"));
    TDM dm;
    TForm1 form(dm);
    form.show();
    form.activateWindow();
    return app.exec();
}
