// SPDX-License-Identifier: GPL-3.0-or-later
// gallery --out DIR [--scale N]: draws the whole panel in each of its states, translucent
// over a white and a black window, then each widget of it in each of its states on the glass
// card's colours, one PNG per state.
#include "ManualClock.h"
#include "ui/CorvaneStyles.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassContainer.h"
#include "ui/GlassPopoverView.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Inhibitor.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SettingsStore.h"
#include "wake/SystemEvents.h"
#include "ui/Icons.h"
#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/PulseDot.h"
#include "ui/WakeSwitch.h"

#include <QApplication>
#include <QMap>
#include <QLayout>
#include <QVariant>
#include <QCommandLineParser>
#include <QDir>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace {

// It starts an hour after boot, a whole number of both pulse periods (1.8 s and 3.2 s).
ManualClock g_clock;
QString g_out;
qreal g_scale = 2.0;
QTextStream g_log(stdout);

// The widget on an opaque glass card, so translucent layers read as they will on screen.
void save(QWidget &w, const QString &name)
{
    const QSize size = w.size() + QSize(24, 24);
    QImage img(size * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    {
        GlassContainer card(12);
        card.setTranslucent(false);
        card.resize(size);
        card.render(&img);
        QPainter p(&img);
        w.render(&p, QPoint(12, 12), QRegion(), QWidget::DrawChildren);
    }
    const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
    img.save(path);
    g_log << path << '\n';
}

void settle()
{
    g_clock.advance(std::chrono::milliseconds(1500));
}

void press(QWidget &w, QPoint at)
{
    QMouseEvent e(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

void release(QWidget &w, QPoint at)
{
    QMouseEvent e(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

void switches()
{
    struct State {
        const char *name;
        bool on;
        double fill;
        QColor accent;
        const char *title;
        const char *subtitle;
    };
    const State states[] = {
        {"switch-idle", false, 0.0, CorvaneStyles::amber(), "IDLE", "Click to keep this Mac awake"},
        {"switch-on-full", true, 1.0, CorvaneStyles::amber(), "AWAKE", "Until 14:35"},
        {"switch-on-half", true, 0.5, CorvaneStyles::amber(), "AWAKE", "Until 14:35"},
        {"switch-on-0.51", true, 0.51, CorvaneStyles::amber(), "AWAKE", "Until 14:35"},
        {"switch-on-0.1", true, 0.1, CorvaneStyles::amber(), "AWAKE", "Until 09:05"},
        {"switch-indefinite-cyan", true, 1.0, CorvaneStyles::cyan(), "AWAKE", "Until turned off"},
        {"switch-off-knob-at-0.8", false, 0.8, CorvaneStyles::amber(), "IDLE", "Click to keep this Mac awake"},
    };
    for (const State &s : states) {
        WakeSwitch w(g_clock);
        w.resize(268 + 32, w.height());
        w.setAccent(s.accent);
        w.setTitle(QString::fromUtf8(s.title));
        w.setSubtitle(QString::fromUtf8(s.subtitle));
        w.setProgress(s.fill);
        w.setOn(s.on);
        w.show();
        settle();
        save(w, QString::fromLatin1(s.name));
        if (s.on && s.fill == 1.0 && s.accent == CorvaneStyles::amber()) {
            // The glow at the low point of its breath, and the pressed state.
            g_clock.advance(std::chrono::milliseconds(1600));
            save(w, QStringLiteral("switch-on-glow-low"));
            g_clock.advance(std::chrono::milliseconds(1600));
            press(w, w.trackRect().center().toPoint());
            settle();
            save(w, QStringLiteral("switch-on-pressed"));
            release(w, w.trackRect().center().toPoint());
            settle();
        }
        w.hide();
    }
    // Mid-animation frames of switching on, for judging the spring.
    WakeSwitch w(g_clock);
    w.resize(300, w.height());
    w.setTitle(QStringLiteral("AWAKE"));
    w.setSubtitle(QStringLiteral("Until 14:35"));
    w.show();
    settle();
    w.setOn(true);
    w.setProgress(1.0);
    for (int i = 1; i <= 3; ++i) {
        g_clock.advance(std::chrono::milliseconds(150));
        save(w, QStringLiteral("switch-turning-on-%1ms").arg(i * 150));
    }
}

void pills()
{
    struct State {
        const char *name;
        bool selected;
        bool hover;
        bool pressed;
        QColor accent;
        const char *title;
    };
    const State states[] = {
        {"pill-rest", false, false, false, CorvaneStyles::amber(), "15 min"},
        {"pill-hover", false, true, false, CorvaneStyles::amber(), "1 h"},
        {"pill-selected", true, false, false, CorvaneStyles::amber(), "4 h"},
        {"pill-selected-hover", true, true, false, CorvaneStyles::amber(), "8 h"},
        {"pill-selected-cyan", true, false, false, CorvaneStyles::cyan(), "24 h"},
        {"pill-pressed", false, true, true, CorvaneStyles::amber(), "\u221E"},
    };
    for (const State &s : states) {
        PresetPill p(QString::fromUtf8(s.title), g_clock);
        p.resize(84 + 16, p.height());
        p.setAccent(s.accent);
        p.setSelected(s.selected);
        p.show();
        if (s.hover) {
            const QPointF c = p.capsuleRect().center();
            QEnterEvent e(c, c, p.mapToGlobal(c));
            QCoreApplication::sendEvent(&p, &e);
        }
        if (s.pressed)
            press(p, p.capsuleRect().center().toPoint());
        settle();
        save(p, QString::fromLatin1(s.name));
        if (s.pressed)
            release(p, p.capsuleRect().center().toPoint());
    }
}

void dots()
{
    const struct {
        const char *name;
        bool active;
        QColor color;
        double phase;
    } states[] = {
        {"dot-inactive", false, CorvaneStyles::amber(), 0.0},
        {"dot-active-start", true, CorvaneStyles::amber(), 0.0},
        {"dot-active-half", true, CorvaneStyles::amber(), 0.9},
        {"dot-active-late", true, CorvaneStyles::amber(), 1.5},
        {"dot-active-cyan-half", true, CorvaneStyles::cyan(), 0.9},
    };
    for (const auto &s : states) {
        const double start = g_clock.frameTime();
        g_clock.sleep(std::chrono::duration<double>(std::floor(start / 1.8) * 1.8 + 1.8 + s.phase - start));
        PulseDot d(g_clock);
        d.setColor(s.color);
        d.setActive(s.active);
        save(d, QString::fromLatin1(s.name));
    }
}

void bars()
{
    const struct {
        const char *name;
        double value;
        QColor accent;
    } states[] = {
        {"bar-full", 1.0, CorvaneStyles::amber()},      {"bar-half", 0.5, CorvaneStyles::amber()},
        {"bar-zero-stub", 0.0, CorvaneStyles::amber()}, {"bar-nan-stub", std::nan(""), CorvaneStyles::amber()},
        {"bar-cyan-0.75", 0.75, CorvaneStyles::cyan()},
    };
    for (const auto &s : states) {
        ProgressBar b(g_clock);
        b.resize(268 + 8, b.height());
        b.setAccent(s.accent);
        b.setValue(s.value);
        settle();
        save(b, QString::fromLatin1(s.name));
    }
}

void icons()
{
    const QStringList names = Icons::names();
    for (const QColor &c : {QColor(Qt::white), CorvaneStyles::amber()}) {
        QWidget sheet;
        sheet.resize(int(names.size()) * 28 + 4, 60);
        QImage img(sheet.size() * g_scale, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(g_scale);
        img.fill(GlassContainer::materialBase(false, false));
        QPainter p(&img);
        int x = 6;
        for (const QString &n : names) {
            // One row at the panel's sizes: 18 and 13 points.
            p.drawImage(QPointF(x, 6), Icons::image(n, 18, c, g_scale));
            p.drawImage(QPointF(x + 2, 36), Icons::image(n, 13, c, g_scale));
            x += 28;
        }
        p.end();
        const QString name = c == QColor(Qt::white) ? QStringLiteral("icons-white") : QStringLiteral("icons-amber");
        const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
        img.save(path);
        g_log << path << '\n';
    }
}

// Just enough of the world for a real timer service: an inhibitor that always says yes or
// always no, settings in memory, a clock and a ticker moved by hand.
class GalleryInhibitor : public Inhibitor {
public:
    bool refuse = false;
    QString name() const override { return QStringLiteral("Gallery"); }
    std::unique_ptr<Grant> request(AssertionMode, const QString &) override
    {
        if (refuse)
            return refusedGrant(QStringLiteral("refused for the picture"));
        auto grant = std::make_unique<Held>();
        grant->hold();
        return grant;
    }

private:
    class Held : public Grant {
    public:
        void hold() { markGranted(QStringLiteral("Gallery")); }

    protected:
        void giveBack(State) override {}
    };
};

class MemorySettings : public SettingsStore {
public:
    QMap<QString, QVariant> values;
    bool contains(const QString &key) const override { return values.contains(key); }
    std::optional<qint64> integer(const QString &key) const override
    {
        return values.contains(key) ? std::optional(values[key].toLongLong()) : std::nullopt;
    }
    std::optional<QString> string(const QString &key) const override
    {
        return values.contains(key) ? std::optional(values[key].toString()) : std::nullopt;
    }
    void setInteger(const QString &key, qint64 value) override { values[key] = value; }
    void setString(const QString &key, const QString &value) override { values[key] = value; }
    std::optional<QStringList> stringList(const QString &key) const override
    {
        return values.contains(key) ? std::optional(values[key].toStringList()) : std::nullopt;
    }
    void setStringList(const QString &key, const QStringList &value) override { values[key] = value; }
};

// The whole panel in every state, as the user sees it under a compositor: translucent, over
// a white and over a black window.
void panels()
{
    struct State {
        const char *name;
        AssertionMode mode;
        int minutes; // 0 idle, -1 until turned off
        bool refused;
        bool custom;
    };
    const State states[] = {
        {"panel-idle", AssertionMode::displayAndSystem, 0, false, false},
        {"panel-timed", AssertionMode::displayAndSystem, 60, false, false},
        {"panel-timed-system", AssertionMode::systemOnly, 240, false, false},
        {"panel-indefinite", AssertionMode::displayAndSystem, -1, false, false},
        {"panel-refused", AssertionMode::displayAndSystem, 0, true, false},
        {"panel-custom-open", AssertionMode::displayAndSystem, 0, false, true},
    };
    for (const State &s : states) {
        GalleryInhibitor inhibitor;
        PowerAssertionManager manager(inhibitor, nullptr, g_clock);
        MemorySettings settings;
        SystemEvents events;
        g_clock.setWallNow(QDateTime(QDate(2024, 5, 16), QTime(15, 0)));
        CorvaneTimerService timer(manager, settings, TimerServiceEnvironment{g_clock, events});
        timer.setMode(s.mode);
        GlassPopoverView view(timer, g_clock, {});
        auto *section = new CustomDurationSection(timer, settings, g_clock);
        view.setCustomSection(section);
        inhibitor.refuse = s.refused;
        if (s.minutes || s.refused)
            timer.start(s.minutes > 0 ? WakeDuration::minutes(s.minutes)
                                      : (s.refused ? WakeDuration::minutes(60) : WakeDuration::indefinite()));
        QCoreApplication::processEvents();
        g_clock.advance(std::chrono::seconds(61));
        view.resize(view.sizeHint());
        view.setTranslucent(true);
        view.show();
        section->setShowCustom(s.custom);
        g_clock.advance(std::chrono::milliseconds(1500));
        // The custom editor takes its room once shown; measure again.
        view.layout()->activate();
        view.resize(view.sizeHint());
        g_clock.advance(std::chrono::milliseconds(100));
        for (const QColor &behind : {QColor(Qt::white), QColor(Qt::black)}) {
            QImage img((view.size() + QSize(48, 48)) * g_scale, QImage::Format_ARGB32_Premultiplied);
            img.setDevicePixelRatio(g_scale);
            img.fill(behind);
            view.render(&img, QPoint(24, 24), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
            const QString path = QDir(g_out).filePath(
                QString::fromLatin1(s.name)
                + (behind == Qt::white ? QStringLiteral("-over-white.png") : QStringLiteral("-over-black.png")));
            img.save(path);
            g_log << path << '\n';
        }
        view.hide();
        timer.stop();
    }
}

void card()
{
    GlassContainer c(18);
    c.setTranslucent(false);
    c.resize(300, 160);
    QImage img(c.size() * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    c.render(&img);
    const QString path = QDir(g_out).filePath(QStringLiteral("glass-card-opaque.png"));
    img.save(path);
    g_log << path << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders every widget state to PNG files."));
    parser.addHelpOption();
    QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("DIR"),
                           QStringLiteral("gallery"));
    QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Pixel ratio (default 2)."), QStringLiteral("N"),
                             QStringLiteral("2"));
    parser.addOption(out);
    parser.addOption(scale);
    parser.process(app);
    g_out = parser.value(out);
    g_scale = std::max(1.0, parser.value(scale).toDouble());
    if (!QDir().mkpath(g_out)) {
        std::fprintf(stderr, "gallery: cannot create %s\n", qPrintable(g_out));
        return 1;
    }
    panels();
    switches();
    pills();
    dots();
    bars();
    icons();
    card();
    return 0;
}
