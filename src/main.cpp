#include "app/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cratebook"));
    QApplication::setOrganizationName(QStringLiteral("Cratebook"));

    // Qt's own texts (message box buttons, file dialogs, text box menus) in Russian, like the program's.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    Program program;
    if (!program.Main())
        return 0;
    return app.exec();
}
