// SPDX-License-Identifier: GPL-3.0-or-later
// The list of programs that keep the computer awake, driven with the keyboard as a user
// would, on real settings objects; the running programs come from a fixed list.
#include "TestSupport.h"
#include "ui/ApplicationListDialog.h"
#include "wake/RunningPrograms.h"
#include "wake/TriggerSettings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace {
struct FixedPrograms : RunningPrograms {
    QStringList names() const override { return {"blender", "Firefox", "mpv", "Steam Game", "Ärger"}; }
};
} // namespace

class ApplicationListDialogTest : public QObject {
    Q_OBJECT

    MemorySettingsStore store;
    FixedPrograms running;
    std::unique_ptr<TriggerSettings> triggers;
    std::unique_ptr<ApplicationListDialog> dialog;
    QListWidget *list = nullptr;
    QComboBox *name = nullptr;

    // What the settings hold, and the list shows the same.
    QStringList saved() const
    {
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        return shown == triggers->applications() ? shown : QStringList{"list differs:"} + shown;
    }

private Q_SLOTS:
    void init()
    {
        store.values.clear();
        triggers = std::make_unique<TriggerSettings>(store);
        triggers->setApplications({"mpv", "blender"});
        dialog = std::make_unique<ApplicationListDialog>(*triggers, running);
        dialog->show();
        QVERIFY(TestBus::onScreen(dialog.get()));
        list = dialog->findChild<QListWidget *>("applications-list");
        name = dialog->findChild<QComboBox *>("application-name");
        QTRY_COMPARE(QApplication::focusWidget(), name); // where typing starts
    }

    void cleanup() { dialog.reset(); }

    void addsByTypingOrPicking_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("picked"); // from the running programs, else typed and Enter
        QTest::addColumn<QStringList>("after");
        const QStringList before{"mpv", "blender"};
        QTest::newRow("typed") << "vlc" << false << before + QStringList{"vlc"};
        QTest::newRow("non-ASCII stays") << "Ärger-日本" << false << before + QStringList{"Ärger-日本"};
        QTest::newRow("ends trimmed") << "  vlc " << false << before + QStringList{"vlc"};
        QTest::newRow("blank refused") << "   " << false << before;
        QTest::newRow("repeat refused") << " mpv " << false << before;
        QTest::newRow("picked") << "Steam Game" << true << before + QStringList{"Steam Game"};
        QTest::newRow("picked repeat") << "mpv" << true << before;
    }

    void addsByTypingOrPicking()
    {
        QFETCH(QString, entry);
        QFETCH(bool, picked);
        QFETCH(QStringList, after);
        if (picked) {
            name->showPopup();
            QTRY_VERIFY(name->view()->isVisible());
            name->view()->setCurrentIndex(name->view()->model()->index(name->findText(entry), 0));
            QTest::keyClick(name->view(), Qt::Key_Return);
            QTRY_VERIFY(!name->view()->isVisible());
        } else {
            for (const QChar c : entry) // as a keyboard layout sends each letter, ASCII or not
                QTest::sendKeyEvent(QTest::Click, name->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::keyClick(name->lineEdit(), Qt::Key_Return);
            // Refused: left in the field to correct.
            QCOMPARE(name->currentText(), after.size() > 2 ? QString() : entry);
        }
        QCOMPARE(saved(), after);
        QVERIFY(dialog->isVisible()); // Enter is not the dialog's to take
    }
};

QTEST_MAIN(ApplicationListDialogTest)
#include "tst_ApplicationListDialog.moc"
