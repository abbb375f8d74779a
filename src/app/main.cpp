#include "Program.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The program's resources live in a static library: they are registered by hand.
    Q_INIT_RESOURCE(cratebook);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cratebook"));
    QApplication::setOrganizationName(QStringLiteral("Cratebook"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/cratebook.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("cratebook"));

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
