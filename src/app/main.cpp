#include "app/frm_about.h"
#include "draw/draw_random.h"
#include "draw/draw_session.h"
#include "output/print_service.h"
#include "ui/compact_style.h"
#include "ui/frm_main.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Taviro"));

    // Qt's own texts (context menus of the text boxes and the like) in Chinese,
    // like the rest of the window.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    taviro::useCompactStyle();

    taviro::ClockRandomiser randomiser(taviro::ClockRandom::shared());
    taviro::FrmMain window({&taviro::standardMessageBoxes(), &taviro::systemPrintService(), &randomiser,
                            QCoreApplication::applicationDirPath()});
    // The main window's own icon, not the application's: the About window has none.
    window.setWindowIcon(QIcon(QStringLiteral(":/taviro/taviro.png")));
    taviro::connectAboutWindow(window);
    window.show();
    return app.exec();
}
