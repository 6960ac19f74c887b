// A mouse for tests on a wlroots compositor that has no input devices: one virtual pointer,
// driven by lines on standard input, each answered with "ok" once the compositor has it.
//
//   move X Y W H   the pointer to (X, Y) of a W x H layout (absolute, logical pixels)
//   press / release   the left button
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "virtual-pointer-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;

static void announced(void* data, struct wl_registry* registry, uint32_t name,
                      const char* interface, uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void withdrawn(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {announced, withdrawn};

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (manager == NULL) {
        fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    wl_display_roundtrip(display);
    printf("ok\n");
    fflush(stdout);

    char line[128];
    uint32_t time = 0;
    while (fgets(line, sizeof line, stdin) != NULL) {
        unsigned x, y, width, height;
        time += 10;
        if (sscanf(line, "move %u %u %u %u", &x, &y, &width, &height) == 4) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
        } else if (strncmp(line, "press", 5) == 0 || strncmp(line, "release", 7) == 0) {
            zwlr_virtual_pointer_v1_button(pointer, time, BTN_LEFT, line[0] == 'p' ? 1 : 0);
        } else {
            fprintf(stderr, "virtual_pointer: not understood: %s", line);
            continue;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) return 1;
        printf("ok\n");
        fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
