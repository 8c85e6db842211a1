#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// The small capsule at the right of the header: the countdown while a timed period runs,
// "∞ Indefinite Wake" while an open-ended one does, and "Sleep allowed" while idle.
class StatusChip : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Idle, Timed, Indefinite };

    explicit StatusChip(QWidget *parent = nullptr);

    void setState(Kind kind, const QString &clock, const QColor &accent);
    Kind kind() const { return m_kind; }
    // What the chip reads, as one line; for tests and screen readers.
    QString text() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static void paintCapsule(QPainter &painter, const QRectF &rect, const QColor &fill);

    Kind m_kind = Kind::Idle;
    QString m_clock;
    QColor m_accent;
    QPixmap m_capsule;
    QColor m_capsuleFill;
};
