// SPDX-License-Identifier: GPL-3.0-or-later
// The service shows only what the desktop reports, and tells observers only of changes.
#include "platform/LoginItemBackend.h"
#include "shell/LoginItemService.h"

#include <QtTest>

namespace {
using Status = LoginItemBackend::Status;

// A desktop whose answers the test sets; a register it accepts leads to `afterRegister`.
struct FakeDesktop : LoginItemBackend {
    Status current = Status::notRegistered;
    Status afterRegister = Status::enabled;
    bool refuse = false;

    Status status() const override { return current; }
    bool registerItem() override
    {
        if (!refuse)
            current = afterRegister;
        return !refuse;
    }
    bool unregisterItem() override
    {
        if (!refuse)
            current = Status::notRegistered;
        return !refuse;
    }
    void openSettings() override {}
};
} // namespace

class LoginItemServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_desktop = new FakeDesktop;
        m_service = std::make_unique<LoginItemService>(std::unique_ptr<LoginItemBackend>(m_desktop));
        m_enabledSpy = std::make_unique<QSignalSpy>(m_service.get(), &LoginItemService::isEnabledChanged);
        m_approvalSpy = std::make_unique<QSignalSpy>(m_service.get(), &LoginItemService::needsApprovalChanged);
    }

    void registrationHeldForApprovalShowsAsSuch()
    {
        m_desktop->afterRegister = Status::requiresApproval;
        m_service->setEnabled(true);
        QVERIFY(!m_service->isEnabled());
        QVERIFY(m_service->needsApproval());
        QCOMPARE(m_enabledSpy->size(), 0);
        QCOMPARE(m_approvalSpy->size(), 1);
    }

    void aRefusedChangeShowsWhatTheDesktopStillHas()
    {
        m_service->setEnabled(true);
        m_desktop->refuse = true;
        m_service->setEnabled(false);
        QVERIFY(m_service->isEnabled());
        QCOMPARE(m_enabledSpy->size(), 1);
    }

    void refreshNotifiesOnlyChanges()
    {
        m_service->refresh();
        QCOMPARE(m_enabledSpy->size() + m_approvalSpy->size(), 0);
        // Switched off in the desktop's settings meanwhile.
        m_desktop->current = Status::requiresApproval;
        m_service->refresh();
        m_service->refresh();
        QCOMPARE(m_approvalSpy->size(), 1);
        QCOMPARE(m_enabledSpy->size(), 0);
    }

private:
    FakeDesktop *m_desktop = nullptr;
    std::unique_ptr<LoginItemService> m_service;
    std::unique_ptr<QSignalSpy> m_enabledSpy;
    std::unique_ptr<QSignalSpy> m_approvalSpy;
};

QTEST_GUILESS_MAIN(LoginItemServiceTest)
#include "tst_LoginItemService.moc"
