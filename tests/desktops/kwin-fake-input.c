// SPDX-License-Identifier: GPL-3.0-or-later
// Presses and moves as a user would, through KWin's fake-input protocol: real compositor
// input, which reaches Wayland and Xwayland windows and the shell alike. The compositor
// must run with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1. One line on standard input per step,
// answered by "done" once the compositor has it:
//   move X Y | button CODE 1|0 | key CODE 1|0
// Codes are Linux input codes (BTN_LEFT 0x110 = 272, KEY_ESC 1). It keeps its connection
// until its input ends: the compositor lets go of what a client held down when it leaves.
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <string.h>
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

int main(void)
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
    char line[64], what[8];
    int a, b;
    while (fgets(line, sizeof line, stdin)) {
        if (sscanf(line, "%7s %d %d", what, &a, &b) != 3) {
            fprintf(stderr, "kwin-fake-input: cannot read \"%s\"\n", line);
            return 2;
        }
        if (strcmp(what, "move") == 0)
            org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_int(a), wl_fixed_from_int(b));
        else if (strcmp(what, "button") == 0)
            org_kde_kwin_fake_input_button(fake_input, (uint32_t)a, (uint32_t)b);
        else if (strcmp(what, "key") == 0)
            org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)a, (uint32_t)b);
        wl_display_roundtrip(display);
        printf("done\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
