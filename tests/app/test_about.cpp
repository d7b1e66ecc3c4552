// The program's own layer: the About window, the command line, the working folder.

#include "main_window_fixture.h"

#include "app/frm_about.h"
#include "app/working_folder.h"
#include "lists/list_messages.h"
#include "output/results_file.h"

#include <QLabel>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using namespace taviro;
using Action = CommandLine::Action;

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    // CmdAbout opens a modal About window without the main window's icon; Enter and Space stay with it.
    void aboutWindow()
    {
        MainWindowFixture f;
        f.window->setWindowIcon(QPixmap(48, 48));
        connectAboutWindow(*f.window);
        f.initialise(numberedNames(5));
        f.button("Cmd_Start")->click();
        QPointer<QWidget> about;
        bool opened = false;
        QTimer::singleShot(0, f.window.get(), [&] { // never later, in another test
            opened = (about = QApplication::activeModalWidget());
            const auto closing = qScopeGuard([about] { about && about->close(); }); // even when a check fails
            QVERIFY(about && about->parentWidget() == f.window.get() && QTest::qWaitForWindowActive(about));
            QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
            QVERIFY(about->windowIcon().isNull());
            QCOMPARE(about->findChild<QLabel *>("LblVer")->text(), "Taviro V" TAVIRO_VERSION "-最简单摇号软件");
            auto *help = about->findChild<QPlainTextEdit *>("Txt_Help");
            QTRY_COMPARE(QApplication::focusWidget(), help);
            for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space}) // it cannot be edited
                QTest::keyClick(help, key);
            QCOMPARE(help->toPlainText(), toDisplayText(usageNotes()));
            QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1); // long lines wrap
        });
        f.button("CmdAbout")->click();
        QVERIFY(opened && about.isNull()); // it was there, and destroyed on closing
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
    }

    // Run in a folder ("%1") holding 名单/bonus.txt; without PATH the program works in its folder or 文档/Taviro,
    // and the messages name any folder but its own. Qt's options are left to Qt.
    void workingFolder_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("program");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("text"); // a pattern for the whole help, version or refusal
        const QString portable = "/home/u/taviro/", documents = "/home/u/文档/Taviro", none;
        QTest::newRow("portable") << none << portable << Action::Run << "/home/u/taviro" << false << none << none;
        QTest::newRow("installed") << none << "/usr/bin" << Action::Run << documents << true << none << none;
        QTest::newRow("not under /usr") << none << "/usrx/bin" << Action::Run << "/usrx/bin" << false << none << none;
        qputenv("ProgramW6432", "C:\\Program Files"); // as Windows sets it
        QTest::newRow("installed on Windows")
            << none << "c:/program files/Taviro" << Action::Run << documents << true << none << none;
        QTest::newRow("beside Program Files")
            << none << "C:/Program Files2" << Action::Run << "C:/Program Files2" << false << none << none;
        QTest::newRow("not writable") << none << "/read-only" << Action::Run << documents << true << none << none;
        QTest::newRow("a file in it, relative")
            << "名单/bonus.txt" << portable << Action::Run << "%1/名单" << true << none << none;
        QTest::newRow("scale, Qt's options and folder")
            << "-platform offscreen -reverse --style=fusion -qwindowgeometry 9x9 "
               "-display :0 --scale 1.5 %1/名单"
            << portable << Action::Run << "%1/名单" << true << "1.5" << none;
        QTest::newRow("scale 4") << "--scale=4" << portable << Action::Run << "/home/u/taviro" << false << "4" << none;
        QTest::newRow("help") << "--help %1" << portable << Action::Help << none << false << none
                              << R"(Usage: \S+ \[options\] \[PATH\]\n.*--scale <factor>.*PATH .*)";
        QTest::newRow("version") << "-v" << portable << Action::Version << none << false << none
                                 << QRegularExpression::escape("Taviro " TAVIRO_VERSION "\n");
        const QString scale = QStringLiteral("the scale must be a number from 1 to 4, not '%1'");
        for (auto [bad, why] : {std::pair{"%1/无", QString("'%1/无' does not exist")},
                                {"%1/名单 %1/名单", "only one PATH may be given, not 2"},
                                {"--size", "unknown option 'size'"},
                                {"-platformx", "unknown option 'platformx'"},
                                {"--scale", "missing value after '--scale'"},
                                {"--scale 0.9", scale.arg("0.9")},
                                {"--scale 4.01", scale.arg("4.01")},
                                {"--scale nan", scale.arg("nan")},
                                {"--screen 0", "the screen must be a number from 1 up, not '0'"},
                                {"--screen x", "the screen must be a number from 1 up, not 'x'"}})
            QTest::addRow("refused: %s", bad) << bad << portable << Action::Refuse << none << false << none
                                              << "taviro: " + why + R"( \(see taviro --help\)\n)";
    }

    void workingFolder()
    {
        QFETCH(QString, args);
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(QString, text);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("名单") && writeAll(root.filePath("名单/bonus.txt"), {}));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(root.path());
        const auto inRoot = [&](QString text) { return text.replace("%1", root.path()); };
        const auto line = parseCommandLine(inRoot("taviro " + args).split(' ', Qt::SkipEmptyParts), TAVIRO_VERSION);
        QDir::setCurrent(cwd);
        QTEST(line.action, "action");
        QTEST(QString::fromLatin1(line.scale), "scale");
        const auto used = decideWorkingFolder(line, program, program != "/read-only", "/home/u/文档");
        QCOMPARE(line.action == Action::Run ? used.path : line.folder, inRoot(folder));
        QTEST(!used.named.isEmpty() && used.named == used.path, "named");
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(inRoot(text)),
                                         QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(pattern.match(line.text).hasMatch(), qPrintable(line.text));
    }

    // A working folder that cannot be made is named at the start, with the reason; one that can is made and locked.
    // A lock of a copy on another computer (a shared folder) is not taken for stale, however old.
    void makingTheFolder()
    {
        QTemporaryDir root;
        QVERIFY(QFile(root.filePath("文件")).open(QIODevice::WriteOnly));
        QCOMPARE(makeWorkingFolder(root.filePath("新/Taviro")), QString());
        QVERIFY(lockWorkingFolder(root.filePath("新/Taviro"))->isLocked());
        QFile lock(root.filePath("新/Taviro/.taviro.lock"));
        QVERIFY(writeAll(lock.fileName(), "1\ntaviro\nanother-computer\n") && lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
        QCOMPARE(lockWorkingFolder(root.filePath("新/Taviro"))->error(), QLockFile::LockFailedError);
        const QString file = QDir::toNativeSeparators(root.filePath("文件"));
        for (auto [folder, why] :
             {std::pair{file, QString("那里已有一个同名的文件，不是文件夹")}, {file + "/Taviro", file + "不是文件夹"}})
            QVERIFY2(makeWorkingFolder(folder).startsWith("无法使用工作文件夹：" + QDir::toNativeSeparators(folder)
                                                          + "\n原因：" + why + "\n"),
                     qPrintable(folder));
    }

    // Away from the program's folder the missing-list and save messages name the folder, the others do not.
    void messagesNameTheFolder()
    {
        MainWindowFixture f; // its doubles, in a window told to name its folder
        FrmMain window({&f.boxes, &f.printer, &f.randomiser, f.folder.path(), f.folder.path()});
        for (const char *name : {"Cmd_Init", "Cmd_Save", "Cmd_Init"}) {
            window.findChild<QPushButton *>(QLatin1String(name))->click();
            f.writeBonus({QStringLiteral("A")}); // too few from now on
        }
        const QString folder = QDir::toNativeSeparators(f.folder.path());
        QCOMPARE(f.boxes.shown,
                 (QStringList{msg::missingFile() + "\n\n名单和摇号结果所在的文件夹：" + folder,
                              "已经保存到文件夹“" + folder + "”中！文件名叫摇号结果.txt", msg::tooFew()}));
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
