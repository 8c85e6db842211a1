#include "shell/GlassPanel.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLayout>
#include <cmath>

GlassPanel::GlassPanel(QWidget *content, DelayedCallScheduler scheduler)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint),
      m_content(content),
      m_scheduler(std::move(scheduler))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Corvane"));
    resize(panelWidth, 400);
    if (m_content) {
        m_content->setParent(this);
        m_content->installEventFilter(this);
        m_content->move(0, 0);
        measure();
    }
}

GlassPanel::~GlassPanel() = default;

int GlassPanel::naturalHeight() const
{
    if (!m_content)
        return 0;
    if (m_content->hasHeightForWidth())
        return m_content->heightForWidth(panelWidth);
    return m_content->sizeHint().height();
}

void GlassPanel::measure()
{
    if (!m_content)
        return;
    const int natural = naturalHeight();
    // The content sits at the top at its own height, whatever the window's height is
    // while a shrink waits.
    m_content->setGeometry(0, 0, panelWidth, std::max(natural, 1));
    requestHeight(natural);
}

bool GlassPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Escape closes the panel whichever child has focus, and goes no further.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            hide();
            return true;
        }
    }
    if (watched == m_content && event->type() == QEvent::LayoutRequest) {
        // Let the layout settle first, then measure what it asks for.
        if (m_content->layout())
            m_content->layout()->activate();
        measure();
    }
    return QWidget::eventFilter(watched, event);
}

void GlassPanel::requestHeight(qreal measured)
{
    if (!(measured > 0)) // also rejects NaN
        return;
    const qreal h = std::ceil(measured);
    if (h == m_targetHeight)
        return;
    m_targetHeight = h;
    m_pendingShrink.reset();
    const int target = int(h);
    const int delay = (h < height() && isVisible()) ? shrinkDelayMs : 0;
    QPointer<GlassPanel> self(this);
    m_pendingShrink = m_scheduler(delay, [self, target] {
        if (self)
            self->applyHeight(target);
    });
}

void GlassPanel::applyHeight(int h)
{
    if (std::abs(height() - h) <= 0.5)
        return;
    const QRect frame = geometry();
    // Screen y grows downwards here, so keeping the top edge means keeping y.
    setGeometry(frame.x(), frame.y(), panelWidth, h);
    if (onResize)
        onResize();
}

void GlassPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content && m_content->width() != panelWidth)
        m_content->resize(panelWidth, m_content->height());
}

void GlassPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void GlassPanel::mousePressEvent(QMouseEvent *event)
{
    if (!rect().contains(event->position().toPoint()) && onOutsidePress
        && onOutsidePress(event->globalPosition().toPoint(), event->button())) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void GlassPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    qApp->installEventFilter(this);
}

void GlassPanel::hideEvent(QHideEvent *event)
{
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
