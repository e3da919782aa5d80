/*
 * Start-up probe: runs a program on the X display in $DISPLAY, waits for the MapNotify of its
 * first top-level window and prints the nanoseconds from exec to map; then waits until the
 * program's resident memory has settled, prints it, and ends the program.
 *
 * Usage: map_probe PROGRAM [ARG...]
 * Output (one line): map_ns=N cpu_ns=N rss_kb=N
 *   cpu_ns is the processor time all the program's threads had used when the window mapped:
 *   less disturbed than map_ns by other load on the machine, so it helps to tell costs apart.
 *
 * Polling for the window (xdotool search --sync checks every 500 ms) is far too coarse for a
 * start-up of some tens of milliseconds, so the probe listens for the server's own event:
 * with no window manager a top-level window is a child of the root window, and selecting
 * SubstructureNotify on the root before the program starts reports its mapping as it happens.
 */
#define _GNU_SOURCE

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <dirent.h>

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum {
    kMapTimeoutMs = 20000,
    kSampleMs = 20,
    kSettledMs = 300,
    kSettleTimeoutMs = 10000,
};

static long long now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static void sleep_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

/* VmRSS of a process in kB, or -1 once it is gone. */
static long rss_kb(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) {
        return -1;
    }
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kb = strtol(line + 6, NULL, 10);
            break;
        }
    }
    fclose(f);
    return kb;
}

/* Processor time of all threads of a process so far (first field of each schedstat), or -1. */
static long long cpu_ns(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* tasks = opendir(path);
    if (!tasks) {
        return -1;
    }
    long long total = 0;
    const struct dirent* task;
    while ((task = readdir(tasks)) != NULL) {
        if (task->d_name[0] == '.') {
            continue;
        }
        char stat[400];
        snprintf(stat, sizeof stat, "%s/%s/schedstat", path, task->d_name);
        FILE* f = fopen(stat, "r");
        if (f) {
            long long ns = 0;
            if (fscanf(f, "%lld", &ns) == 1) {
                total += ns;
            }
            fclose(f);
        }
    }
    closedir(tasks);
    return total;
}

/* The pid a client wrote into _NET_WM_PID, or 0 when it wrote none. */
static long window_pid(Display* dpy, Window w) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    long pid = 0;
    const Atom net_wm_pid = XInternAtom(dpy, "_NET_WM_PID", False);
    if (XGetWindowProperty(dpy, w, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1) {
        pid = *(long*)data;
    }
    if (data) {
        XFree(data);
    }
    return pid;
}

static void end_program(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        const char* name = getenv("DISPLAY");
        fprintf(stderr, "map_probe: cannot open display %s\n", name ? name : "(unset)");
        return 2;
    }
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False); /* the selection is in force before the program exists */

    pid_t pid;
    const long long start = now_ns();
    const int spawned = posix_spawnp(&pid, argv[1], NULL, NULL, argv + 1, environ);
    if (spawned != 0) {
        fprintf(stderr, "map_probe: cannot run %s: %s\n", argv[1], strerror(spawned));
        return 2;
    }

    const int fd = ConnectionNumber(dpy);
    long long mapped = -1;
    long long cpu = -1;
    while (mapped < 0) {
        while (XPending(dpy) > 0 && mapped < 0) {
            XEvent e;
            XNextEvent(dpy, &e);
            const long long at = now_ns();
            /* Popups are override-redirect; a top-level maps as a plain child of the root. */
            if (e.type == MapNotify && e.xmap.event == root && !e.xmap.override_redirect) {
                const long owner = window_pid(dpy, e.xmap.window);
                if (owner == 0 || owner == pid) {
                    mapped = at - start;
                    cpu = cpu_ns(pid);
                }
            }
        }
        if (mapped >= 0) {
            break;
        }
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            fprintf(stderr, "map_probe: %s ended before mapping a window\n", argv[1]);
            return 1;
        }
        if (now_ns() - start > (long long)kMapTimeoutMs * 1000000LL) {
            fprintf(stderr, "map_probe: no window from %s within %d ms\n", argv[1], kMapTimeoutMs);
            end_program(pid);
            return 1;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        struct timeval wait = {0, 100000};
        select(fd + 1, &readable, NULL, NULL, &wait);
    }

    /* Settled: the same resident size over kSettledMs of samples. */
    long last = rss_kb(pid);
    long stable_ms = 0;
    const long long settle_start = now_ns();
    while (stable_ms < kSettledMs) {
        sleep_ms(kSampleMs);
        const long kb = rss_kb(pid);
        if (kb < 0) {
            fprintf(stderr, "map_probe: %s ended while settling\n", argv[1]);
            return 1;
        }
        stable_ms = kb == last ? stable_ms + kSampleMs : 0;
        last = kb;
        if (now_ns() - settle_start > (long long)kSettleTimeoutMs * 1000000LL) {
            fprintf(stderr, "map_probe: memory of %s did not settle\n", argv[1]);
            break;
        }
    }
    end_program(pid);
    XCloseDisplay(dpy);
    printf("map_ns=%lld cpu_ns=%lld rss_kb=%ld\n", mapped, cpu, last);
    return 0;
}
