#pragma once
// The main window with the test doubles, as the window tests open it.

#include "doubles.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include "lists/legacy_text.h"
#include <QTemporaryDir>
#include <QTest>

#include <memory>

inline QStringList numberedNames(int count) // "候选人01", "候选人02", ...
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("候选人%1").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

struct MainWindowFixture
{
    RecordingBoxes boxes;
    RecordingPrinter printer;
    ScriptedRandomiser randomiser;
    QTemporaryDir folder;
    std::unique_ptr<taviro::FrmMain> window;

    explicit MainWindowFixture(taviro::DrawRandomiser *draw = nullptr, taviro::MessageBoxes *realBoxes = nullptr)
        : window(std::make_unique<taviro::FrmMain>(taviro::FrmMainServices{realBoxes ? realBoxes : &boxes, &printer,
                                                                           draw ? draw : &randomiser, folder.path()}))
    {
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    void writeBonus(const QStringList &names) const // GBK lines ended by CR LF
    {
        QVERIFY(writeAll(folder.filePath("bonus.txt"), taviro::encodeLegacyText(names.join("\r\n") + "\r\n")));
    }
    template <typename T = QWidget>
    T *control(const QString &name) const
    {
        return name == QLatin1String("FrmMain") ? qobject_cast<T *>(window.get()) : window->findChild<T *>(name);
    }
    QPushButton *button(const char *name) const { return control<QPushButton>(QLatin1String(name)); }
    taviro::DrawSession &session() { return window->session(); }
    void initialise(const QStringList &names)
    {
        writeBonus(names);
        QTest::mouseClick(button("Cmd_Init"), Qt::LeftButton);
        QVERIFY(session().isInitialised());
    }
    void waitForReveal() // until Timer2 has revealed the round and given Cmd_Start back
    {
        QVERIFY(QTest::qWaitFor([this] { return button("Cmd_Start")->isEnabled(); }));
        QCOMPARE(session().roundState(), taviro::DrawSession::RoundState::Ready);
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); } // where the focus is
};
