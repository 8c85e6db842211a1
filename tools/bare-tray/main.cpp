// SPDX-License-Identifier: GPL-3.0-or-later
// The reference the benchmark measures Corvane against: Qt's own tray icon and nothing else.
// What this costs in memory and wake-ups is what any Qt tray program pays before doing anything.
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3, 3, 16, 16));
    }
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("bare tray"));
    tray.show();
    return app.exec();
}
