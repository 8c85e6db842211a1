// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"
#include "ui/BreathingGlow.h"
#include "ui/PressableButton.h"

#include <QColor>
#include <QString>

// A capsule button for one duration preset: its title on dark brushed metal, lit with an
// accent gradient, rim and breathing glow while its preset runs, a little brighter under the
// pointer. Clicking runs the caller's action through clicked().
class PresetPill : public PressableButton {
    Q_OBJECT
public:
    static constexpr double pressedScale = 0.94;
    static constexpr double pillHeight = 30.0;
    static constexpr double glowRadius = 8.0;

    PresetPill(const QString &title, Clock &clock, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    bool isSelected() const { return m_selected; }
    QColor accent() const { return m_accent; }
    bool isHovering() const { return m_hovering; }
    // The capsule; the rest of the widget is room for the glow.
    QRectF capsuleRect() const;
    const BreathingGlow &glow() const { return m_glow; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setTitle(const QString &title);
    // Selection moves on the shared spring and takes precedence over hover.
    void setSelected(bool selected);
    void setAccent(const QColor &accent);

Q_SIGNALS:
    void titleChanged(const QString &title);
    void selectedChanged(bool selected);
    void accentChanged(const QColor &accent);

protected:
    void paintGlow(QPainter &painter, double now) override;
    void paintBody(QPainter &painter, double now) override;
    QByteArray bodyKey(double now) const override;
    QPainterPath hitShape() const override;
    void sampleAnimation(double now, std::vector<double> &out) const override;
    bool isAnimating(double now) const override;
    bool event(QEvent *event) override;

private:
    QPainterPath capsule() const;
    void setHovering(bool hovering);

    QString m_title;
    bool m_selected = false;
    QColor m_accent;
    bool m_hovering = false;
    AnimatedValue m_selectedAmount{0.0};
    BreathingGlow m_glow;
};
