// Prints the cost of painting the picker while both wheels turn, at 1x and 2x.
//   QT_QPA_PLATFORM=offscreen build/tests/ui_wheel/wheel_picker_bench
#include "ui/DurationWheelPicker.h"
#include "ui/WheelClock.h"
#include "ui/WheelColumn.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>

namespace {
class SteppedClock : public WheelClock {
public:
    double t = 0;
    double now() const override { return t; }

protected:
    void setRunning(bool) override {}
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    for (const int scale : {1, 2}) {
        SteppedClock clock;
        DurationWheelPicker picker(clock);
        picker.resize(240, 130);
        picker.show();
        QImage target(240 * scale, 130 * scale, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(scale);
        constexpr int frames = 600;
        QElapsedTimer timer;
        qint64 total = 0;
        int rows = 0;
        for (int i = 0; i < frames; ++i) {
            if (i % 60 == 0) {
                picker.setValue((i / 60) * 4 % 48, (i / 60) * 7 % 60);
            }
            clock.t += 1.0 / 60.0;
            Q_EMIT clock.frame();
            target.fill(Qt::black);
            timer.start();
            picker.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
            total += timer.nsecsElapsed();
            rows += picker.hoursColumn()->paintedRows() + picker.minutesColumn()->paintedRows();
        }
        std::printf("scale %dx: %.3f ms per frame (both wheels), %.1f rows painted per frame, %d frames\n", scale,
                    static_cast<double>(total) / frames / 1e6, static_cast<double>(rows) / frames, frames);
    }
    return 0;
}
