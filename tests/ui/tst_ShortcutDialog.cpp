// SPDX-License-Identifier: GPL-3.0-or-later
// Recording the toggle shortcut: what a key press does in the dialog, what reaches the
// desktop and the settings, and what a refusal leaves in force.
#include "TestSupport.h"
#include "ui/ShortcutDialog.h"
#include "wake/GlobalShortcut.h"
#include "wake/ToggleShortcut.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// A desktop where Ctrl+Alt+T belongs to a terminal.
class DesktopShortcuts : public GlobalShortcut {
public:
    QStringList bound;
    QString bind(const QString &keys) override
    {
        if (keys == QLatin1String("Ctrl+Alt+T"))
            return QStringLiteral("Ctrl+Alt+T is already used by \u201cTerminal\u201d.");
        bound << keys;
        return {};
    }
};

} // namespace

class ShortcutDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keyPresses_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("press"); // "Set" after the key
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("hint"); // the dialog says why
        const int ctrlAlt = int(Qt::ControlModifier | Qt::AltModifier);
        QTest::addRow("set") << int(Qt::Key_K) << ctrlAlt << true << int(QDialog::Accepted) << "Ctrl+Alt+K" << false;
        QTest::addRow("Super") << int(Qt::Key_Space) << int(Qt::MetaModifier) << true << int(QDialog::Accepted)
                               << "Meta+Space" << false;
        QTest::addRow("function key alone") << int(Qt::Key_F9) << 0 << true << int(QDialog::Accepted) << "F9" << false;
        QTest::addRow("letter alone") << int(Qt::Key_K) << 0 << true << -1 << "Ctrl+Alt+J" << true;
        QTest::addRow("Shift is not enough")
            << int(Qt::Key_K) << int(Qt::ShiftModifier) << true << -1 << "Ctrl+Alt+J" << true;
        QTest::addRow("Escape cancels") << int(Qt::Key_Escape) << 0 << false << int(QDialog::Rejected) << "Ctrl+Alt+J"
                                        << false;
        QTest::addRow("Backspace removes")
            << int(Qt::Key_Backspace) << 0 << false << int(QDialog::Accepted) << "" << false;
        QTest::addRow("taken") << int(Qt::Key_T) << ctrlAlt << true << -1 << "Ctrl+Alt+J" << true;
    }
    void keyPresses()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, press);
        QFETCH(int, result);
        QFETCH(QString, stored);
        QFETCH(bool, hint);
        MemorySettingsStore settings;
        settings.setString(ToggleShortcut::settingKey, QStringLiteral("Ctrl+Alt+J"));
        DesktopShortcuts desktop;
        ToggleShortcut shortcut(settings, desktop);
        ShortcutDialog dialog(shortcut);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        auto *keys = dialog.findChild<QLabel *>(QStringLiteral("shortcut-keys"));
        QVERIFY(TestBus::onScreen(&dialog));
        // The keys in force stand back while the dialog records, so pressing them records them.
        QVERIFY(desktop.isSuspended());
        keys->setFocus();

        QTest::keyClick(keys, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (press && dialog.isVisible())
            dialog.findChild<QPushButton *>(QStringLiteral("shortcut-set"))->click();

        if (result < 0) {
            QVERIFY(finished.isEmpty());
            QVERIFY(dialog.isVisible());
        } else {
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.at(0).at(0).toInt(), result);
        }
        QCOMPARE(desktop.isSuspended(), dialog.isVisible());
        QCOMPARE(shortcut.keys(), stored);
        QCOMPARE(settings.string(ToggleShortcut::settingKey).value_or(QStringLiteral("Ctrl+Alt+J")), stored);
        const QString status = dialog.findChild<QLabel *>(QStringLiteral("shortcut-status"))->text();
        QCOMPARE(!status.isEmpty(), hint);
        if (QTest::currentDataTag() == QByteArray("taken")) {
            QVERIFY(status.contains(QLatin1String("Terminal")));
            // The refusal left the shortcut set before in force with the desktop.
            QCOMPARE(desktop.bound.last(), QStringLiteral("Ctrl+Alt+J"));
        }
    }
};

QTEST_MAIN(ShortcutDialogTest)
#include "tst_ShortcutDialog.moc"
