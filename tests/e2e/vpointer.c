/* A pointer for a compositor that has none: a headless wlroots seat only
 * gets a pointer when a client offers one, and moving it is the only way to
 * make XWayland send its windows crossing and motion events.
 *
 *   vpointer CMD...   runs the commands, then ends (the pointer goes with it)
 *   vpointer          says "ready" once the pointer exists, then reads one
 *                     command a line from stdin, answers "ok" or "error" a
 *                     line on stdout after the compositor has it, and keeps
 *                     the pointer until stdin ends
 *
 * Commands: abs X Y (layout pixels), rel DX DY, click [BUTTON], down BUTTON,
 * up BUTTON; buttons are Linux codes, 272 left (default), 273 right.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1 *manager;
static struct wl_output *output;
static int extent_w, extent_h;

static void output_geometry(void *data, struct wl_output *o, int32_t x, int32_t y, int32_t pw,
                            int32_t ph, int32_t subpixel, const char *make, const char *model,
                            int32_t transform) {
  (void)data, (void)o, (void)x, (void)y, (void)pw, (void)ph, (void)subpixel, (void)make,
      (void)model, (void)transform;
}

static void output_mode(void *data, struct wl_output *o, uint32_t flags, int32_t w, int32_t h,
                        int32_t refresh) {
  (void)data, (void)o, (void)refresh;
  if (flags & WL_OUTPUT_MODE_CURRENT) {
    extent_w = w;
    extent_h = h;
  }
}

static void output_done(void *data, struct wl_output *o) { (void)data, (void)o; }
static void output_scale(void *data, struct wl_output *o, int32_t f) { (void)data, (void)o, (void)f; }

static const struct wl_output_listener output_listener = {
    .geometry = output_geometry, .mode = output_mode, .done = output_done, .scale = output_scale};

static void global_add(void *data, struct wl_registry *reg, uint32_t name, const char *iface,
                       uint32_t version) {
  (void)data, (void)version;
  if (strcmp(iface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = wl_registry_bind(reg, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  } else if (strcmp(iface, wl_output_interface.name) == 0 && !output) {
    /* One output: its mode is the extent of absolute positions. */
    output = wl_registry_bind(reg, name, &wl_output_interface, 1);
    wl_output_add_listener(output, &output_listener, NULL);
  }
}

static void global_remove(void *data, struct wl_registry *reg, uint32_t name) {
  (void)data, (void)reg, (void)name;
}

static const struct wl_registry_listener registry_listener = {.global = global_add,
                                                              .global_remove = global_remove};

static uint32_t now_ms(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

/* Runs the command in words[0..n); returns how many words it took, 0 when it is not one. */
static int run(struct zwlr_virtual_pointer_v1 *p, char **w, int n) {
  if (n >= 3 && strcmp(w[0], "abs") == 0) {
    long x = strtol(w[1], NULL, 10), y = strtol(w[2], NULL, 10);
    if (x < 0 || y < 0 || x > extent_w || y > extent_h) return 0;
    zwlr_virtual_pointer_v1_motion_absolute(p, now_ms(), (uint32_t)x, (uint32_t)y,
                                            (uint32_t)extent_w, (uint32_t)extent_h);
    zwlr_virtual_pointer_v1_frame(p);
    return 3;
  }
  if (n >= 3 && strcmp(w[0], "rel") == 0) {
    zwlr_virtual_pointer_v1_motion(p, now_ms(), wl_fixed_from_int(atoi(w[1])),
                                   wl_fixed_from_int(atoi(w[2])));
    zwlr_virtual_pointer_v1_frame(p);
    return 3;
  }
  if (n >= 1 && strcmp(w[0], "click") == 0) {
    int takes = n >= 2 && atoi(w[1]) > 0 ? 2 : 1;
    uint32_t b = takes == 2 ? (uint32_t)atoi(w[1]) : 272;
    zwlr_virtual_pointer_v1_button(p, now_ms(), b, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(p);
    zwlr_virtual_pointer_v1_button(p, now_ms(), b, WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(p);
    return takes;
  }
  if (n >= 2 && (strcmp(w[0], "down") == 0 || strcmp(w[0], "up") == 0)) {
    zwlr_virtual_pointer_v1_button(p, now_ms(), (uint32_t)atoi(w[1]),
                                   w[0][0] == 'd' ? WL_POINTER_BUTTON_STATE_PRESSED
                                                  : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(p);
    return 2;
  }
  return 0;
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "vpointer: no Wayland display (WAYLAND_DISPLAY)\n");
    return 1;
  }
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  wl_display_roundtrip(display);
  if (!manager || extent_w <= 0 || extent_h <= 0) {
    fprintf(stderr, "vpointer: the compositor offers no virtual pointer or no output\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1 *pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);

  int status = 0;
  if (argc > 1) {
    for (int i = 1; i < argc;) {
      int took = run(pointer, argv + i, argc - i);
      if (!took) {
        fprintf(stderr, "vpointer: bad command at '%s'\n", argv[i]);
        status = 2;
        break;
      }
      i += took;
    }
    wl_display_roundtrip(display);
  } else {
    wl_display_roundtrip(display);
    printf("ready\n");
    fflush(stdout);
    char line[256];
    while (fgets(line, sizeof line, stdin)) {
      char *words[4];
      int n = 0;
      for (char *t = strtok(line, " \t\r\n"); t && n < 4; t = strtok(NULL, " \t\r\n")) words[n++] = t;
      int ok = n > 0 && run(pointer, words, n) == n;
      if (wl_display_roundtrip(display) < 0) {
        status = 1;
        break;
      }
      printf(ok ? "ok\n" : "error\n");
      fflush(stdout);
    }
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return status;
}
