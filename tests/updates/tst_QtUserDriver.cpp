// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/QtUserDriver.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

class QtUserDriverTest : public QObject {
    Q_OBJECT

    static QPushButton *button(const QString &text)
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            for (QPushButton *b : w->findChildren<QPushButton *>()) {
                if (b->text().remove(u'&') == text)
                    return b;
            }
        }
        return nullptr;
    }

private Q_SLOTS:
    void updateFoundAnswersOnceWithTheChosenButton_data()
    {
        QTest::addColumn<bool>("critical");
        QTest::addColumn<QString>("buttonText"); // empty: the window is closed
        QTest::addColumn<int>("choice");
        QTest::newRow("install") << false << "Install Update" << int(UpdateUserDriver::Choice::Install);
        QTest::newRow("later") << false << "Remind Me Later" << int(UpdateUserDriver::Choice::RemindLater);
        QTest::newRow("skip") << false << "Skip This Version" << int(UpdateUserDriver::Choice::Skip);
        QTest::newRow("closing means later") << false << "" << int(UpdateUserDriver::Choice::RemindLater);
        QTest::newRow("critical: install") << true << "Install Update" << int(UpdateUserDriver::Choice::Install);
    }
    void updateFoundAnswersOnceWithTheChosenButton()
    {
        QFETCH(bool, critical);
        QFETCH(QString, buttonText);
        QFETCH(int, choice);
        AppcastItem update;
        update.version = QStringLiteral("28");
        update.criticalUpdate = critical;
        QtUserDriver driver;
        QList<int> replies;
        driver.showUpdateFound(update, QStringLiteral("1.4"),
                               [&replies](UpdateUserDriver::Choice c) { replies << int(c); });
        // A critical update cannot be skipped.
        QCOMPARE(button(QStringLiteral("Skip This Version")) != nullptr, !critical);
        QPushButton *b = button(buttonText.isEmpty() ? QStringLiteral("Install Update") : buttonText);
        QVERIFY(b);
        if (buttonText.isEmpty())
            b->window()->close();
        else
            b->click();
        QCoreApplication::processEvents();
        QCOMPARE(replies, QList<int>({choice}));
    }
};

QTEST_MAIN(QtUserDriverTest)
#include "tst_QtUserDriver.moc"
