// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLineRunner.h"

#include "config.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"
#include "platform/ProcessExitWatcher.h"
#include "platform/QSettingsStore.h"
#include "shell/CorvaneBusInterface.h"
#include "shell/PowerLayer.h"
#include "shell/SingleInstance.h"
#include "wake/CorvaneTimerService.h"
#include "wake/SignalNotifier.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTextStream>
#include <csignal>
#include <functional>
#include <optional>

namespace {
using Action = CommandLineRequest::Action;

constexpr int exitBadInput = 2;
constexpr int exitFailed = 1;
constexpr int exitCannotRun = 127;

// The command line runs before any window exists; its texts share one context so lupdate
// finds them without a QObject.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CommandLineRunner)
};

void say(const QString &line)
{
    QTextStream(stdout) << line << Qt::endl;
}

void complain(const QString &line)
{
    QTextStream(stderr) << QStringLiteral("corvane: ") << line << Qt::endl;
}

QString refusal()
{
    return Texts::tr("The system refused to keep this computer awake.");
}

QString modeWords(const QString &raw)
{
    return raw == AssertionModes::rawValue(AssertionMode::systemOnly) ? Texts::tr("system only")
                                                                      : Texts::tr("display and system");
}

// The interface's properties, whoever serves them, as one line or as JSON.
void printStatus(const QVariantMap &state, bool json)
{
    const bool active = state.value(QStringLiteral("Active")).toBool();
    const qint64 remaining = state.value(QStringLiteral("RemainingSeconds")).toLongLong();
    const QString end = state.value(QStringLiteral("EndTime")).toString();
    const QString mode = state.value(QStringLiteral("Mode")).toString();
    const QString heldBy = state.value(QStringLiteral("HeldBy")).toString();
    if (json) {
        const QJsonObject object{{QStringLiteral("active"), active},
                                 {QStringLiteral("remaining"), remaining},
                                 {QStringLiteral("end"), end},
                                 {QStringLiteral("mode"), mode},
                                 {QStringLiteral("heldBy"), heldBy}};
        say(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        return;
    }
    if (state.value(QStringLiteral("AssertionFailed")).toBool())
        say(refusal());
    if (!active) {
        say(Texts::tr("Not keeping this computer awake (%1).").arg(modeWords(mode)));
        return;
    }
    QString line;
    if (remaining < 0) {
        line = Texts::tr("Keeping this computer awake until turned off (%1).").arg(modeWords(mode));
    } else {
        const QDateTime endTime = QDateTime::fromString(end, Qt::ISODate).toLocalTime();
        line = Texts::tr("Keeping this computer awake for %1 more, until %2 (%3).")
                   .arg(formatClock(remaining), endTime.time().toString(QStringLiteral("HH:mm")), modeWords(mode));
    }
    if (!heldBy.isEmpty())
        line += QLatin1Char(' ') + Texts::tr("Held by %1.").arg(heldBy);
    say(line);
}

// Takes SIGINT, SIGTERM, SIGHUP and SIGQUIT over from the moment it exists and passes them
// on to the child once there is one (a signal that came earlier goes to it as it starts).
class SignalRelay {
public:
    SignalRelay()
    {
        SignalNotifier &notifier = SignalNotifier::shared();
        for (const int signalNumber : TerminationGuard::handledSignals)
            notifier.watch(signalNumber);
        m_connection = QObject::connect(&notifier, &SignalNotifier::received, &notifier, [this](int signalNumber) {
            if (m_target > 0)
                ::kill(m_target, signalNumber);
            else
                m_pending = signalNumber;
            if (m_onSignal)
                m_onSignal();
        });
    }
    ~SignalRelay() { QObject::disconnect(m_connection); }
    SignalRelay(const SignalRelay &) = delete;
    SignalRelay &operator=(const SignalRelay &) = delete;

    void passOnTo(pid_t target)
    {
        m_target = target;
        if (m_target > 0 && m_pending)
            ::kill(m_target, m_pending);
    }
    bool received() const { return m_pending != 0; }
    // Called after each signal; used where there is no child to pass it to.
    void onSignal(std::function<void()> callback) { m_onSignal = std::move(callback); }

private:
    QMetaObject::Connection m_connection;
    pid_t m_target = 0;
    int m_pending = 0;
    std::function<void()> m_onSignal;
};

// Runs `command` with this process's terminal; signals go on to it. Returns its exit
// status, or 128 + the signal that ended it, as a shell does.
int runChild(const QStringList &command, SignalRelay &relay)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setInputChannelMode(QProcess::ForwardedInputChannel);
    int status = 0;
    QEventLoop loop;
    QObject::connect(&child, &QProcess::started, &loop, [&] { relay.passOnTo(pid_t(child.processId())); });
    QObject::connect(&child, &QProcess::finished, &loop, [&](int code, QProcess::ExitStatus how) {
        relay.passOnTo(0);
        status = how == QProcess::NormalExit ? code : 128 + code;
        loop.quit();
    });
    QObject::connect(&child, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        complain(Texts::tr("cannot run %1: %2").arg(command.first(), child.errorString()));
        status = exitCannotRun;
        loop.quit();
    });
    child.start(command.first(), command.mid(1));
    loop.exec();
    return status;
}

// Until process `pid` ends, or `relay` (if any) hears a signal.
void waitForProcess(pid_t pid, SignalRelay *relay = nullptr)
{
    ProcessExitWatcher watcher(pid);
    QEventLoop loop;
    QObject::connect(&watcher, &ProcessExitWatcher::exited, &loop, &QEventLoop::quit);
    if (relay) {
        relay->onSignal([&loop] { loop.quit(); });
        if (relay->received())
            return;
    }
    loop.exec();
}

int runRemote(const SingleInstance &instance, const CommandLineRequest &request)
{
    auto call = [&instance](const QString &method, const QVariantList &args = {}) {
        const QDBusMessage reply = instance.callRunning(method, args);
        if (reply.type() == QDBusMessage::ErrorMessage)
            complain(Texts::tr("the running Corvane did not answer: %1").arg(reply.errorMessage()));
        return reply.type() == QDBusMessage::ReplyMessage;
    };
    auto reportStart = [&instance](bool quietly) {
        const QVariantMap state = instance.runningProperties();
        if (state.value(QStringLiteral("AssertionFailed")).toBool()) {
            complain(refusal());
            return exitFailed;
        }
        if (!quietly)
            printStatus(state, false);
        return 0;
    };

    if (request.mode && !call(QStringLiteral("SetMode"), {AssertionModes::rawValue(*request.mode)}))
        return exitFailed;
    switch (request.action) {
    case Action::start:
        if (!call(QStringLiteral("Start"), {uint(request.duration.storedValue())}))
            return exitFailed;
        return reportStart(false);
    case Action::toggle:
        if (!call(QStringLiteral("Toggle")))
            return exitFailed;
        return reportStart(false);
    case Action::stop: return call(QStringLiteral("Stop")) ? 0 : exitFailed;
    case Action::status: {
        const QVariantMap state = instance.runningProperties();
        if (state.isEmpty())
            return exitFailed;
        printStatus(state, request.json);
        return 0;
    }
    case Action::setMode: return 0;
    case Action::whilePid:
    case Action::runCommand: {
        // Before the period starts, so that no signal can leave it running.
        SignalRelay relay;
        if (!call(QStringLiteral("Start"), {0u}))
            return exitFailed;
        if (const int refused = reportStart(true)) {
            call(QStringLiteral("Stop"));
            return refused;
        }
        int status = 0;
        if (request.action == Action::runCommand)
            status = runChild(request.command, relay);
        else
            waitForProcess(pid_t(request.pid), &relay);
        call(QStringLiteral("Stop"));
        return status;
    }
    default: return exitBadInput;
    }
}

// The wake engine on the platform's inhibitors, without a tray.
struct HeadlessWake {
    PowerLayer &power = PowerLayer::build();
    QSettingsStore settings;
    CorvaneTimerService timer{power.manager, settings, TimerServiceEnvironment{power.clock, power.events}};
};

int runLocal(const CommandLineRequest &request)
{
    switch (request.action) {
    case Action::stop: return 0;
    case Action::setMode:
        QSettingsStore().setString(CorvaneTimerService::modeKey, AssertionModes::rawValue(*request.mode));
        return 0;
    case Action::status: {
        const QString mode = QSettingsStore().string(CorvaneTimerService::modeKey).value_or(QString());
        printStatus(
            {{QStringLiteral("Active"), false},
             {QStringLiteral("RemainingSeconds"), 0},
             {QStringLiteral("Mode"),
              AssertionModes::rawValue(AssertionModes::fromRawValue(mode).value_or(AssertionMode::displayAndSystem))}},
            request.json);
        return 0;
    }
    default: break;
    }

    const bool passSignalsOn = request.action == Action::runCommand;
    std::optional<SignalRelay> relay;
    if (passSignalsOn)
        relay.emplace();
    static HeadlessWake *wake = new HeadlessWake; // kept past main(), like the power layer
    CorvaneTimerService &timer = wake->timer;
    BusConnections &buses = wake->power.inhibitors.buses();
    TerminationGuard::install({wake->power.manager, wake->power.events, &wake->power.delayLock, !passSignalsOn,
                               [&buses] { flushOnTheWayOut(buses); }});
    if (request.mode)
        timer.setMode(*request.mode);

    WakeDuration duration = request.duration;
    if (request.action == Action::toggle)
        duration = timer.lastDuration();
    else if (request.action == Action::whilePid || request.action == Action::runCommand)
        duration = WakeDuration::indefinite();
    timer.start(duration);
    // The inhibition is asked for without blocking; the answer comes through the loop.
    if (timer.starting()) {
        QEventLoop answer;
        QObject::connect(&timer, &CorvaneTimerService::startingChanged, &answer, [&] {
            if (!timer.starting())
                answer.quit();
        });
        answer.exec();
    }
    if (timer.assertionFailed() || !timer.active()) {
        complain(refusal());
        return exitFailed;
    }
    if (request.action == Action::start || request.action == Action::toggle)
        printStatus(CorvaneBusInterface(timer).properties(), false);

    int status = 0;
    if (request.action == Action::runCommand) {
        status = runChild(request.command, *relay);
    } else if (request.action == Action::whilePid) {
        waitForProcess(pid_t(request.pid));
    } else {
        // Until the period ends; a signal goes out through the guard.
        QEventLoop loop;
        QObject::connect(&timer, &CorvaneTimerService::activeChanged, &loop, [&] {
            if (!timer.active())
                loop.quit();
        });
        loop.exec();
    }
    timer.stop();
    return status;
}
} // namespace

int CommandLineRunner::run(const CommandLineRequest &request)
{
    switch (request.action) {
    case Action::help: QTextStream(stdout) << CommandLine::helpText(); return 0;
    case Action::version: say(QStringLiteral("corvane " CORVANE_VERSION " (" CORVANE_BUILD_NUMBER ")")); return 0;
    case Action::invalid: complain(request.error); return exitBadInput;
    case Action::launchTray: return exitBadInput;
    default: break;
    }
    if (request.action == Action::whilePid && !ProcessExitWatcher::exists(pid_t(request.pid))) {
        complain(Texts::tr("no process with id %1").arg(request.pid));
        return exitBadInput;
    }
    const SingleInstance instance;
    if (instance.isRunningElsewhere())
        return runRemote(instance, request);
    return runLocal(request);
}
