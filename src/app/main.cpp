#include "app/console.h"
#include "app/frm_about.h"
#include "app/working_folder.h"
#include "app/first_window.h"
#include "app/verify.h"
#include "lists/candidate_list.h"
#include "draw/seeded_randomiser.h"
#include "output/print_service.h"
#include "ui/compact_style.h"
#include "ui/form_layout.h"
#include "ui/frm_main.h"
#include "ui/message_boxes.h"
#include "ui/version.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QStandardPaths>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

void complain(const QString &line) { taviro::tellUser(QStringLiteral("taviro: ") + line + QLatin1Char('\n'), true); }

// Without a display Qt aborts with its platform plugin's long message; the
// user gets one line instead. (Other systems always have their one screen.)
bool displayMissing(const taviro::CommandLine &command)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !command.qtOptions.contains(QStringLiteral("platform"))
        && !command.qtOptions.contains(QStringLiteral("display"));
#else
    Q_UNUSED(command);
    return false;
#endif
}

taviro::WorkingFolder workingFolder(const taviro::CommandLine &command)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return taviro::decideWorkingFolder(command, programFolder, QFileInfo(programFolder).isWritable(),
                                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

// The largest factor up to `scale` at which the laid-out window fits the
// available area of the screen it opens on, both measured at `scale`; two
// decimals, and never below 1.
double fittingScale(double scale)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return scale;
    const QSize window = taviro::outerSizeOf(taviro::mainFormSpec());
    const QSize area = screen->availableGeometry().size();
    const double room = std::min(double(area.width()) / window.width(), double(area.height()) / window.height());
    return room >= 1 ? scale : std::max(1.0, std::floor(scale * room * 100) / 100);
}

} // namespace

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
    case taviro::CommandLine::Action::Fingerprint:
    case taviro::CommandLine::Action::Verify: {
        // Answered without a window, so they work without a display.
        QCoreApplication core(argc, argv);
        taviro::Verdict verdict;
        if (command.action == taviro::CommandLine::Action::Verify) {
            verdict = taviro::verifyRecord(command.file, command.list);
        } else {
            verdict = taviro::fingerprintOf(
                command.file.isEmpty() ? taviro::findCandidateFile(workingFolder(command).path) : command.file);
        }
        taviro::tellUser(verdict.sentence + QLatin1Char('\n'), verdict.status != 0);
        return verdict.status;
    }
    }
    if (displayMissing(command)) {
        complain(QStringLiteral("no display found (DISPLAY is not set); start it on a desktop"));
        return 1;
    }

    // A factor too large for the screen is known only once Qt sees the screen,
    // and Qt takes the factor only as it starts: it starts once more with the
    // factor that fits. QApplication takes its own options out of argv, so
    // each start gets a fresh copy of the arguments.
    double scale = command.scale.isEmpty() ? 0 : command.scale.toDouble();
    int qtArgc = argc;
    std::vector<char *> qtArgv;
    std::unique_ptr<QApplication> app;
    for (;;) {
        if (scale > 0)
            qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
        qtArgc = argc;
        qtArgv.assign(argv, argv + argc + 1);
        app = std::make_unique<QApplication>(qtArgc, qtArgv.data());
        const double fitting = scale > 0 ? fittingScale(scale) : scale;
        if (fitting >= scale)
            break;
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size() * scale;
        complain(
            QStringLiteral("at scale %1 the window does not fit the screen (%2x%3); scale %4 is the largest that fits")
                .arg(scale)
                .arg(screen.width())
                .arg(screen.height())
                .arg(fitting));
        app.reset();
        scale = fitting;
    }
    QApplication::setApplicationName(QStringLiteral("Taviro"));

    // Qt's own texts (context menus of the text boxes and the like) in Chinese,
    // like the rest of the window.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    taviro::useCompactStyle();

    // The working folder is decided here, once; the window only uses it.
    const taviro::WorkingFolder folder = workingFolder(command);
    const QString folderProblem = taviro::makeWorkingFolder(folder.path);

    const std::unique_ptr<QLockFile> lock = folderProblem.isEmpty() ? taviro::lockWorkingFolder(folder.path) : nullptr;
    if (lock && lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        lock->getLockInfo(&pid, &host, &application);
        const bool raised = taviro::bringFirstWindowForward(pid);
        taviro::standardMessageBoxes().inform(
            nullptr,
            QStringLiteral("这个文件夹里已经有一个Taviro在运行%1，请使用那个窗口。\n同一个文件夹里同时运行两个，"
                           "会互相覆盖摇号结果。\n\n文件夹：%2")
                .arg(raised ? QStringLiteral("（已经把它放到最前面）") : QString(),
                     QDir::toNativeSeparators(folder.path)),
            QString::fromUtf8(taviro::kVersion.title));
        return 0;
    }

    taviro::SeededRandomiser randomiser;
    taviro::FrmMain window({&taviro::standardMessageBoxes(), &taviro::systemPrintService(), &randomiser, folder.path,
                            folder.named, taviro::DrawSeed::publicText(command.seed), command.list, command.exclude,
                            lock && lock->isLocked()});
    // The main window's own icon, not the application's: the About window has none.
    window.setWindowIcon(QIcon(QStringLiteral(":/taviro/taviro.png")));
    taviro::connectAboutWindow(window);
    window.show();
    if (command.screen > 0) {
        if (command.screen > QGuiApplication::screens().size())
            complain(QStringLiteral("there is no screen %1 (%2 found); the big screen opens on another")
                         .arg(command.screen)
                         .arg(QGuiApplication::screens().size()));
        window.openAudienceView(command.screen);
    }
    // Told at once, over the open window: the draw needs the folder later.
    if (!folderProblem.isEmpty())
        QTimer::singleShot(0, &window, [&window, folderProblem] {
            taviro::standardMessageBoxes().inform(&window, folderProblem, QString::fromUtf8(taviro::kVersion.title));
        });
    return QApplication::exec();
}
