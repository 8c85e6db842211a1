// SPDX-License-Identifier: GPL-3.0-or-later
// One combination in every notation the shortcut services speak, both ways.
#include "platform/ShortcutNotation.h"

#include <QtTest>

using Style = ShortcutNotation::Accelerator;

class ShortcutNotationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convertsEveryWay_data()
    {
        QTest::addColumn<QString>("portable");
        QTest::addColumn<QString>("gnome");
        QTest::addColumn<QString>("xfce");
        QTest::addColumn<int>("kglobalaccel");
        QTest::addColumn<QString>("portal");
        QTest::addRow("all four modifiers")
            << "Meta+Ctrl+Alt+Shift+Z"
            << "<Control><Shift><Alt><Super>z"
            << "<Primary><Shift><Alt><Super>z" << (Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::META | Qt::Key_Z).toCombined()
            << "CTRL+ALT+SHIFT+LOGO+z";
        QTest::addRow("two-digit function key")
            << "Shift+F12"
            << "<Shift>F12"
            << "<Shift>F12" << (Qt::SHIFT | Qt::Key_F12).toCombined() << "SHIFT+F12";
        QTest::addRow("page down") << "Alt+PgDown"
                                   << "<Alt>Page_Down"
                                   << "<Alt>Page_Down" << (Qt::ALT | Qt::Key_PageDown).toCombined() << "ALT+Page_Down";
        QTest::addRow("punctuation") << "Ctrl+Alt+/"
                                     << "<Control><Alt>slash"
                                     << "<Primary><Alt>slash" << (Qt::CTRL | Qt::ALT | Qt::Key_Slash).toCombined()
                                     << "CTRL+ALT+slash";
    }
    void convertsEveryWay()
    {
        QFETCH(QString, portable);
        QFETCH(QString, gnome);
        QFETCH(QString, xfce);
        QFETCH(int, kglobalaccel);
        QFETCH(QString, portal);
        const QKeyCombination keys = ShortcutNotation::fromPortableText(portable);
        QVERIFY(ShortcutNotation::isValid(keys));
        QCOMPARE(ShortcutNotation::toPortableText(keys), portable);
        QCOMPARE(ShortcutNotation::toAccelerator(keys, Style::Gnome), gnome);
        QCOMPARE(ShortcutNotation::toAccelerator(keys, Style::Xfce), xfce);
        QCOMPARE(ShortcutNotation::toKGlobalAccel(keys), kglobalaccel);
        QCOMPARE(ShortcutNotation::toPortalTrigger(keys), portal);
        QCOMPARE(ShortcutNotation::fromAccelerator(gnome), keys);
        QCOMPARE(ShortcutNotation::fromAccelerator(xfce), keys);
        QCOMPARE(ShortcutNotation::fromKGlobalAccel(kglobalaccel), keys);
    }

    // What the desktops' own settings hold, in the spellings GTK accepts, and what is no
    // single combination at all.
    void readsForeignSpellings_data()
    {
        QTest::addColumn<QString>("accelerator");
        QTest::addColumn<QString>("portable"); // empty: not a combination
        QTest::addRow("<Ctrl> and upper case") << "<Ctrl><Alt>T"
                                               << "Ctrl+Alt+T";
        QTest::addRow("<Mod1> and <Meta>") << "<Mod1><Meta>Left"
                                           << "Meta+Alt+Left";
        QTest::addRow("lower-case modifier names") << "<primary><shift>Delete"
                                                   << "Ctrl+Shift+Del";
        QTest::addRow("unknown modifier") << "<Hyper>k"
                                          << "";
    }
    void readsForeignSpellings()
    {
        QFETCH(QString, accelerator);
        QFETCH(QString, portable);
        QCOMPARE(ShortcutNotation::toPortableText(ShortcutNotation::fromAccelerator(accelerator)), portable);
    }

    void rejectsWhatIsNoSingleCombination_data()
    {
        QTest::addColumn<QString>("portable");
        QTest::addRow("two combinations") << "Ctrl+A, Ctrl+B";
        QTest::addRow("keypad modifier") << "Ctrl+Num+5";
    }
    void rejectsWhatIsNoSingleCombination()
    {
        QFETCH(QString, portable);
        const QKeyCombination keys = ShortcutNotation::fromPortableText(portable);
        QVERIFY(!ShortcutNotation::isValid(keys));
        QCOMPARE(ShortcutNotation::toAccelerator(keys, Style::Gnome), QString());
    }
};

QTEST_GUILESS_MAIN(ShortcutNotationTest)
#include "tst_ShortcutNotation.moc"
