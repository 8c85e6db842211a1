// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLineRunner.h"

#include "config.h"
#include "platform/LinuxWakeStack.h"
#include "platform/ProcessExitWatcher.h"
#include "platform/QSettingsStore.h"
#include "shell/CorvaneBusInterface.h"
#include "shell/SingleInstance.h"
#include "wake/CorvaneTimerService.h"
#include "wake/SignalNotifier.h"
#include "wake/TerminationGuard.h"
#include "wake/TriggerSettings.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTextStream>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
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

// The interface's properties, whoever serves them, as one line or as JSON. Returns the
// exit status: 1 while a period runs that nothing holds.
int printStatus(const QVariantMap &state, bool json)
{
    const bool active = state.value(QStringLiteral("Active")).toBool();
    // A Corvane from before Held existed held whatever it showed as active.
    const bool held = state.value(QStringLiteral("Held"), active).toBool();
    const qint64 remaining = state.value(QStringLiteral("RemainingSeconds")).toLongLong();
    const QString end = state.value(QStringLiteral("EndTime")).toString();
    const QString mode = state.value(QStringLiteral("Mode")).toString();
    const QString heldBy = state.value(QStringLiteral("HeldBy")).toString();
    const QString trigger = state.value(QStringLiteral("Trigger")).toString();
    const int status = active && !held ? exitFailed : 0;
    if (json) {
        const QJsonObject object{{QStringLiteral("active"), active},       {QStringLiteral("held"), held},
                                 {QStringLiteral("remaining"), remaining}, {QStringLiteral("end"), end},
                                 {QStringLiteral("mode"), mode},           {QStringLiteral("heldBy"), heldBy},
                                 {QStringLiteral("trigger"), trigger}};
        say(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        return status;
    }
    if (state.value(QStringLiteral("AssertionFailed")).toBool())
        say(refusal());
    if (!active && !trigger.isEmpty()) {
        QString line = Texts::tr("Keeping this computer awake while %1.").arg(trigger);
        if (held && !heldBy.isEmpty())
            line += QLatin1Char(' ') + Texts::tr("Held by %1.").arg(heldBy);
        say(line);
        return status;
    }
    if (!active) {
        say(Texts::tr("Not keeping this computer awake (%1).").arg(modeWords(mode)));
        return status;
    }
    const QString endClock =
        QDateTime::fromString(end, Qt::ISODate).toLocalTime().time().toString(QStringLiteral("HH:mm"));
    if (!held) {
        say(remaining < 0 ? Texts::tr("This computer is not being kept awake: nothing holds the inhibition. Asking "
                                      "again until turned off (%1).")
                                .arg(modeWords(mode))
                          : Texts::tr("This computer is not being kept awake: nothing holds the inhibition. Asking "
                                      "again for the %1 left, until %2 (%3).")
                                .arg(formatClock(remaining), endClock, modeWords(mode)));
        return status;
    }
    QString line;
    if (remaining < 0) {
        line = Texts::tr("Keeping this computer awake until turned off (%1).").arg(modeWords(mode));
    } else {
        line = Texts::tr("Keeping this computer awake for %1 more, until %2 (%3).")
                   .arg(formatClock(remaining), endClock, modeWords(mode));
    }
    if (!heldBy.isEmpty())
        line += QLatin1Char(' ') + Texts::tr("Held by %1.").arg(heldBy);
    if (!trigger.isEmpty())
        line += QLatin1Char(' ') + Texts::tr("Also while %1.").arg(trigger);
    say(line);
    return status;
}

// Stores the trigger switches for the next Corvane in the tray.
void storeTriggers(const CommandLineRequest &request)
{
    QSettingsStore store;
    TriggerSettings settings(store);
    if (request.whileMedia)
        settings.whileMediaPlays.setOn(*request.whileMedia);
    if (request.whileRemote)
        settings.whileRemoteSession.setOn(*request.whileRemote);
    if (request.whileApps)
        settings.setApplications(*request.whileApps);
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
    const pid_t parent = ::getpid();
    // Should this process be killed outright, the command goes too, as from a closed terminal.
    child.setChildProcessModifier([parent] {
        // Until exec the child still has our handler, which would only write to our pipe.
        ::signal(SIGTERM, SIG_DFL);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::raise(SIGTERM);
    });
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
    enum class Outcome { done, notAwake, noAnswer };
    auto call = [&instance](const QString &method, const QVariantList &args = {}) {
        const QDBusMessage reply = instance.callRunning(method, args);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Outcome::done;
        if (reply.errorName() == CorvaneBusInterface::notAwakeError) {
            complain(reply.errorMessage());
            return Outcome::notAwake;
        }
        complain(Texts::tr("the running Corvane did not answer: %1").arg(reply.errorMessage()));
        return Outcome::noAnswer;
    };
    // A start is answered once it is decided, so the state read afterwards is its own.
    auto start = [&](const QString &method, const QVariantList &args, bool quietly) {
        // Given up on, the request dies with this process: the running Corvane drops a start
        // whose caller has left the bus, whether it gets to it late or is still deciding it.
        const Outcome outcome = call(method, args);
        if (outcome != Outcome::done)
            return exitFailed;
        return quietly ? 0 : printStatus(instance.runningProperties(), false);
    };

    if (request.mode && call(QStringLiteral("SetMode"), {AssertionModes::rawValue(*request.mode)}) != Outcome::done)
        return exitFailed;
    switch (request.action) {
    case Action::start:
        if (request.until)
            return start(QStringLiteral("StartUntil"), {qlonglong(request.until->toSecsSinceEpoch())}, false);
        return start(QStringLiteral("Start"), {uint(request.duration.storedValue())}, false);
    case Action::toggle: return start(QStringLiteral("Toggle"), {}, false);
    case Action::stop: return call(QStringLiteral("Stop")) == Outcome::done ? 0 : exitFailed;
    case Action::status: {
        const QVariantMap state = instance.runningProperties();
        if (state.isEmpty())
            return exitFailed;
        return printStatus(state, request.json);
    }
    case Action::setMode: return 0;
    case Action::setTriggers: {
        QList<std::pair<QString, QVariant>> calls;
        if (request.whileMedia)
            calls.append({QStringLiteral("SetWhileMediaPlays"), *request.whileMedia});
        if (request.whileRemote)
            calls.append({QStringLiteral("SetWhileRemoteSession"), *request.whileRemote});
        if (request.whileApps)
            calls.append({QStringLiteral("SetWhileAppsRun"), *request.whileApps});
        for (const auto &[method, value] : calls) {
            const QDBusMessage reply = instance.callRunning(method, {value});
            // A command line runs the period, not a tray: the next tray reads the settings.
            if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NotSupported")) {
                storeTriggers(request);
                return 0;
            }
            if (reply.type() != QDBusMessage::ReplyMessage) {
                complain(Texts::tr("the running Corvane did not answer: %1").arg(reply.errorMessage()));
                return exitFailed;
            }
        }
        return 0;
    }
    case Action::whilePid:
    case Action::runCommand: {
        // Before the period starts, so that no signal can leave it running.
        SignalRelay relay;
        // Held for as long as this process lives: the running Corvane watches it on the bus.
        if (const int failed = start(QStringLiteral("Hold"), {}, true))
            return failed;
        int status = 0;
        if (request.action == Action::runCommand)
            status = runChild(request.command, relay);
        else
            waitForProcess(pid_t(request.pid), &relay);
        call(QStringLiteral("Release"));
        return status;
    }
    default: return exitBadInput;
    }
}

// Hands what this process keeps awake over to the tray that took the name from it: the
// command's hold (the tray then watches this process, which runs the command on) and a
// period nobody else holds, with its end. Whatever the tray does not take stays here.
// The tray is asked over this process's own connection, which lasts as long as the process:
// the tray watches the caller of Hold and lets go when that connection closes.
void handOver(const SingleInstance &tray, CorvaneTimerService &timer, CorvaneBusInterface &served, const QString &self,
              bool commandRuns)
{
    // A tray just started may be slow to answer; what it is asked takes effect whether or
    // not we wait, so waiting long is what keeps us from holding alongside it.
    constexpr int trayStartingMs = 25000;
    auto ask = [&tray](const QString &method, const QVariantList &args = {}) {
        return tray.callRunning(method, args, trayStartingMs).type() == QDBusMessage::ReplyMessage;
    };
    if (commandRuns) {
        if (!ask(QStringLiteral("Hold")))
            return;
        served.release(self);
    }
    if (!timer.active() || served.holdsAnyone())
        return;
    if (!ask(QStringLiteral("SetMode"), {AssertionModes::rawValue(timer.mode())}))
        return;
    const std::optional<QDateTime> end = timer.endDate();
    if (end ? ask(QStringLiteral("StartUntil"), {qlonglong(end->toSecsSinceEpoch())})
            : ask(QStringLiteral("Start"), {0u}))
        timer.stop();
}

// Keeps the computer awake from this process, serving the interface the tray serves, so
// that a later command line drives this period as it would the tray's and no second
// inhibition is taken. The process lasts as long as its command, the process it waits
// for, or the period (as started, or as changed from elsewhere) does.
int runLocal(SingleInstance &instance, const CommandLineRequest &request)
{
    switch (request.action) {
    case Action::stop: return 0;
    case Action::setTriggers: storeTriggers(request); return 0;
    case Action::setMode:
        QSettingsStore().setString(CorvaneTimerService::modeKey, AssertionModes::rawValue(*request.mode));
        return 0;
    case Action::status: {
        const QString mode = QSettingsStore().string(CorvaneTimerService::modeKey).value_or(QString());
        return printStatus(
            {{QStringLiteral("Active"), false},
             {QStringLiteral("RemainingSeconds"), 0},
             {QStringLiteral("Mode"),
              AssertionModes::rawValue(AssertionModes::fromRawValue(mode).value_or(AssertionMode::displayAndSystem))}},
            request.json);
    }
    default: break;
    }
    // Another command line got there first: it runs the period.
    if (!instance.claim(SingleInstance::Claim::givingWayToTray))
        return runRemote(instance, request);

    const bool ownWork = request.action == Action::whilePid || request.action == Action::runCommand;
    const bool passSignalsOn = request.action == Action::runCommand;
    std::optional<SignalRelay> relay;
    if (passSignalsOn)
        relay.emplace();
    // The wake engine on the platform's inhibitors, without a tray.
    QSettingsStore settings;
    LinuxWakeStack wake(settings, passSignalsOn ? WakeStack::Guard::allButSignals : WakeStack::Guard::allWaysOut);
    CorvaneTimerService &timer = wake.timer();
    if (request.mode)
        timer.setMode(*request.mode);

    // The connection that owns the name, so calls to it reach what is served here.
    QDBusConnection bus = instance.connection();
    CorvaneBusInterface served(timer);
    const QString self = bus.baseService();
    const bool serving = bus.isConnected() && served.publish(bus);
    QObject::connect(&served, &CorvaneBusInterface::quitRequested, &timer, &CorvaneTimerService::stop);
    // A tray may take the name at any moment from here on; what we keep awake goes over to
    // it once our own start is decided.
    bool commandRuns = ownWork;
    bool decided = false;
    bool nameLost = false;
    QDBusServiceWatcher owner(SingleInstance::serviceName, bus, QDBusServiceWatcher::WatchForOwnerChange);
    if (serving)
        QObject::connect(&owner, &QDBusServiceWatcher::serviceOwnerChanged, &timer,
                         [&](const QString &, const QString &, const QString &newOwner) {
                             if (newOwner.isEmpty() || newOwner == self)
                                 return;
                             nameLost = true;
                             if (decided)
                                 handOver(instance, timer, served, self, commandRuns);
                         });

    // The command holds as it would through the tray: a period started or ended from
    // elsewhere meanwhile keeps its own end.
    if (ownWork) {
        if (!serving || !served.hold(self))
            timer.start(WakeDuration::indefinite());
    } else if (request.until) {
        timer.startUntil(*request.until);
    } else {
        timer.start(request.action == Action::toggle ? timer.lastDuration() : request.duration);
    }
    // The inhibition is asked for without blocking; the answer comes through the loop.
    if (timer.starting()) {
        QEventLoop answer;
        QObject::connect(&timer, &CorvaneTimerService::startingChanged, &answer, [&] {
            if (!timer.starting())
                answer.quit();
        });
        answer.exec();
    }
    if (!timer.held()) {
        complain(refusal());
        return exitFailed;
    }
    if (!ownWork)
        printStatus(served.properties(), false);
    decided = true;
    if (nameLost)
        handOver(instance, timer, served, self, commandRuns);

    int status = 0;
    if (request.action == Action::runCommand)
        status = runChild(request.command, *relay);
    else if (request.action == Action::whilePid)
        waitForProcess(pid_t(request.pid));
    if (ownWork) {
        commandRuns = false;
        if (serving)
            served.release(self);
        else
            timer.stop();
    }
    // Until the period ends, however it does; a signal goes out through the guard.
    if (timer.active() || timer.starting()) {
        QEventLoop loop;
        QObject::connect(&timer, &CorvaneTimerService::activeChanged, &loop, [&] {
            if (!timer.active() && !timer.starting())
                loop.quit();
        });
        loop.exec();
    }
    // A command line from now on runs its own period rather than asking this one.
    if (serving)
        bus.unregisterService(SingleInstance::serviceName);
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
    if (request.action == Action::whilePid && pid_t(request.pid) == ::getpid()) {
        complain(Texts::tr("process %1 is this corvane itself: give the id of another process").arg(request.pid));
        return exitBadInput;
    }
    if (request.action == Action::whilePid && !ProcessExitWatcher::exists(pid_t(request.pid))) {
        complain(Texts::tr("no process with id %1").arg(request.pid));
        return exitBadInput;
    }
    SingleInstance instance;
    if (instance.isRunningElsewhere())
        return runRemote(instance, request);
    return runLocal(instance, request);
}
