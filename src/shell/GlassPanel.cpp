// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/GlassPanel.h"

#include "platform/X11WindowEffects.h"
#include "ui/GlassContainer.h"
#include "ui/GlassPopoverView.h"
#include "ui/SoftShadow.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cmath>

namespace {
Qt::WindowFlags flagsFor(GlassPanel::Kind kind)
{
    using Kind = GlassPanel::Kind;
    const Qt::WindowFlags common = Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    switch (kind) {
    case Kind::Popover:
        // Not a popup: a popup holds the pointer, and the click that closes it would never
        // reach what it was aimed at. Bypassing the window manager keeps the position we
        // give it, as a popup's would be kept.
        return common | Qt::Tool | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;
    case Kind::ManagedPopover: return common | Qt::Tool | Qt::WindowStaysOnTopHint;
    case Kind::Window: break;
    }
    return common | Qt::Window;
}

// A plain cross, drawn rather than taken from a font that may lack the glyph.
QIcon crossIcon(const QColor &color)
{
    QIcon icon;
    for (const qreal dpr : {1.0, 2.0}) {
        QPixmap pixmap(QSize(12, 12) * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

GlassPanel::GlassPanel(QWidget *content, Clock &clock)
    : QWidget(nullptr, flagsFor(Kind::Popover)),
      m_content(content),
      m_clock(clock)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Corvane"));
    resize(panelWidth, 400);
    m_presses.onPress = [this](QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
        return pressedSomewhere(at, button, modifiers);
    };
    if (m_content) {
        m_content->setParent(this);
        m_content->installEventFilter(this);
        m_content->move(m_margin, m_margin);
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
    m_content->setGeometry(m_margin, m_margin, panelWidth, std::max(natural, 1));
    updateShape();
    if (m_margin)
        update();
    requestHeight(natural);
}

bool GlassPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Mapped by the window manager: now the X focus can be ours (see present()).
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        if (isVisible())
            X11WindowEffects::takeInputFocus(windowHandle());
        return false;
    }
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

void GlassPanel::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    if (isVisible())
        hide();
    m_kind = kind;
    setWindowFlags(flagsFor(kind));
    if (kind == Kind::Window && !m_close) {
        auto *close = new QToolButton(this);
        m_close = close;
        m_close->setObjectName(QStringLiteral("closePanelButton"));
        m_close->setAccessibleName(tr("Close"));
        m_close->setToolTip(tr("Close"));
        m_close->setIcon(crossIcon(QColor(255, 255, 255, 210))); // on the dark glass
        m_close->setFocusPolicy(Qt::TabFocus);
        m_close->setIconSize(QSize(12, 12));
        // As tall as the status chip beside it, and marked on focus as the gear is.
        m_close->setFixedSize(24, 24);
        m_close->setCursor(Qt::PointingHandCursor);
        m_close->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid transparent; border-radius: 6px;"
                                              " background: transparent; padding: 0px; }"
                                              "QToolButton:hover { background: rgba(255, 255, 255, 0.08); }"
                                              "QToolButton:focus { border-color: rgba(255, 255, 255, 0.3); }"));
        connect(m_close, &QAbstractButton::clicked, this, &QWidget::hide);
        // In the header's row, after the status chip, so it is laid out with the card's other
        // controls rather than over its corner.
        if (auto *view = qobject_cast<GlassPopoverView *>(m_content.data()))
            view->setHeaderControl(m_close);
    }
    if (m_close) {
        m_close->setVisible(kind == Kind::Window);
        placeCloseButton();
    }
}

void GlassPanel::placeCloseButton()
{
    // Content without a header of its own gets the control in its top corner on the side
    // away from the heading, as far in as the panel's content is.
    if (!m_close || m_kind != Kind::Window || m_close->parentWidget() != this)
        return;
    const QRect card = cardRect();
    const int inset = 16;
    const int x =
        layoutDirection() == Qt::RightToLeft ? card.left() + inset : card.right() - inset - m_close->width() + 1;
    m_close->move(x, card.top() + inset);
    m_close->raise();
}

void GlassPanel::present()
{
    show();
    raise();
    activateWindow();
    if (m_kind != Kind::Popover)
        X11WindowEffects::activate(windowHandle());
    setFocus(Qt::PopupFocusReason);
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
    const int delay = (h < cardSize().height() && isVisible()) ? shrinkDelayMs : 0;
    QPointer<GlassPanel> self(this);
    m_pendingShrink = m_clock.callAfter(std::chrono::milliseconds(delay), [self, target] {
        if (self)
            self->applyHeight(target);
    });
}

void GlassPanel::applyHeight(int h)
{
    if (std::abs(cardSize().height() - h) <= 0.5)
        return;
    const QRect frame = geometry();
    // Screen y grows downwards here, so keeping the top edge means keeping y.
    setGeometry(frame.x(), frame.y(), panelWidth + 2 * m_margin, h + 2 * m_margin);
    if (onResize)
        onResize();
}

void GlassPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content && m_content->width() != panelWidth)
        m_content->resize(panelWidth, m_content->height());
    placeCloseButton();
    updateShape();
}

QRect GlassPanel::cardRect() const
{
    return rect().marginsRemoved(QMargins(m_margin, m_margin, m_margin, m_margin));
}

QRect GlassPanel::laidOutCard() const
{
    return m_content ? cardRect() & m_content->geometry() : cardRect();
}

void GlassPanel::moveCardTo(QPoint globalPos)
{
    const QPoint origin = globalPos - QPoint(m_margin, m_margin);
    m_placedAt = origin;
    if (origin != pos())
        move(origin);
}

void GlassPanel::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // A window manager may map a managed window where its own placement policy says (KWin's
    // smart placement puts it in the top-left corner of an empty screen), whatever position
    // the window asked for. The panel belongs beside its icon: put it back, once per showing,
    // so that a window manager that insists is not fought over and over.
    if (m_kind != Kind::ManagedPopover || !isVisible() || !m_placedAt || pos() == *m_placedAt || m_placementRestored)
        return;
    m_placementRestored = true;
    move(*m_placedAt);
}

void GlassPanel::setMargin(int margin)
{
    if (margin == m_margin)
        return;
    // The card stays where it is on screen; the window grows or shrinks around it.
    const int delta = margin - m_margin;
    const QRect frame = geometry();
    m_margin = margin;
    m_shadow = QPixmap();
    if (m_placedAt)
        *m_placedAt -= QPoint(delta, delta);
    setGeometry(frame.adjusted(-delta, -delta, delta, delta));
    if (m_content)
        m_content->move(m_margin, m_margin);
}

void GlassPanel::updateShape()
{
    if (!isVisible() || !windowHandle())
        return;
    // During a delayed shrink the window is taller than the content, and the part below it
    // must not be shown.
    const QRect card = laidOutCard();
    double radius = 0;
    if (auto *glass = qobject_cast<GlassContainer *>(m_content.data()))
        radius = glass->cornerRadius();
    const qreal dpr = devicePixelRatioF();
    const QRect device(QPoint(int(std::lround(card.x() * dpr)), int(std::lround(card.y() * dpr))),
                       (QSizeF(card.size()) * dpr).toSize());
    const QVector<QRect> shape = X11WindowEffects::roundedRects(device, radius * dpr);
    if (m_appliedShape && m_appliedShape->first == m_composited && m_appliedShape->second == shape)
        return;
    m_appliedShape.emplace(m_composited, shape);
    if (m_composited) {
        // The shadow shows but takes no clicks: they go to what lies below it, as anywhere
        // else outside the card. It reaches over the tray's bar, and a compositing shell
        // would otherwise hand a click on the icons there to our window, which never sees it.
        X11WindowEffects::setShape(windowHandle(), {});
        X11WindowEffects::setInputShape(windowHandle(), shape);
        return;
    }
    X11WindowEffects::setInputShape(windowHandle(), {});
    X11WindowEffects::setShape(windowHandle(), shape);
}

void GlassPanel::paintEvent(QPaintEvent *event)
{
    if (!m_margin)
        return;
    // The shadow of the card as far as it is laid out (a card waiting to shrink is shorter
    // than the window), drawn once per size.
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    const QRect cardNow = laidOutCard();
    if (m_shadow.size() != pixels || m_shadow.devicePixelRatio() != dpr || m_shadowCard != cardNow) {
        m_shadowCard = cardNow;
        m_shadow = QPixmap(pixels);
        m_shadow.setDevicePixelRatio(dpr);
        m_shadow.fill(Qt::transparent);
        QPainter sp(&m_shadow);
        sp.setRenderHint(QPainter::Antialiasing);
        double radius = 18;
        if (auto *glass = qobject_cast<GlassContainer *>(m_content.data()))
            radius = glass->cornerRadius();
        QPainterPath card;
        card.addRoundedRect(QRectF(cardNow), radius, radius);
        SoftShadow::paint(sp, card, QColor(0, 0, 0, 110), 9, QPointF(0, 5));
        // Nothing of the shadow under the card: the glass is see-through.
        sp.setCompositionMode(QPainter::CompositionMode_Clear);
        sp.fillPath(card, Qt::transparent);
    }
    // One rectangle at a time, as the card does: a copy under a clip of several rectangles
    // goes span by span through worker threads.
    QPainter p(this);
    for (const QRect &dirty : event->region()) {
        p.setClipRect(dirty);
        p.drawPixmap(QRectF(dirty), m_shadow, QRectF(QPointF(dirty.topLeft()) * dpr, QSizeF(dirty.size()) * dpr));
    }
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

bool GlassPanel::pressedSomewhere(QPoint globalPos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    // Presses on the card go on to it as ordinary events. The shadow around it takes no
    // clicks, so a press there is outside, our own icon under it included (the shadow reaches
    // over the tray's bar).
    if (!isVisible() || m_kind == Kind::Window || laidOutCard().translated(geometry().topLeft()).contains(globalPos))
        return false;
    if (onOutsidePress && onOutsidePress(globalPos, button, modifiers))
        return true;
    hide();
    return false;
}

void GlassPanel::mousePressEvent(QMouseEvent *event)
{
    // Presses on the shadow margin reach here only where its input could not be cut away and
    // no press watcher took them first (no child lies under them): they are outside the card.
    if (!cardRect().contains(event->position().toPoint())) {
        event->accept();
        if (m_kind == Kind::Window)
            return;
        if (onOutsidePress && onOutsidePress(event->globalPosition().toPoint(), event->button(), event->modifiers()))
            return;
        hide();
        return;
    }
    QWidget::mousePressEvent(event);
}

bool GlassPanel::event(QEvent *event)
{
    // Another window took the keyboard (a click on it, Alt+Tab): the panel goes, as a menu
    // would. A menu of our own opening over it takes the keyboard too, and is not that.
    if (event->type() == QEvent::WindowDeactivate && m_kind != Kind::Window && isVisible()
        && !QApplication::activePopupWidget()) {
        QPointer<GlassPanel> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->isVisible() && !self->isActiveWindow() && !QApplication::activePopupWidget())
                self->hide();
        });
    }
    return QWidget::event(event);
}

void GlassPanel::showEvent(QShowEvent *event)
{
    m_placementRestored = false;
    m_composited = X11WindowEffects::compositorActive();
    setMargin(m_composited ? shadowMargin : 0);
    QWidget::showEvent(event);
    qApp->installEventFilter(this);
    m_appliedShape.reset();
    updateShape();
    // Before the window is mapped: the window manager reads these then. Without the extents a
    // window manager keeps the shadow margin inside the work area too, and moves the card
    // away from the icon by as much.
    if (m_kind != Kind::Popover)
        X11WindowEffects::setFrameExtents(windowHandle(), m_margin);
    if (m_kind == Kind::ManagedPopover)
        X11WindowEffects::skipTaskbarAndPager(windowHandle());
    if (m_kind != Kind::Popover && windowHandle())
        windowHandle()->installEventFilter(this);
    // A window of its own closes only when asked.
    if (m_kind != Kind::Window)
        m_presses.arm();
    if (m_kind == Kind::ManagedPopover && m_shieldsDesktop)
        m_desktopShield.show();
}

void GlassPanel::hideEvent(QHideEvent *event)
{
    m_presses.disarm();
    m_desktopShield.hide();
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
