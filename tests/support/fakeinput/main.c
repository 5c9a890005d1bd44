/* Pointer and keyboard for the end-to-end tests under KDE's kwin, which gives a headless session
 * no input device. It drives kwin's fake-input protocol and takes commands on stdin, one a line,
 * as the tests' virtual pointer does:
 *   move X Y     absolute move to compositor pixel (X, Y)
 *   rel DX DY    relative move
 *   press B      press button B (a Linux input code, 272 is the left button)
 *   release B    release button B
 *   keydown K    press key K (a Linux input code, 15 is Tab)
 *   keyup K      release key K
 * "ok" on stdout says the compositor has received the command. It prints "ready" once kwin
 * has taken it in, and fails with a message when kwin offers no fake input (kwin lets only
 * programs it trusts use it; KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 in kwin's environment lets
 * every program). */
#include "fake-input-client.h"

#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake;
static uint32_t fake_version;

static void global_added(void *data, struct wl_registry *registry, uint32_t name,
                         const char *interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !fake) {
        fake_version = version < 4 ? version : 4;
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, fake_version);
    }
}

static void global_removed(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global_added, global_removed};

int main(void)
{
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "cannot connect to the Wayland display (WAYLAND_DISPLAY)\n");
        return 2;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "the compositor offers no fake input (org_kde_kwin_fake_input is "
                        "missing)\n");
        return 3;
    }
    if (fake_version < 4) {
        fprintf(stderr, "the compositor's fake input is version %u; absolute moves and keys "
                        "need version 4\n", fake_version);
        return 3;
    }
    org_kde_kwin_fake_input_authenticate(fake, "pinmark-fakeinput", "end-to-end tests");
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "the compositor refused the fake input\n");
        return 3;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        double a = 0, b = 0;
        unsigned code = 0;
        if (sscanf(line, "move %lf %lf", &a, &b) == 2)
            org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(a),
                                                            wl_fixed_from_double(b));
        else if (sscanf(line, "rel %lf %lf", &a, &b) == 2)
            org_kde_kwin_fake_input_pointer_motion(fake, wl_fixed_from_double(a),
                                                   wl_fixed_from_double(b));
        else if (sscanf(line, "press %u", &code) == 1)
            org_kde_kwin_fake_input_button(fake, code, WL_POINTER_BUTTON_STATE_PRESSED);
        else if (sscanf(line, "release %u", &code) == 1)
            org_kde_kwin_fake_input_button(fake, code, WL_POINTER_BUTTON_STATE_RELEASED);
        else if (sscanf(line, "keydown %u", &code) == 1)
            org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_PRESSED);
        else if (sscanf(line, "keyup %u", &code) == 1)
            org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        else {
            fprintf(stderr, "unknown command: %s", line);
            return 4;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "the connection to the compositor broke\n");
            return 5;
        }
        printf("ok\n");
    }
    wl_display_disconnect(display);
    return 0;
}
