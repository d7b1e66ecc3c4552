// The message boxes the user sees: no icon, exact captions, Chinese buttons,
// Yes as the default and Escape as No.

#include "ui/message_boxes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct SeenBox
{
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
};

// Looks at the box once it is open, then lets `answer` close it.
void whenOpen(SeenBox &seen, const std::function<void(QMessageBox *)> &answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        for (QAbstractButton *b : box->buttons())
            seen.buttons.append(b->text());
        seen.buttons.sort();
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        if (box->escapeButton())
            seen.escapeButton = box->escapeButton()->text();
        answer(box);
    });
}

} // namespace

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void inform()
    {
        SeenBox seen;
        whenOpen(seen, [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
        taviro::standardMessageBoxes().inform(nullptr, QStringLiteral("<b>王</b>都抽完了"), QStringLiteral("Taviro"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.title, QStringLiteral("Taviro"));
        QCOMPARE(seen.text, QStringLiteral("<b>王</b>都抽完了"));
        QCOMPARE(seen.format, Qt::PlainText); // a name is never read as markup
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("确定")});
    }

    void askYesNo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter answers the default, Yes") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape answers No") << int(Qt::Key_Escape) << false;
        QTest::newRow("Y") << int(Qt::Key_Y) << true;
        QTest::newRow("N") << int(Qt::Key_N) << false;
    }

    void askYesNo()
    {
        QFETCH(int, key);
        QFETCH(bool, yes);
        SeenBox seen;
        whenOpen(seen, [key](QMessageBox *box) { QTest::keyClick(box, Qt::Key(key)); });
        const bool answer =
            taviro::standardMessageBoxes().askYesNo(nullptr, QStringLiteral("确定要关闭摇号软件吗?"), QStringLiteral("退出"));
        QCOMPARE(answer, yes);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.title, QStringLiteral("退出"));
        QCOMPARE(seen.text, QStringLiteral("确定要关闭摇号软件吗?"));
        QCOMPARE(seen.buttons, (QStringList{QStringLiteral("否(&N)"), QStringLiteral("是(&Y)")}));
        QCOMPARE(seen.defaultButton, QStringLiteral("是(&Y)"));
        QCOMPARE(seen.escapeButton, QStringLiteral("否(&N)"));
    }

    void closingTheQuestionAnswersNo()
    {
        SeenBox seen;
        whenOpen(seen, [](QMessageBox *box) { box->close(); });
        QVERIFY(!taviro::standardMessageBoxes().askYesNo(nullptr, QStringLiteral("请再次确认关闭吗?"),
                                                         QStringLiteral("确认退出")));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
