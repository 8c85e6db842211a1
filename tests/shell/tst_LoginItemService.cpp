#include "platform/LoginItemBackend.h"
#include "platform/XdgAutostart.h"
#include "shell/LoginItemService.h"

#include <QtTest>

namespace {
using Status = LoginItemBackend::Status;

// A desktop whose answers the test sets; registering moves it to `afterRegister` unless it
// refuses.
class FakeDesktop : public LoginItemBackend {
public:
    struct State {
        Status status = Status::notRegistered;
        Status afterRegister = Status::enabled;
        bool refuse = false;
        int registers = 0;
    };
    explicit FakeDesktop(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    Status status() const override { return m_state->status; }
    bool registerItem() override
    {
        ++m_state->registers;
        if (m_state->refuse)
            return false;
        m_state->status = m_state->afterRegister;
        return true;
    }
    bool unregisterItem() override
    {
        if (m_state->refuse)
            return false;
        m_state->status = Status::notRegistered;
        return true;
    }
    void openSettings() override {}

private:
    std::shared_ptr<State> m_state;
};

struct Observed {
    explicit Observed(LoginItemService &service)
        : enabled(&service, &LoginItemService::isEnabledChanged),
          approval(&service, &LoginItemService::needsApprovalChanged)
    {
    }
    QSignalSpy enabled;
    QSignalSpy approval;
};
} // namespace

class LoginItemServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsFromWhatTheDesktopReports_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("approval");
        QTest::addRow("not registered") << Status::notRegistered << false << false;
        QTest::addRow("enabled") << Status::enabled << true << false;
        QTest::addRow("requires approval") << Status::requiresApproval << false << true;
        QTest::addRow("not found") << Status::notFound << false << false;
    }
    void startsFromWhatTheDesktopReports()
    {
        QFETCH(Status, status);
        QFETCH(bool, enabled);
        QFETCH(bool, approval);
        auto desktop = std::make_shared<FakeDesktop::State>();
        desktop->status = status;
        LoginItemService service(std::make_unique<FakeDesktop>(desktop));
        QCOMPARE(service.isEnabled(), enabled);
        QCOMPARE(service.needsApproval(), approval);
    }

    void registrationHeldForApprovalShowsAsSuch()
    {
        auto desktop = std::make_shared<FakeDesktop::State>();
        desktop->afterRegister = Status::requiresApproval;
        LoginItemService service(std::make_unique<FakeDesktop>(desktop));
        Observed observed(service);
        service.setEnabled(true);
        QVERIFY(!service.isEnabled());
        QVERIFY(service.needsApproval());
        QCOMPARE(observed.enabled.size(), 0);
        QCOMPARE(observed.approval.size(), 1);
        // Asking again registers again: the desktop is asked, not our memory.
        service.setEnabled(true);
        QCOMPARE(desktop->registers, 2);
    }

    void aRefusedChangeShowsWhatTheDesktopStillHas()
    {
        auto desktop = std::make_shared<FakeDesktop::State>();
        desktop->status = Status::enabled;
        LoginItemService service(std::make_unique<FakeDesktop>(desktop));
        Observed observed(service);
        desktop->refuse = true;
        service.setEnabled(false);
        QVERIFY(service.isEnabled());

        desktop->status = Status::notRegistered;
        service.refresh();
        service.setEnabled(true);
        QVERIFY(!service.isEnabled());
        QCOMPARE(observed.enabled.size(), 1);
        QCOMPARE(observed.approval.size(), 0);
    }

    void refreshNotifiesOnlyChanges()
    {
        auto desktop = std::make_shared<FakeDesktop::State>();
        LoginItemService service(std::make_unique<FakeDesktop>(desktop));
        Observed observed(service);
        service.refresh();
        service.refresh();
        QCOMPARE(observed.enabled.size() + observed.approval.size(), 0);

        // Switched off in the desktop's settings meanwhile.
        desktop->status = Status::requiresApproval;
        service.refresh();
        service.refresh();
        QCOMPARE(observed.approval.size(), 1);
        QCOMPARE(observed.enabled.size(), 0);
    }

    void roundTripOnRealAutostartFiles()
    {
        QTemporaryDir home;
        const QString dir = home.filePath(QStringLiteral("autostart"));
        auto *autostart = new XdgAutostart(dir, QStringLiteral("/usr/bin/corvane"));
        const QString entry = autostart->entryPath();
        LoginItemService service{std::unique_ptr<LoginItemBackend>(autostart)};
        QVERIFY(!service.isEnabled());

        service.setEnabled(true);
        QVERIFY(service.isEnabled());
        QVERIFY(QFile::exists(entry));

        QFile file(entry);
        QVERIFY(file.open(QIODevice::Append));
        file.write("Hidden=true\n");
        file.close();
        service.refresh();
        QVERIFY(!service.isEnabled());
        QVERIFY(service.needsApproval());

        service.setEnabled(false);
        QVERIFY(!service.isEnabled());
        QVERIFY(!service.needsApproval());
        QVERIFY(!QFile::exists(entry));
    }
};

QTEST_GUILESS_MAIN(LoginItemServiceTest)
#include "tst_LoginItemService.moc"
