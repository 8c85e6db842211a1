#include "ui/StatusChip.h"

#include "ui/CorvaneStyles.h"
#include "ui/TabularText.h"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double chipHeight = 24.0;
constexpr double padding = 10.0;
const QString infinity = QStringLiteral("\u221E");
QString indefiniteText() { return StatusChip::tr("Indefinite Wake"); }
QString idleText() { return StatusChip::tr("Sleep allowed"); }

} // namespace

StatusChip::StatusChip(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(idleText());
}

void StatusChip::setState(Kind kind, const QString &clock, const QColor &accent)
{
    if (kind == m_kind && clock == m_clock && accent == m_accent)
        return;
    const bool resize = kind != m_kind || clock.size() != m_clock.size();
    m_kind = kind;
    m_clock = clock;
    m_accent = accent;
    setAccessibleName(text());
    if (resize)
        updateGeometry();
    update();
}

QString StatusChip::text() const
{
    switch (m_kind) {
    case Kind::Timed:
        return m_clock;
    case Kind::Indefinite:
        return infinity + QLatin1Char(' ') + indefiniteText();
    case Kind::Idle:
        break;
    }
    return idleText();
}

QSize StatusChip::sizeHint() const
{
    double content = 0;
    switch (m_kind) {
    case Kind::Timed:
        content = TabularText::width(m_clock, CorvaneStyles::systemFont(13, QFont::Medium));
        break;
    case Kind::Indefinite:
        content = QFontMetricsF(CorvaneStyles::systemFont(13, QFont::Medium)).horizontalAdvance(infinity) + 4
            + QFontMetricsF(CorvaneStyles::systemFont(11, QFont::Medium)).horizontalAdvance(indefiniteText());
        break;
    case Kind::Idle:
        content = QFontMetricsF(CorvaneStyles::systemFont(11, QFont::Medium)).horizontalAdvance(idleText());
        break;
    }
    return QSize(int(std::ceil(content + 2 * padding)), int(chipHeight));
}

void StatusChip::paintCapsule(QPainter &p, const QRectF &r, const QColor &fill)
{
    QPainterPath capsule;
    capsule.addRoundedRect(r, chipHeight / 2, chipHeight / 2);
    p.fillPath(capsule, fill);
    // The rim is stroked inside the border: inset by half the line width.
    const double line = 0.75;
    QPainterPath rim;
    const QRectF inner = r.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    rim.addRoundedRect(inner, inner.height() / 2, inner.height() / 2);
    p.strokePath(rim, QPen(QBrush(CorvaneStyles::rimGradient(r)), line));
}

void StatusChip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, (height() - chipHeight) / 2, width(), chipHeight);
    // The countdown changes every second; the capsule under it only with its size and colour.
    const QColor fill = m_kind == Kind::Idle ? CorvaneStyles::withOpacity(Qt::white, 0.05)
                                             : CorvaneStyles::withOpacity(m_accent, 0.14);
    const qreal dpr = devicePixelRatioF();
    if (m_capsule.size() != size() * dpr || m_capsule.devicePixelRatio() != dpr || m_capsuleFill != fill) {
        m_capsule = QPixmap(size() * dpr);
        m_capsule.setDevicePixelRatio(dpr);
        m_capsule.fill(Qt::transparent);
        QPainter cp(&m_capsule);
        cp.setRenderHint(QPainter::Antialiasing);
        paintCapsule(cp, r, fill);
        m_capsuleFill = fill;
    }
    p.drawPixmap(0, 0, m_capsule);

    const double baselineFor13 = r.center().y() + QFontMetricsF(CorvaneStyles::systemFont(13, QFont::Medium)).capHeight() / 2;
    switch (m_kind) {
    case Kind::Timed: {
        p.setPen(Qt::white);
        const double w = TabularText::width(m_clock, CorvaneStyles::systemFont(13, QFont::Medium));
        TabularText::draw(p, QPointF(r.center().x() - w / 2, baselineFor13), m_clock, CorvaneStyles::systemFont(13, QFont::Medium));
        break;
    }
    case Kind::Indefinite: {
        p.setPen(m_accent);
        const QFont big = CorvaneStyles::systemFont(13, QFont::Medium);
        const QFont small = CorvaneStyles::systemFont(11, QFont::Medium);
        const double w1 = QFontMetricsF(big).horizontalAdvance(infinity);
        const double w2 = QFontMetricsF(small).horizontalAdvance(indefiniteText());
        double x = r.center().x() - (w1 + 4 + w2) / 2;
        p.setFont(big);
        p.drawText(QPointF(x, baselineFor13), infinity);
        x += w1 + 4;
        p.setFont(small);
        p.drawText(QPointF(x, r.center().y() + QFontMetricsF(small).capHeight() / 2), indefiniteText());
        break;
    }
    case Kind::Idle: {
        p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.55));
        p.setFont(CorvaneStyles::systemFont(11, QFont::Medium));
        p.drawText(r, Qt::AlignCenter, idleText());
        break;
    }
    }
}
