// SPDX-License-Identifier: GPL-3.0-or-later
// Which tray shows the icon, from what the session has told so far: a watcher that is there
// decides however long it takes, and the icon counts as shown nowhere only when neither
// kind of tray is there.
#include "platform/TrayHostDetection.h"

#include <QtTest>

using Host = AbstractTrayIcon::Host;
Q_DECLARE_METATYPE(AbstractTrayIcon::Host)

class TrayHostDetectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decides_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("hosted");
        QTest::addColumn<bool>("watcher");
        QTest::addColumn<bool>("xembed");
        QTest::addColumn<bool>("waited");
        QTest::addColumn<Host>("host");
        QTest::newRow("Plasma, GNOME with the extension")
            << true << true << true << false << false << Host::StatusNotifier;
        QTest::newRow("XFCE's panel: both, the host wins")
            << true << true << true << true << false << Host::StatusNotifier;
        QTest::newRow("slow shell at session start: wait for its answer")
            << false << false << true << true << true << Host::Unknown;
        QTest::newRow("watcher answered but no panel shows items, XEmbed tray")
            << true << false << true << true << false << Host::XEmbed;
        QTest::newRow("watcher answered, nothing else") << true << false << true << false << false << Host::None;
        QTest::newRow("no watcher yet, still waiting") << false << false << false << true << false << Host::Unknown;
        QTest::newRow("bare XEmbed tray after the wait") << false << false << false << true << true << Host::XEmbed;
        QTest::newRow("stock GNOME: nothing after the wait") << false << false << false << false << true << Host::None;
    }
    void decides()
    {
        QFETCH(bool, answered);
        QFETCH(bool, hosted);
        QFETCH(bool, watcher);
        QFETCH(bool, xembed);
        QFETCH(bool, waited);
        QFETCH(Host, host);
        QCOMPARE(TrayHostDetection::host({answered, hosted, watcher, xembed, waited}), host);
    }
};

QTEST_APPLESS_MAIN(TrayHostDetectionTest)
#include "tst_TrayHostDetection.moc"
