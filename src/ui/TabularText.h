// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

// Text whose digits all take the advance of the widest digit, so a countdown does not
// wobble as its digits change. Qt 6.4 cannot switch on the font's tabular figures, so the
// digits are placed one by one.
class TabularText {
public:
    static double width(const QString &text, const QFont &font);
    // Draws `text` with its baseline starting at `origin`.
    static void draw(QPainter &painter, QPointF origin, const QString &text, const QFont &font);
    // Shortens `text` with an ellipsis until it fits `maxWidth`.
    static QString elided(const QString &text, const QFont &font, double maxWidth);
};
