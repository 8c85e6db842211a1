// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Icons.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <QSvgRenderer>
#include <cmath>

// Outside any namespace, as the resource initialiser demands. A static library's resources
// are dropped by the linker unless something refers to them.
static void initIconResources()
{
    Q_INIT_RESOURCE(corvane_icons);
}

namespace {

QString pathFor(const QString &name)
{
    return QStringLiteral(":/corvane/icons/%1.svg").arg(name);
}

void ensureResources()
{
    static const bool done = (initIconResources(), true);
    Q_UNUSED(done);
}

class TintedIconEngine : public QIconEngine {
public:
    TintedIconEngine(QString name, QColor color) : m_name(std::move(name)), m_color(color) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const double side = std::min(rect.width(), rect.height());
        const QImage img = Icons::image(m_name, side, m_color, dpr);
        painter->drawImage(QPointF(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0),
                           img);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return Icons::pixmap(m_name, std::min(size.width(), size.height()), m_color);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale) override
    {
        return Icons::pixmap(m_name, std::min(size.width(), size.height()) / scale, m_color, scale);
    }
    QIconEngine *clone() const override { return new TintedIconEngine(m_name, m_color); }

private:
    QString m_name;
    QColor m_color;
};

// The tray's pictures, each drawn for its size. Handed out as they are, never through Qt's
// pixmap cache: a picture placed there wakes the program 30 s later for the cache's
// clean-up, and the tray's icon changes with the ring all through a period.
class TrayIconEngine : public QIconEngine {
public:
    explicit TrayIconEngine(QList<QPixmap> pictures) : m_pictures(std::move(pictures)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        // The smallest picture that fills the size, else the largest, scaled only if it must.
        const int side = std::min(size.width(), size.height());
        QPixmap chosen = m_pictures.isEmpty() ? QPixmap() : m_pictures.last();
        for (const QPixmap &picture : std::as_const(m_pictures)) {
            if (picture.width() >= side) {
                chosen = picture;
                break;
            }
        }
        if (chosen.isNull() || chosen.width() == side)
            return chosen;
        return chosen.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const QPixmap &picture : std::as_const(m_pictures))
            sizes << picture.size();
        return sizes;
    }
    QIconEngine *clone() const override { return new TrayIconEngine(m_pictures); }

private:
    QList<QPixmap> m_pictures; // by size, smallest first
};

} // namespace

namespace Icons {

QStringList names()
{
    return {QStringLiteral("eye"),
            QStringLiteral("eye.fill"),
            QStringLiteral("power"),
            QStringLiteral("gearshape.fill"),
            QStringLiteral("dial.medium"),
            QStringLiteral("chevron.down"),
            QStringLiteral("display"),
            QStringLiteral("cpu"),
            QStringLiteral("exclamationmark.triangle.fill")};
}

bool exists(const QString &name)
{
    ensureResources();
    return QFile::exists(pathFor(name));
}

QImage image(const QString &name, double size, const QColor &color, qreal devicePixelRatio)
{
    ensureResources();
    static QHash<QString, QImage> cache;
    const QString key =
        QStringLiteral("%1/%2/%3/%4").arg(name).arg(size).arg(color.rgba64(), 0, 16).arg(devicePixelRatio);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    if (size <= 0.0 || !QFile::exists(pathFor(name)))
        return {};
    QSvgRenderer renderer(pathFor(name));
    if (!renderer.isValid())
        return {};
    const int px = std::max(1, int(std::lround(size * devicePixelRatio)));
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(0, 0, px, px));
        // The drawing is black; keep its coverage and take the colour.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(img.rect(), color);
    }
    img.setDevicePixelRatio(devicePixelRatio);
    if (cache.size() > 256)
        cache.clear();
    cache.insert(key, img);
    return img;
}

QPixmap pixmap(const QString &name, double size, const QColor &color, qreal devicePixelRatio)
{
    return QPixmap::fromImage(image(name, size, color, devicePixelRatio));
}

QIcon icon(const QString &name, const QColor &color)
{
    return QIcon(new TintedIconEngine(name, color));
}

namespace {
void drawTrayPicture(QPainter &p, const QString &name, int pixels, double remaining)
{
    const bool ring = remaining >= 0.0;
    // The edge is at least a pixel wide at every size: thinner, it vanishes on a light panel.
    const double edge = pixels / 32.0 + 0.5;
    if (ring) {
        const double stroke = std::max(2.0, pixels / 8.0);
        const double radius = pixels / 2.0 - stroke / 2.0 - edge / 2.0;
        const QRectF circle(pixels / 2.0 - radius, pixels / 2.0 - radius, 2 * radius, 2 * radius);
        // The spent part stays as a faint track, so a nearly empty ring still reads as one.
        p.setPen(QPen(QColor(0, 0, 0, 90), stroke, Qt::SolidLine, Qt::FlatCap));
        p.drawEllipse(circle);
        const int span = -int(std::lround(std::clamp(remaining, 0.0, 1.0) * 360 * 16));
        if (span != 0) {
            p.setPen(QPen(QColor(0, 0, 0, 220), stroke + 2 * edge, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(circle, 90 * 16, span);
            p.setPen(QPen(Qt::white, stroke, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(circle, 90 * 16, span);
        }
    }
    const double glyph = ring ? pixels * 0.625 : pixels * 0.875;
    const QPointF origin((pixels - glyph) / 2, (pixels - glyph) / 2);
    const QImage shadow = image(name, glyph, QColor(0, 0, 0, 220));
    for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        p.drawImage(origin + offset * edge, shadow);
    p.drawImage(origin, image(name, glyph, Qt::white));
}

} // namespace

QImage trayImage(const QString &name, int pixels, double remaining)
{
    QImage out(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn a few rows at a time, to the same pixels: a fill over more rows is spread over
    // Qt's thread pool, which would start and wake threads each time the ring moves (about a
    // hundred wake-ups, and their expiry later), where the countdown's tick alone should do.
    constexpr int bandRows = 8;
    for (int top = 0; top < pixels; top += bandRows) {
        p.setClipRect(0, top, pixels, bandRows);
        drawTrayPicture(p, name, pixels, remaining);
    }
    return out;
}

QIcon trayIcon(const QString &name, double remaining)
{
    QList<QPixmap> pictures;
    // 44 and 48 serve panels at scale 2; each size is drawn for itself, never scaled.
    for (int size : {16, 22, 24, 32, 44, 48, 64})
        pictures << QPixmap::fromImage(trayImage(name, size, remaining));
    return QIcon(new TrayIconEngine(pictures));
}

} // namespace Icons
