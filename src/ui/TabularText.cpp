// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TabularText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

double digitAdvance(const QFontMetricsF &fm)
{
    double widest = 0.0;
    for (QChar c = u'0'; c <= u'9'; c = QChar(c.unicode() + 1))
        widest = std::max(widest, fm.horizontalAdvance(c));
    return widest;
}

// Splits the text into runs of digits and runs of everything else.
template <typename RunFn>
void forEachRun(const QString &text, RunFn &&run)
{
    int start = 0;
    while (start < text.size()) {
        const bool digits = text.at(start).isDigit();
        int end = start;
        while (end < text.size() && text.at(end).isDigit() == digits)
            ++end;
        run(text.mid(start, end - start), digits);
        start = end;
    }
}

} // namespace

double TabularText::width(const QString &text, const QFont &font)
{
    const QFontMetricsF fm(font);
    const double cell = digitAdvance(fm);
    double total = 0.0;
    forEachRun(text, [&](const QString &run, bool digits) {
        total += digits ? cell * run.size() : fm.horizontalAdvance(run);
    });
    return total;
}

void TabularText::draw(QPainter &painter, QPointF origin, const QString &text, const QFont &font)
{
    const QFontMetricsF fm(font);
    const double cell = digitAdvance(fm);
    painter.setFont(font);
    double x = origin.x();
    forEachRun(text, [&](const QString &run, bool digits) {
        if (!digits) {
            painter.drawText(QPointF(x, origin.y()), run);
            x += fm.horizontalAdvance(run);
            return;
        }
        for (QChar c : run) {
            const double w = fm.horizontalAdvance(c);
            painter.drawText(QPointF(x + (cell - w) / 2.0, origin.y()), QString(c));
            x += cell;
        }
    });
}

QString TabularText::elided(const QString &text, const QFont &font, double maxWidth)
{
    if (width(text, font) <= maxWidth)
        return text;
    const QString ellipsis(QChar(0x2026));
    QString s = text;
    while (!s.isEmpty()) {
        s.chop(1);
        QString candidate = s + ellipsis;
        if (width(candidate, font) <= maxWidth)
            return candidate;
    }
    return width(ellipsis, font) <= maxWidth ? ellipsis : QString();
}
