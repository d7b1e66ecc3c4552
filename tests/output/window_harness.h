#pragma once

// A main window with recorded message boxes, a deterministic draw and its
// own application folder, for the tests that press Save and Print.

#include "draw/draw_session.h"
#include "output/results_file.h"
#include "ui/frm_main.h"
#include "ui/message_boxes.h"

#include <QByteArray>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

// Records every box with the bytes the results file held when it was shown.
class RecordingBoxes : public taviro::MessageBoxes
{
public:
    struct Box
    {
        QString text;
        QString caption;
        QByteArray fileBytes;
        bool fileExisted = false;
    };

    void inform(QWidget *, const QString &text, const QString &caption) override
    {
        Box box;
        box.text = text;
        box.caption = caption;
        QFile file(resultsPath);
        box.fileExisted = file.open(QIODevice::ReadOnly);
        if (box.fileExisted)
            box.fileBytes = file.readAll();
        boxes.append(box);
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return true; }

    QString resultsPath;
    QList<Box> boxes;
};

// The undrawn candidates are taken in file order and a revealed round is
// reversed: round one of two winners from "张三, 李四, ..." logs 李四, 张三.
class FileOrderRandomiser : public taviro::DrawRandomiser
{
public:
    QVector<int> genRndArray(int myNum, int neededNum) override
    {
        QVector<int> values;
        if (neededNum < 1 || myNum < 1 || neededNum > myNum)
            return values;
        for (int v = 1; v <= neededNum; ++v)
            values.append(v);
        return values;
    }
    void reshuffle(QStringList &picks) override { std::reverse(picks.begin(), picks.end()); }
};

// Everything a click on Save or Print must leave as it was.
struct DrawSnapshot
{
    taviro::DrawSession::RoundState state;
    int remaining, perRound, roundNumber;
    QVector<int> drawOrder;
    QVector<bool> drawn;
    QStringList rollNames, roundPicks;
    QString log, resultsBox, startCaption, count;
    bool startEnabled, rollRunning, revealPending;

    bool operator==(const DrawSnapshot &o) const
    {
        return state == o.state && remaining == o.remaining && perRound == o.perRound
            && roundNumber == o.roundNumber && drawOrder == o.drawOrder && drawn == o.drawn
            && rollNames == o.rollNames && roundPicks == o.roundPicks && log == o.log
            && resultsBox == o.resultsBox && startCaption == o.startCaption && count == o.count
            && startEnabled == o.startEnabled && rollRunning == o.rollRunning && revealPending == o.revealPending;
    }
};

class WindowHarness
{
    // First, so they outlive the window that refers to them.
    QTemporaryDir m_folder;
    FileOrderRandomiser m_randomiser;

public:
    // The worked example's candidates first, then more up to `count`.
    explicit WindowHarness(taviro::PrintService &printer, int count = 20)
    {
        QStringList lines{QString::fromUtf8("张三"), QString::fromUtf8("李四"), QString::fromUtf8("王五")};
        for (int i = lines.size() + 1; i <= count; ++i)
            lines << QString::fromUtf8("候选人") + QString::number(i);
        QStringEncoder gbk("GBK");
        QFile bonus(m_folder.filePath(QStringLiteral("bonus.txt")));
        if (bonus.open(QIODevice::WriteOnly))
            bonus.write(gbk.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        bonus.close();

        boxes.resultsPath = taviro::resultsFilePath(m_folder.path());
        taviro::FrmMainServices services{&boxes, &printer, &m_randomiser, m_folder.path()};
        window = std::make_unique<taviro::FrmMain>(services);
        window->show();
    }

    bool ready() const { return m_folder.isValid() && QTest::qWaitForWindowExposed(window.get()); }
    QString folder() const { return m_folder.path(); }
    QString resultsPath() const { return boxes.resultsPath; }

    template <typename T>
    T *control(const char *name) const { return window->findChild<T *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return control<QPushButton>(name); }
    QTimer *timer(const char *name) const { return window->form().timers.value(QLatin1String(name)); }

    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    bool initialise()
    {
        click("Cmd_Init");
        return window->session().roundState() == taviro::DrawSession::RoundState::Ready;
    }
    bool startRound(int count)
    {
        control<QLineEdit>("Txt_Num")->setText(QString::number(count));
        click("Cmd_Start");
        return window->session().roundState() == taviro::DrawSession::RoundState::Rolling;
    }
    bool stopRound()
    {
        click("Cmd_Start");
        return window->session().roundState() == taviro::DrawSession::RoundState::RevealPending;
    }
    bool waitForReveal()
    {
        return QTest::qWaitFor([this] {
            return window->session().roundState() == taviro::DrawSession::RoundState::Ready
                && button("Cmd_Start")->isEnabled();
        });
    }
    // The worked example: 李四 and 张三 in round one, 王五 in round two.
    bool drawWorkedExample()
    {
        return initialise() && startRound(2) && stopRound() && waitForReveal() && startRound(1) && stopRound()
            && waitForReveal();
    }

    DrawSnapshot snapshot() const
    {
        const taviro::DrawSession &s = window->session();
        return DrawSnapshot{s.roundState(), s.remainingCount(), s.perRoundCount(), s.roundNumber(),
                            s.drawOrder(), s.drawnFlags(), s.rollNames(), s.roundPicks(), s.log().text(),
                            control<QPlainTextEdit>("Txt_Results")->toPlainText(), button("Cmd_Start")->text(),
                            control<QLineEdit>("Txt_Num")->text(), button("Cmd_Start")->isEnabled(),
                            timer("Timer1")->isActive(), timer("Timer2")->isActive()};
    }

    QByteArray resultsBytes() const
    {
        QFile file(resultsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    RecordingBoxes boxes;
    std::unique_ptr<taviro::FrmMain> window;
};
