// SPDX-License-Identifier: GPL-3.0-or-later
// The glass card against a real X server: the rounded blur region on the window when a
// compositor announces KDE's blur.
#include "TestSupport.h"
#include "ui/GlassContainer.h"
#include "platform/X11WindowEffects.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

class TestGlass : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blurRegionWithCompositor();

private:
    Display *display() const
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->display() : nullptr;
    }
};

void TestGlass::blurRegionWithCompositor()
{
    Display *dpy = display();
    CORVANE_REQUIRE(dpy, "an X server");
    // Pose as a compositor: own the selection and list the blur property as supported.
    const Window root = DefaultRootWindow(dpy);
    const Window owner = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    const QByteArray sel = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    XSetSelectionOwner(dpy, XInternAtom(dpy, sel.constData(), False), owner, CurrentTime);
    const Atom blur = XInternAtom(dpy, "_KDE_NET_WM_BLUR_BEHIND_REGION", False);
    const Atom supported = XInternAtom(dpy, "_NET_SUPPORTED", False);
    XChangeProperty(dpy, root, supported, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(&blur),
                    1);
    XSync(dpy, False);
    QVERIFY(X11WindowEffects::compositorActive());
    QVERIFY(X11WindowEffects::blurBehindSupported());

    QWidget window;
    window.resize(200, 150);
    auto *card = new GlassContainer(18, &window);
    card->setBackdrop({&X11WindowEffects::compositorActive, &X11WindowEffects::applyBlurBehind});
    card->setGeometry(10, 10, 180, 130);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(card->isTranslucent());

    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    XSync(dpy, False);
    QCOMPARE(XGetWindowProperty(dpy, Window(window.winId()), blur, 0, 4096, False, XA_CARDINAL, &type, &format, &count,
                                &after, &data),
             Success);
    QVERIFY(data);
    QCOMPARE(format, 32);
    QCOMPARE(count % 4, 0ul);
    QRegion region;
    const long *v = reinterpret_cast<const long *>(data);
    for (unsigned long i = 0; i < count; i += 4)
        region += QRect(int(v[i]), int(v[i + 1]), int(v[i + 2]), int(v[i + 3]));
    XFree(data);
    const qreal dpr = window.devicePixelRatioF();
    QCOMPARE(region.boundingRect(), QRect(QPoint(10, 10) * dpr, QSize(180, 130) * dpr));
    QVERIFY(!region.contains(QPoint(10, 10) * dpr)); // the rounded corner
    QVERIFY(region.contains(QPoint(100, 75) * dpr));

    X11WindowEffects::clearBlurBehind(card->windowHandle());
    XSetSelectionOwner(dpy, XInternAtom(dpy, sel.constData(), False), None, CurrentTime);
    XDeleteProperty(dpy, root, supported);
    XDestroyWindow(dpy, owner);
    XSync(dpy, False);
}

QTEST_MAIN(TestGlass)
#include "tst_Glass.moc"
