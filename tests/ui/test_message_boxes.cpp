// The boxes the user sees: no icon, the caption as given, Chinese buttons,
// plain text, Yes as the default and Escape as No.

#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void boxes_data()
    {
        QTest::addColumn<bool>("question");
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::addColumn<bool>("yes");
        QTest::newRow("OK only") << false << int(Qt::Key_Return) << false;
        QTest::newRow("Enter: the default, Yes") << true << int(Qt::Key_Return) << true;
        QTest::newRow("Escape: No") << true << int(Qt::Key_Escape) << false;
        QTest::newRow("N") << true << int(Qt::Key_N) << false;
        QTest::newRow("close box: No") << true << 0 << false;
    }

    void boxes()
    {
        QFETCH(bool, question);
        QFETCH(int, key);
        QFETCH(bool, yes);
        QStringList seen; // icon, title, text, format, buttons[, default, escape]
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QStringList buttons;
            for (QAbstractButton *b : box->buttons())
                buttons.append(b->text());
            buttons.sort();
            seen = {QString::number(box->icon()), box->windowTitle(), box->text(),
                    QString::number(box->textFormat()), buttons.join(QLatin1Char(','))};
            if (question)
                seen << (box->defaultButton() ? box->defaultButton()->text() : QString())
                     << (box->escapeButton() ? box->escapeButton()->text() : QString());
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->close();
        });
        const QString text = QStringLiteral("<b>王</b>吗?");
        if (question)
            QCOMPARE(taviro::standardMessageBoxes().askYesNo(nullptr, text, QStringLiteral("确认退出")), yes);
        else
            taviro::standardMessageBoxes().inform(nullptr, text, QStringLiteral("Taviro"));

        QStringList expected = {QString::number(QMessageBox::NoIcon),
                                question ? QStringLiteral("确认退出") : QStringLiteral("Taviro"), text,
                                QString::number(Qt::PlainText),
                                question ? QStringLiteral("否(&N),是(&Y)") : QStringLiteral("确定")};
        if (question)
            expected << QStringLiteral("是(&Y)") << QStringLiteral("否(&N)");
        QCOMPARE(seen, expected);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
