#pragma once

#include "platform/StatusNotifierTypes.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPoint>

class QDBusServiceWatcher;
class StatusNotifierItemAdaptor;

// Our tray item on the session bus. Hosts (Plasma, XFCE, GNOME's AppIndicator extension)
// find it through the StatusNotifierWatcher; when the watcher restarts we register again.
// Every setter publishes only a real change, so a countdown that shows the same text for
// a minute sends nothing.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(const QString &id, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Exports the item and registers it with the watcher, if one runs.
    bool start();
    // A watcher runs, a host is registered with it, and it accepted our item.
    bool isHosted() const { return m_hosted; }
    QString serviceName() const { return m_serviceName; }

    void setIcon(const QIcon &icon);
    void setTitle(const QString &title);
    void setToolTip(const QString &title, const QString &text);
    void setLabel(const QString &label, const QString &guide);

    // Read by the adaptor.
    QString id() const { return m_id; }
    QString title() const { return m_title; }
    SniIconPixmapList iconPixmaps() const { return m_pixmaps; }
    SniToolTip toolTip() const;
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }

    // Called by the adaptor, with the click position in screen coordinates.
    void handleActivate(QPoint at);
    void handleSecondaryActivate(QPoint at, bool ayatana);
    void handleContextMenu(QPoint at);

Q_SIGNALS:
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);
    void hostedChanged(bool hosted);
    // Each attempt to register has its answer, hosted or not.
    void registrationAnswered();

private Q_SLOTS:
    void registerWithWatcher();

private:
    void setHosted(bool hosted);

    QString m_id;
    QString m_serviceName;
    QString m_title;
    QString m_toolTipTitle;
    QString m_toolTipText;
    QString m_label;
    QString m_labelGuide;
    SniIconPixmapList m_pixmaps;
    bool m_hosted = false;
    bool m_started = false;
    StatusNotifierItemAdaptor *m_adaptor = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    QElapsedTimer m_lastAyatanaSecondary;
};
