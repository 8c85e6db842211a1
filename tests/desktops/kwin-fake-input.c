// SPDX-License-Identifier: GPL-3.0-or-later
// Presses and moves as a user would, through KWin's fake-input protocol: real compositor
// input, which reaches Wayland and Xwayland windows and the shell alike. The compositor
// must run with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1.
//   kwin-fake-input move X Y | button CODE 1|0 | key CODE 1|0 | wait MS ...
// Codes are Linux input codes (BTN_LEFT 0x110 = 272, KEY_ESC 1).
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake_input;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(int argc, char **argv)
{
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kwin-fake-input: no Wayland display\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake_input) {
        fprintf(stderr, "kwin-fake-input: the compositor offers no fake input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "Corvane tests", "drives the desktop like a user");
    for (int i = 1; i < argc; ++i) {
        const char *what = argv[i];
        if (strcmp(what, "move") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_int(atoi(argv[i + 1])),
                                                            wl_fixed_from_int(atoi(argv[i + 2])));
            i += 2;
        } else if (strcmp(what, "button") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_button(fake_input, (uint32_t)atoi(argv[i + 1]), (uint32_t)atoi(argv[i + 2]));
            i += 2;
        } else if (strcmp(what, "key") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)atoi(argv[i + 1]),
                                                 (uint32_t)atoi(argv[i + 2]));
            i += 2;
        } else if (strcmp(what, "wait") == 0 && i + 1 < argc) {
            // A press and its release in one frame look like no press to some clients.
            wl_display_roundtrip(display);
            const long ms = atol(argv[i + 1]);
            const struct timespec pause = {ms / 1000, (ms % 1000) * 1000000};
            nanosleep(&pause, NULL);
            i += 1;
        } else {
            fprintf(stderr, "kwin-fake-input: cannot read \"%s\"\n", what);
            return 2;
        }
    }
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
