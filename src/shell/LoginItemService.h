#pragma once

#include <QObject>
#include <memory>

class LoginItemBackend;

// Whether the program starts at login, as the desktop reports it. The two flags are only
// ever derived from the desktop's status, never from what was asked for, so the toggle
// bound to them cannot show a state the system does not have. Main thread only.
class LoginItemService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool needsApproval READ needsApproval NOTIFY needsApprovalChanged)

public:
    // The program's: XDG autostart.
    explicit LoginItemService(QObject *parent = nullptr);
    explicit LoginItemService(std::unique_ptr<LoginItemBackend> backend, QObject *parent = nullptr);
    ~LoginItemService() override;

    bool isEnabled() const { return m_isEnabled; }
    bool needsApproval() const { return m_needsApproval; }

    // Re-reads the desktop's status; changes made elsewhere show up here.
    void refresh();
    // Registers or unregisters, then reads back what the desktop now reports. A failure
    // is absorbed.
    void setEnabled(bool enabled);
    // Where the user approves an entry held back in the desktop's settings.
    void openSystemSettings();

Q_SIGNALS:
    void isEnabledChanged();
    void needsApprovalChanged();

private:
    std::unique_ptr<LoginItemBackend> m_backend;
    bool m_isEnabled = false;
    bool m_needsApproval = false;
};
