// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/X11DesktopShield.h"
#include "platform/X11PressWatcher.h"
#include "wake/Clock.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QAbstractButton;

// The floating, frameless, translucent window that hangs under the tray icon and hosts
// the popover. Its width stays fixed; its height follows the content's natural height,
// growing at once and shrinking only after a short pause so a brief collapse-and-expand
// never reaches the screen. Its top edge stays where it is on every resize.
//
// Where a compositor runs, the window is larger than the card by a margin on every side in
// which it draws the card's soft shadow; the margin is not part of the panel, so a click on
// it counts as a click outside and goes on to what lies below. Without a compositor the
// window is cut to the card's rounded shape, so neither the corners nor the part of the
// window below a card waiting to shrink show as black.
//
// A click anywhere outside closes it, like a menu, but unlike a menu it takes no hold of the
// pointer: the click goes on to what it was aimed at (the clock opens its calendar). It sees
// such clicks through an X11PressWatcher, and closes as well when another window takes the
// keyboard focus.
//
// Where no tray shows the icon it stands alone instead: a window of its own that the window
// manager handles, with a close control, closed only by that, by Escape or by its owner.
class GlassPanel : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        // Under the icon, placed by us and kept out of the window manager's hands.
        Popover,
        // Under the icon in a Wayland session, through Xwayland. A compositor gives an
        // unmanaged window no keyboard and tells it nothing of presses on its own surfaces;
        // a managed window, kept above and out of the taskbar, is activated and learns that
        // it lost the keyboard when the user clicks another window. GNOME Shell's top bar
        // takes the keyboard without telling X clients, so a press there goes unnoticed.
        ManagedPopover,
        // No tray: a window of its own.
        Window,
    };

    static constexpr int panelWidth = 300;
    static constexpr int shrinkDelayMs = 400;
    static constexpr int shadowMargin = 24;

    GlassPanel(QWidget *content, Clock &clock);
    ~GlassPanel() override;

    // Called after every height change the panel applies.
    std::function<void()> onResize;
    // Asked about a mouse press outside the panel. Answering true keeps the panel open and
    // takes the press (the owner handled it: a press on our own tray icon); false closes the
    // panel and lets the press go on to what it was aimed at.
    std::function<bool(QPoint globalPos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)> onOutsidePress;

    // A newly measured content height; decides whether and when to resize.
    void requestHeight(qreal measured);
    qreal targetHeight() const { return m_targetHeight; }

    // The card inside the window (window coordinates) and the empty margin around it.
    QRect cardRect() const;
    int margin() const { return m_margin; }
    // Places the window so that the card's top-left corner is at `globalPos`.
    void moveCardTo(QPoint globalPos);
    // The card's size; what the owner positions.
    QSize cardSize() const { return size().shrunkBy(QMargins(m_margin, m_margin, m_margin, m_margin)); }

    QWidget *content() const { return m_content; }

    Kind kind() const { return m_kind; }
    // Takes effect at the next show; a shown panel is hidden first.
    void setKind(Kind kind);
    // Shows the panel with the keyboard.
    void present();
    // Where the desktop's background tells no X client of a press on it (GNOME Shell on
    // Wayland), the panel under the icon lays a clear window over it while open, so that a
    // press there closes the panel too.
    void setShieldsDesktop(bool shields) { m_shieldsDesktop = shields; }

Q_SIGNALS:
    // The panel was hidden, by its owner or by a click outside or Escape.
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool pressedSomewhere(QPoint globalPos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // The card as far as its content is laid out: shorter than cardRect() while a shrink waits.
    QRect laidOutCard() const;
    void setMargin(int margin);
    void updateShape();
    void applyHeight(int height);
    void placeCloseButton();
    void measure();
    int naturalHeight() const;

    QPointer<QWidget> m_content;
    Clock &m_clock;
    Clock::Handle m_pendingShrink;
    qreal m_targetHeight = 0;
    int m_margin = 0;
    bool m_composited = false;
    // What the X server last got, so a layout pass that changes nothing sends nothing; cleared
    // on every show.
    std::optional<std::pair<bool, QVector<QRect>>> m_appliedShape;
    QPixmap m_shadow;
    QRect m_shadowCard;
    X11PressWatcher m_presses;
    X11DesktopShield m_desktopShield;
    bool m_shieldsDesktop = false;
    Kind m_kind = Kind::Popover;
    QAbstractButton *m_close = nullptr;
    // Where the owner put the window, and whether a window manager's own placement was
    // already undone during this showing.
    std::optional<QPoint> m_placedAt;
    bool m_placementRestored = false;
};
