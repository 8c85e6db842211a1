// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop as the sessions of real distributions name it.
#include "platform/DesktopEnvironment.h"

#include <QtTest>

using Kind = DesktopEnvironment::Kind;

class DesktopEnvironmentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesTheDesktop_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<QString>("desktopSession");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("showsLabel");
        QTest::addRow("Plasma") << "KDE"
                                << "plasma" << Kind::Kde << false;
        QTest::addRow("Ubuntu's GNOME") << "ubuntu:GNOME"
                                        << "ubuntu" << Kind::Gnome << true;
        QTest::addRow("names that only contain one") << "KDEConnect:GNOMEish:XFCE-like"
                                                     << "" << Kind::Other << true;
        QTest::addRow("only the session: Plasma on Wayland") << ""
                                                             << "plasmawayland" << Kind::Kde << false;
        QTest::addRow("the desktop wins over the session") << "XFCE"
                                                           << "plasma" << Kind::Xfce << false;
        QTest::addRow("nothing") << ""
                                 << "" << Kind::Other << true;
    }
    void namesTheDesktop()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(QString, desktopSession);
        QFETCH(Kind, kind);
        QFETCH(bool, showsLabel);
        const DesktopEnvironment desktop = DesktopEnvironment::fromNames(currentDesktop, desktopSession);
        QCOMPARE(desktop.kind(), kind);
        QCOMPARE(desktop.trayShowsLabel(), showsLabel);
    }
};

QTEST_GUILESS_MAIN(DesktopEnvironmentTest)
#include "tst_DesktopEnvironment.moc"
