// SPDX-License-Identifier: GPL-3.0-or-later
// The running programs as /proc shows them, with real processes started under the names a
// user may give a program.
#include "platform/ProcRunningPrograms.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class ProcRunningProgramsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

private Q_SLOTS:
    void listsEachRunningProgramByItsName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("replacedOnDisk");
        QTest::newRow("plain") << "corvane-probe" << false;
        // Longer than the 15 bytes of a command name: the executable's name is whole.
        QTest::newRow("long") << "corvane-probe-with-a-long-name" << false;
        QTest::newRow("spaces and non-ASCII") << "Mein Programm ö日本" << false;
        QTest::newRow("replaced while running") << "corvane-upgraded" << true;
    }

    void listsEachRunningProgramByItsName()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, replacedOnDisk);
        QVERIFY(folder.isValid());
        const QString program = folder.filePath(fileName);
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), program));
        QProcess process;
        process.start(program, {QStringLiteral("60")});
        QVERIFY(process.waitForStarted());
        if (replacedOnDisk)
            QVERIFY(QFile::remove(program));

        const ProcRunningPrograms running;
        const QStringList names = running.names();
        QCOMPARE(names.count(fileName), 1);
        // Sorted as a person reads, each name once.
        for (qsizetype i = 1; i < names.size(); ++i)
            QVERIFY2(names[i - 1].compare(names[i], Qt::CaseInsensitive) <= 0 && names[i - 1] != names[i],
                     qPrintable(names[i - 1] + " before " + names[i]));

        process.kill();
        QVERIFY(process.waitForFinished());
        QVERIFY(!running.names().contains(fileName));
        QFile::remove(program);
    }

    void listsNoKernelThreads()
    {
        // They have a command name but run no program; as root they are "ours" too.
        QFile kthreadd(QStringLiteral("/proc/2/comm"));
        if (!kthreadd.open(QIODevice::ReadOnly) || kthreadd.readAll() != "kthreadd\n")
            QSKIP("no kernel threads to be seen here");
        QVERIFY(!ProcRunningPrograms().names().contains(QStringLiteral("kthreadd")));
    }
};

QTEST_GUILESS_MAIN(ProcRunningProgramsTest)
#include "tst_ProcRunningPrograms.moc"
