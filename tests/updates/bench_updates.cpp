// Prints how long the updater's CPU-bound steps take; run through scripts/bench-updates.
#include "UpdateTestDoubles.h"
#include "updates/AppcastParser.h"
#include "updates/Ed25519Verifier.h"
#include "updates/SparkleVersion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QList<QPair<QString, QString>> releases;
    for (int i = 0; i < 2000; ++i)
        releases.append({QStringLiteral("%1.%2.%3b%4").arg(i / 100).arg(i % 100).arg(i % 7).arg(i % 13), QString()});
    const QByteArray appcast = makeAppcast(releases);
    QElapsedTimer t;
    t.start();
    const auto parsed = AppcastParser::parse(appcast);
    const AppcastItem *best = AppcastParser::best(parsed.items, QStringLiteral("1.0"));
    std::printf("parse + pick: %lld items, %.1f KiB, %.2f ms (best %s)\n", qlonglong(parsed.items.size()),
                appcast.size() / 1024.0, t.nsecsElapsed() / 1e6, best ? qPrintable(best->version) : "-");

    t.restart();
    int sum = 0;
    const int comparisons = 1'000'000;
    for (int i = 0; i < comparisons; ++i)
        sum += SparkleVersion::compare(QStringLiteral("1.0.%1b9 (1234)").arg(i % 10), QStringLiteral("1.0.5b10 (1235)"));
    std::printf("version compare: %.0f ns each (checksum %d)\n", double(t.nsecsElapsed()) / comparisons, sum);

    TestSigningKey key;
    const QByteArray archive(100 * 1024 * 1024, 'a');
    const QString signature = QString::fromLatin1(key.signBase64(archive));
    t.restart();
    const bool ok = Ed25519Verifier::verify(archive, archive.size(), signature, key.publicKeyBase64()).ok;
    std::printf("verify 100 MiB archive: %.1f ms (%s)\n", t.nsecsElapsed() / 1e6, ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
