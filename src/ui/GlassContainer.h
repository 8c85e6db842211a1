// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

// What the window system behind the card offers; the window that hosts the card fills it in.
// Left empty, the card is opaque and nothing is blurred.
struct GlassBackdrop {
    std::function<bool()> compositorActive;
    // Blurs behind `deviceRect` of `window` with rounded corners of `radius` device pixels;
    // false where the compositor blurs nothing.
    std::function<bool(QWindow *window, const QRect &deviceRect, double radius)> blurBehind;
};

// A dark frosted-glass card: the material (a dark base, over the blur behind the window where
// the desktop offers one), an ink tint, a sheen across the upper half and a light rim. Lay
// the card's content out inside it as in any container. The base is light over a blur,
// dense where a compositor blends without blurring (so text behind never competes with the
// card's own), and opaque without a compositor, since translucent windows then show
// garbage behind them.
class GlassContainer : public QWidget {
    Q_OBJECT
public:
    explicit GlassContainer(double cornerRadius = 18.0, QWidget *parent = nullptr);

    double cornerRadius() const { return m_cornerRadius; }

    // Whether the card is drawn see-through (a compositor was running when it was shown).
    bool isTranslucent() const { return m_translucent; }
    // Whether the compositor blurs what lies behind the card.
    bool isBlurred() const { return m_blurred; }
    // Normally decided when the card is shown; the gallery and tests pick one.
    void setTranslucent(bool translucent);

    void setBackdrop(GlassBackdrop backdrop);

    // The material's dark base under the tint: opaque without a compositor, dense over an
    // unblurred background, lighter over a blurred one.
    static QColor materialBase(bool translucent, bool blurred);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void updateBlur();
    void paintCard(QPainter &painter) const;

    const double m_cornerRadius;
    GlassBackdrop m_backdrop;
    bool m_translucent = false;
    bool m_blurred = false;
    QPixmap m_cache;
    QColor m_cacheBase;
    double m_cacheRadius = -1;
};
