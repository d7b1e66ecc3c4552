#include "app/console.h"
#include "app/frm_about.h"
#include "app/working_folder.h"
#include "draw/draw_random.h"
#include "draw/draw_session.h"
#include "output/print_service.h"
#include "ui/compact_style.h"
#include "ui/frm_main.h"
#include "ui/message_boxes.h"
#include "ui/version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The command line is read before the application object exists: the
    // scale must be in place before the window system starts.
    const taviro::CommandLine command =
        taviro::parseCommandLine(taviro::commandLineArguments(argc, argv), taviro::versionNumber());
    switch (command.action) {
    case taviro::CommandLine::Action::Run:
        break;
    case taviro::CommandLine::Action::Help:
    case taviro::CommandLine::Action::Version:
        taviro::tellUser(command.text, false);
        return 0;
    case taviro::CommandLine::Action::Refuse:
        taviro::tellUser(command.text, true);
        return 2;
    }
    if (!command.scale.isEmpty())
        qputenv("QT_SCALE_FACTOR", command.scale);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Taviro"));

    // Qt's own texts (context menus of the text boxes and the like) in Chinese,
    // like the rest of the window.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    taviro::useCompactStyle();

    // The working folder is decided here, once; the window only uses it.
    const QString programFolder = QCoreApplication::applicationDirPath();
    QString folder = command.folder;
    if (folder.isEmpty()) {
        folder = taviro::defaultWorkingFolder(
            programFolder, QFileInfo(programFolder).isWritable(),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QDir().mkpath(folder);
    }
    // The messages speak of the program's folder; elsewhere they name the real one.
    const QString namedFolder = folder == QDir::cleanPath(programFolder) ? QString() : folder;

    taviro::ClockRandomiser randomiser(taviro::ClockRandom::shared());
    taviro::FrmMain window({&taviro::standardMessageBoxes(), &taviro::systemPrintService(), &randomiser, folder,
                            namedFolder});
    // The main window's own icon, not the application's: the About window has none.
    window.setWindowIcon(QIcon(QStringLiteral(":/taviro/taviro.png")));
    taviro::connectAboutWindow(window);
    window.show();
    return app.exec();
}
