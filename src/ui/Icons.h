// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The program's own monochrome symbols (eye, eye.fill, power, gearshape.fill, dial.medium,
// chevron.down, display, cpu, exclamationmark.triangle.fill), drawn from SVG at the exact
// device size and tinted, so they stay crisp at every pixel ratio.
namespace Icons {

QStringList names();
bool exists(const QString &name);

// A square symbol `size` points wide in `color`; a null image for an unknown name.
QImage image(const QString &name, double size, const QColor &color, qreal devicePixelRatio = 1.0);
QPixmap pixmap(const QString &name, double size, const QColor &color, qreal devicePixelRatio = 1.0);
// Renders on demand at whatever size and ratio the icon is asked for.
QIcon icon(const QString &name, const QColor &color);

// The tray symbol: white with a dark edge, so it reads on light and dark panels alike.
// With `remaining` in 0…1, the eye sits inside a ring that empties clockwise from the top
// as the time runs out, for trays that show no countdown text. Sizes 16 to 64 pixels.
QImage trayImage(const QString &name, int pixels, double remaining = -1.0);
QIcon trayIcon(const QString &name, double remaining = -1.0);

} // namespace Icons
