// SPDX-License-Identifier: GPL-3.0-or-later
// The real program follows the system locale: its panel, its menu and the reason it gives
// logind come out in German or French, and stay English where no translation exists.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QtTest>

using namespace RunningCorvane;

class TranslationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelAndReasonFollowTheLocale_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("panelTexts");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("status"); // the command line's --status, in the same language
        QTest::newRow("German") << QStringLiteral("de_DE.UTF-8")
                                << QStringList{QStringLiteral("Eigene Dauer"), QStringLiteral("Corvane beenden"),
                                               QStringLiteral("1 Std."), QStringLiteral("Wach halten")}
                                << QStringLiteral("Corvane: hält diesen Computer für 1 Std. wach")
                                << QStringLiteral("Dieser Computer wird noch");
        QTest::newRow("French") << QStringLiteral("fr_FR.UTF-8")
                                << QStringList{QStringLiteral("Durée personnalisée"), QStringLiteral("Quitter Corvane"),
                                               QStringLiteral("Garder éveillé")}
                                << QStringLiteral("Corvane\u00a0: garde cet ordinateur éveillé pendant 1 h")
                                << QStringLiteral("Cet ordinateur est maintenu éveillé encore");
        QTest::newRow("no translation") << QStringLiteral(
            "ja_JP.UTF-8") << QStringList{QStringLiteral("Custom duration"), QStringLiteral("Quit Corvane")}
                                        << QStringLiteral("Corvane: keeping this computer awake for 1 h")
                                        << QStringLiteral("Keeping this computer awake for");
    }

    void panelAndReasonFollowTheLocale()
    {
        QFETCH(QString, lang);
        QFETCH(QStringList, panelTexts);
        QFETCH(QString, reason);
        QFETCH(QString, status);
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected(),
                        "private buses with the logind mock");
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));

        QProcessEnvironment env;
        env.insert(QStringLiteral("LANG"), lang);
        env.insert(QStringLiteral("LANGUAGE"), lang.left(2));
        env.insert(QStringLiteral("LC_ALL"), lang);
        env.insert(QStringLiteral("LC_MESSAGES"), lang);
        std::unique_ptr<QProcess> corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));

        const QStringList shown = control(QStringLiteral("PanelTexts")).arguments().value(0).toStringList();
        for (const QString &text : panelTexts)
            QVERIFY2(shown.contains(text), qPrintable(text + QStringLiteral(" not in ") + shown.join(u'|')));

        call(QStringLiteral("Start"), {QVariant::fromValue(60u)});
        QVERIFY(TestBus::waitFor([] { return !blockLocks().isEmpty(); }));
        QVERIFY2(blockLocks().first().contains(reason), qPrintable(blockLocks().join(u'\n')));
        QProcess statusLine;
        statusLine.setProcessEnvironment([&env] {
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(env);
            return e;
        }());
        statusLine.start(QStringLiteral(CORVANE_BINARY), {QStringLiteral("--status")});
        QVERIFY(statusLine.waitForFinished(10000));
        QVERIFY2(QString::fromUtf8(statusLine.readAllStandardOutput()).startsWith(status), qPrintable(status));

        call(QStringLiteral("Quit"));
        QVERIFY(corvane->waitForFinished(10000));
        QVERIFY(TestBus::waitFor([] {
            return !QDBusConnection::sessionBus().interface()->isServiceRegistered(SingleInstance::serviceName).value();
        }));
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_Translations.moc"
