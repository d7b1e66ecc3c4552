// The program's own layer: the About window opened from the main window (its
// contents, and the main window's keys while it is open), the command line and
// the working folder.

#include "../ui/support.h"

#include "app/frm_about.h"
#include "app/working_folder.h"
#include "draw/draw_messages.h"
#include "output/results_file.h"
#include "ui/twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using taviro::CommandLine;
using taviro::FrmAbout;

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void keysWhileOpen_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("before initialising") << false;
        QTest::newRow("while a round rolls") << true;
    }

    // CmdAbout opens a new modal About window each time; Enter and Space
    // typed meanwhile stay with it, whether a round rolls or not.
    void keysWhileOpen()
    {
        QFETCH(bool, rolling);
        MainWindowFixture f;
        f.window->setWindowIcon(QPixmap(48, 48)); // as the program gives it one
        taviro::connectAboutWindow(*f.window);
        if (rolling) {
            f.initialise(numberedNames(5));
            f.button("Cmd_Start")->click();
        }
        const auto before = f.session().roundState();
        QList<QPointer<FrmAbout>> opened;
        for (int time = 0; time < 2; ++time) {
            QTimer::singleShot(0, [&] {
                auto *about = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
                QVERIFY(about && about->parentWidget() == f.window.get() && QTest::qWaitForWindowActive(about));
                opened.append(about);
                QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
                QVERIFY(about->windowIcon().isNull()); // not the main window's
                QCOMPARE(about->size() * taviro::kTwipsPerPixel, QSize(4680, 2910));
                QCOMPARE(about->findChild<QLabel *>("LblVer")->text(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
                auto *help = about->findChild<QPlainTextEdit *>(QStringLiteral("Txt_Help"));
                QTRY_COMPARE(QApplication::focusWidget(), help);
                for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter}) // and it cannot be edited
                    QTest::keyClick(help, key);
                QCOMPARE(help->toPlainText(), taviro::toDisplayText(taviro::usageNotes()));
                QCOMPARE(taviro::usageNotes().count("\r\n"), 10);
                QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1); // long lines wrap
                QTest::keyClick(f.control(QStringLiteral("Txt_Results")), Qt::Key_Space);
                about->close();
            });
            f.button("CmdAbout")->click();
        }
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].isNull() && opened[1].isNull()); // each destroyed on closing
        QCOMPARE(f.session().roundState(), before);
        QVERIFY(f.boxes.shown.isEmpty());
        f.window->activateWindow(); // closed, the keys work again
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        QCOMPARE(f.session().roundState() != before, rolling);
        QCOMPARE(f.boxes.shown.size(), rolling ? 0 : 1);
    }

    // "%1" in the arguments and the folder stands for a folder holding 名单/bonus.txt.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("scale");
        const auto run = CommandLine::Action::Run;
        const auto refuse = CommandLine::Action::Refuse;
        const QString lists = QStringLiteral("%1/名单");
        QTest::newRow("no PATH") << QStringList{} << run << QString() << QByteArray();
        QTest::newRow("a folder") << QStringList{lists} << run << lists << QByteArray();
        QTest::newRow("a file in it, relative") << QStringList{QStringLiteral("名单/bonus.txt")} << run << lists
                                                << QByteArray();
        QTest::newRow("scale and folder") << QStringList{QStringLiteral("--scale"), QStringLiteral("1.5"), lists}
                                          << run << lists << QByteArray("1.5");
        QTest::newRow("scale 4") << QStringList{QStringLiteral("--scale=4")} << run << QString() << QByteArray("4");
        QTest::newRow("missing PATH") << QStringList{QStringLiteral("%1/无")} << refuse << QString() << QByteArray();
        QTest::newRow("two PATHs") << QStringList{lists, lists} << refuse << QString() << QByteArray();
        for (const char *factor : {"0.9", "4.01", "big", "nan"})
            QTest::addRow("scale %s", factor) << QStringList{QStringLiteral("--scale"), QString::fromLatin1(factor)}
                                              << refuse << QString() << QByteArray();
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--size")} << refuse << QString() << QByteArray();
        QTest::newRow("help") << QStringList{QStringLiteral("--help"), lists} << CommandLine::Action::Help
                              << QString() << QByteArray();
        QTest::newRow("version") << QStringList{QStringLiteral("-v")} << CommandLine::Action::Version << QString()
                                 << QByteArray();
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, folder);
        QFETCH(QByteArray, scale);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("名单")));
        QFile list(root.filePath(QStringLiteral("名单/bonus.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(root.path());
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("%1"), root.path());
        arguments.prepend(QStringLiteral("taviro"));

        const CommandLine line = taviro::parseCommandLine(arguments, QStringLiteral("1.0.2"));
        QDir::setCurrent(cwd);
        QCOMPARE(line.action, action);
        QCOMPARE(line.folder, folder.replace(QStringLiteral("%1"), root.path()));
        QCOMPARE(line.scale, scale);
        if (action == CommandLine::Action::Refuse) // one line, saying what is wrong
            QVERIFY2(line.text.startsWith(QStringLiteral("taviro: ")) && line.text.count(QLatin1Char('\n')) == 1,
                     qPrintable(line.text));
        if (action == CommandLine::Action::Help)
            QVERIFY(line.text.contains(QStringLiteral("--scale <factor>")) && line.text.contains(QStringLiteral("PATH")));
        if (action == CommandLine::Action::Version)
            QCOMPARE(line.text, QStringLiteral("Taviro 1.0.2\n"));
    }

    void defaultWorkingFolder_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected");
        const QString documents = QStringLiteral("/home/u/文档/Taviro");
        QTest::newRow("portable") << QStringLiteral("/home/u/taviro/") << true << QStringLiteral("/home/u/taviro");
        QTest::newRow("installed") << QStringLiteral("/usr/bin") << true << documents;
        QTest::newRow("not under /usr") << QStringLiteral("/usrx/bin") << true << QStringLiteral("/usrx/bin");
        QTest::newRow("not writable") << QStringLiteral("/opt/taviro") << false << documents;
    }

    void defaultWorkingFolder()
    {
        QFETCH(QString, program);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QCOMPARE(taviro::defaultWorkingFolder(program, writable, QStringLiteral("/home/u/文档")), expected);
    }

    // Away from the program's folder the missing-list and save messages name
    // the folder; the other messages stay as they are.
    void messagesNameTheFolder_data()
    {
        QTest::addColumn<bool>("elsewhere");
        QTest::newRow("the program's folder") << false;
        QTest::newRow("elsewhere") << true;
    }

    void messagesNameTheFolder()
    {
        QFETCH(bool, elsewhere);
        RecordingBoxes boxes;
        RecordingPrinter printer;
        ScriptedRandomiser randomiser;
        QTemporaryDir folder;
        taviro::FrmMain window({&boxes, &printer, &randomiser, folder.path(), elsewhere ? folder.path() : QString()});
        auto click = [&](const char *name) { window.findChild<QPushButton *>(QLatin1String(name))->click(); };
        click("Cmd_Init");
        click("Cmd_Save");
        QFile list(QDir(folder.path()).filePath(QStringLiteral("bonus.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("A\r\n") == 3);
        list.close();
        click("Cmd_Init");

        const QString named = elsewhere ? QStringLiteral("\n\n名单和摇号结果所在的文件夹：") + QDir::toNativeSeparators(folder.path())
                                        : QString();
        QCOMPARE(boxes.shown.size(), 3);
        QCOMPARE(boxes.shown[0].text, taviro::msg::missingFile() + named);
        QCOMPARE(boxes.shown[1].text, taviro::savedMessage() + named);
        QCOMPARE(boxes.shown[2].text, taviro::msg::tooFew());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
