/* A pointer for the end-to-end tests under a Wayland compositor that has no input device.
 * It creates a virtual pointer on the compositor's seat and takes commands on stdin, one a line:
 *   move X Y     absolute move to output pixel (X, Y) of an output of the size given by --extent
 *   rel DX DY    relative move
 *   press B      press button B (a Linux input code, 272 is the left button)
 *   release B    release button B
 * Each command is sent as one frame; "ok" on stdout says the compositor has received it.
 * It prints "ready" once the pointer exists, and fails with a message when the compositor
 * offers no virtual pointers. */
#include "virtual-pointer-client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct zwlr_virtual_pointer_manager_v1 *manager;
static struct wl_seat *seat;

static void global_added(void *data, struct wl_registry *registry, uint32_t name,
                         const char *interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5);
}

static void global_removed(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global_added, global_removed};

static uint32_t now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

int main(int argc, char **argv)
{
    unsigned width = 1280, height = 800;
    if (argc == 4 && strcmp(argv[1], "--extent") == 0) {
        width = (unsigned)atoi(argv[2]);
        height = (unsigned)atoi(argv[3]);
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "cannot connect to the Wayland display (WAYLAND_DISPLAY)\n");
        return 2;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!manager) {
        fprintf(stderr, "the compositor offers no virtual pointers "
                        "(zwlr_virtual_pointer_manager_v1 is missing)\n");
        return 3;
    }
    if (!seat) {
        fprintf(stderr, "the compositor has no seat\n");
        return 3;
    }
    struct zwlr_virtual_pointer_v1 *pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "the compositor refused the virtual pointer\n");
        return 3;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        double a = 0, b = 0;
        unsigned button = 0;
        if (sscanf(line, "move %lf %lf", &a, &b) == 2)
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), (uint32_t)a, (uint32_t)b,
                                                    width, height);
        else if (sscanf(line, "rel %lf %lf", &a, &b) == 2)
            zwlr_virtual_pointer_v1_motion(pointer, now_ms(), wl_fixed_from_double(a),
                                           wl_fixed_from_double(b));
        else if (sscanf(line, "press %u", &button) == 1)
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), button,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
        else if (sscanf(line, "release %u", &button) == 1)
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), button,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        else {
            fprintf(stderr, "unknown command: %s", line);
            return 4;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "the connection to the compositor broke\n");
            return 5;
        }
        printf("ok\n");
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
