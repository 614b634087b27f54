#include "app/Main.h"
#include "core/DataModule.h"
#include "core/Version.h"
#include "ui/ErrorApplication.h"
#include "ui/StyleManager.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before any window system is needed, so they work on a console without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillmarsh %s\n", QM_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: quillmarsh [--help] [--version]\n"
                        "The offline look-up of US amateur and GMRS licences and the Canadian amateur list.\n"
                        "Its data lives in ~/.local/share/Quillmarsh; see also quillmarsh-import(1) and\n"
                        "quillmarsh-lookup(1) for the same data on the command line.\n"
                        "\n"
                        "  --help     this text\n"
                        "  --version  the program's version\n");
            return 0;
        }
    }
    QmApplication app(argc, argv);
    StyleManager::trySetStyle(QStringLiteral("Aqua Light Slate"));
    TDM dm;
    TForm1 form(dm);
    form.show();
    form.activateWindow();
    return app.exec();
}
