// The boxes the user sees: no icon, exact captions, Chinese buttons, plain
// text, Yes as the default and Escape as No.

#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessageBoxes : public QObject
{
    Q_OBJECT

    QStringList seen; // icon, title, text, format, buttons, default, escape

    // Looks at the box once it is open, then presses `key` in it.
    void whenOpen(int key)
    {
        QTimer::singleShot(0, this, [this, key] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QStringList buttons;
            for (QAbstractButton *b : box->buttons())
                buttons.append(b->text());
            buttons.sort();
            seen = {QString::number(box->icon()), box->windowTitle(), box->text(),
                    QString::number(box->textFormat()), buttons.join(QLatin1Char(',')),
                    box->defaultButton() ? box->defaultButton()->text() : QString(),
                    box->escapeButton() ? box->escapeButton()->text() : QString()};
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->close();
        });
    }

private slots:
    void inform()
    {
        whenOpen(Qt::Key_Return);
        taviro::standardMessageBoxes().inform(nullptr, QStringLiteral("<b>王</b>"), QStringLiteral("Taviro"));
        QCOMPARE(seen.mid(0, 5), (QStringList{QString::number(QMessageBox::NoIcon), "Taviro",
                                              QStringLiteral("<b>王</b>"), QString::number(Qt::PlainText),
                                              QStringLiteral("确定")}));
    }

    void askYesNo_data()
    {
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter: the default, Yes") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("N") << int(Qt::Key_N) << false;
        QTest::newRow("close box") << 0 << false;
    }

    void askYesNo()
    {
        QFETCH(int, key);
        QFETCH(bool, yes);
        whenOpen(key);
        QCOMPARE(taviro::standardMessageBoxes().askYesNo(nullptr, QStringLiteral("请再次确认关闭吗?"),
                                                         QStringLiteral("确认退出")),
                 yes);
        QCOMPARE(seen, (QStringList{QString::number(QMessageBox::NoIcon), QStringLiteral("确认退出"),
                                    QStringLiteral("请再次确认关闭吗?"), QString::number(Qt::PlainText),
                                    QStringLiteral("否(&N),是(&Y)"), QStringLiteral("是(&Y)"),
                                    QStringLiteral("否(&N)")}));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
