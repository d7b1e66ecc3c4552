#pragma once

// Doubles and helpers shared by the window tests: message boxes that record
// and answer, a scripted draw, a printer that only records, and a folder
// holding a bonus.txt.

#include "draw/draw_session.h"
#include "output/print_service.h"
#include "ui/frm_main.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

struct RecordedBox
{
    bool question = false; // a Yes/No box; otherwise OK only
    QString text;
    QString caption;
};

class RecordingBoxes : public taviro::MessageBoxes
{
public:
    QList<RecordedBox> shown;
    QList<bool> answers;                          // for the Yes/No boxes, in order; No when none is left
    std::function<void(const RecordedBox &)> whileShown; // runs while the box would be open

    void inform(QWidget *, const QString &text, const QString &caption) override
    {
        record({false, text, caption});
    }

    bool askYesNo(QWidget *, const QString &text, const QString &title) override
    {
        record({true, text, title});
        return answers.isEmpty() ? false : answers.takeFirst();
    }

private:
    void record(const RecordedBox &box)
    {
        shown.append(box);
        if (whileShown)
            whileShown(box);
    }
};

// A draw whose outcome the test knows: the draw order is the file order, a
// round takes the first candidates not yet drawn, and the reveal reverses the
// round's winners.
class ScriptedRandomiser : public taviro::DrawRandomiser
{
public:
    QVector<int> genRndArray(int myNum, int neededNum) override
    {
        QVector<int> values;
        if (neededNum < 1 || neededNum > myNum)
            return values;
        for (int i = 1; i <= neededNum; ++i)
            values.append(i);
        return values;
    }

    void reshuffle(QStringList &picks) override { std::reverse(picks.begin(), picks.end()); }
};

class RecordingPrinter : public taviro::PrintService
{
public:
    QStringList printed;
    void printFile(const QString &path) override { printed.append(path); }
};

// "候选人01", "候选人02", ...
inline QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("候选人%1").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

// Lines in GBK, each ended by CR LF, as organisers write bonus.txt.
inline QByteArray candidateBytes(const QStringList &names)
{
    QStringEncoder gbk("GBK");
    QByteArray bytes;
    for (const QString &name : names) {
        bytes += gbk.encode(name);
        bytes += "\r\n";
    }
    return bytes;
}

// Everything a main window needs, with the window itself shown and active.
class MainWindowFixture
{
public:
    RecordingBoxes boxes;
    RecordingPrinter printer;
    ScriptedRandomiser randomiser;
    QTemporaryDir folder;
    std::unique_ptr<taviro::FrmMain> window;

    MainWindowFixture() { window = std::make_unique<taviro::FrmMain>(services()); }

    taviro::FrmMainServices services() { return {&boxes, &printer, &randomiser, folder.path()}; }

    QString bonusPath() const { return QDir(folder.path()).filePath(QStringLiteral("bonus.txt")); }

    void writeBonus(const QByteArray &bytes) const
    {
        QFile file(bonusPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    void writeCandidates(const QStringList &names) const { writeBonus(candidateBytes(names)); }

    bool show()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    template <typename T = QWidget>
    T *control(const QString &name) const { return window->findChild<T *>(name); }

    taviro::DrawSession &session() { return window->session(); }

    // A key pressed and released where the keyboard's input goes: the focused control.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key, modifiers);
    }
};
