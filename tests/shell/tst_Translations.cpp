// SPDX-License-Identifier: GPL-3.0-or-later
// The real program follows the system locale: its panel, its menu and the reason it gives
// logind come out in German or French, and stay English where no translation exists.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QtTest>

using namespace RunningCorvane;

class TranslationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // German proves the wiring (every translation is complete, or the build fails); a
    // language without one stays English.
    void panelAndReasonFollowTheLocale_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("panelTexts");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("status"); // the command line's --status, in the same language
        QTest::newRow("German") << "de_DE.UTF-8"
                                << QStringList{"Eigene Dauer", "Corvane beenden", "1 Std.", "Wach halten"}
                                << "Corvane: hält diesen Computer für 1 Std. wach"
                                << "Dieser Computer wird noch";
        QTest::newRow("no translation") << "ja_JP.UTF-8" << QStringList{"Custom duration", "Quit Corvane"}
                                        << "Corvane: keeping this computer awake for 1 h"
                                        << "Keeping this computer awake for";
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
        for (const char *name : {"LANG", "LC_ALL", "LC_MESSAGES"})
            env.insert(name, lang);
        env.insert("LANGUAGE", lang.left(2));
        std::unique_ptr<QProcess> corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));

        const QStringList shown = control("PanelTexts").arguments().value(0).toStringList();
        for (const QString &text : panelTexts)
            QVERIFY2(shown.contains(text), qPrintable(text + " not in " + shown.join(u'|')));

        call("Start", {60u});
        QVERIFY(TestBus::waitFor([] { return !blockLocks().isEmpty(); }));
        QVERIFY2(blockLocks().first().contains(reason), qPrintable(blockLocks().join(u'\n')));
        QString said;
        QCOMPARE(commandLine({"--status"}, &said, env), 0);
        QVERIFY2(said.startsWith(status), qPrintable(said));

        end(corvane);
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_Translations.moc"
