/* Times a program from its start until it maps a window on the X display,
 * then ends it.
 *
 *   mapwait [--log FILE] [--timeout SECONDS] -- PROGRAM [ARGS...]
 *
 * Prints one line "<milliseconds from fork to the first map of a top-level
 * window> <peak resident set of the program in KiB> <CPU milliseconds, user
 * and system, the program used>" to standard output, or appends it to FILE.  The program is killed (SIGKILL) as soon as its window is
 * mapped, so it writes nothing on exit.  Exit status 0 when a window was
 * mapped, 1 when the program ended or the time ran out first, 2 on bad use. */
#define _GNU_SOURCE
#include <X11/Xlib.h>

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Seconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(int argc, char** argv)
{
    const char* log = NULL;
    double timeout = 30;
    int i = 1;
    for (; i < argc; ++i) {
        if (strcmp(argv[i], "--log") == 0 && i + 1 < argc) log = argv[++i];
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) timeout = atof(argv[++i]);
        else if (strcmp(argv[i], "--") == 0) { ++i; break; }
        else break;
    }
    if (i >= argc) {
        fprintf(stderr, "usage: mapwait [--log FILE] [--timeout SECONDS] -- PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "mapwait: cannot open the display\n");
        return 2;
    }
    /* Every window mapped as a child of the root: the program's top-level windows. */
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double start = Seconds();
    const pid_t pid = fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        close(ConnectionNumber(display));
        execvp(argv[i], argv + i);
        _exit(127);
    }
    double mapped = -1;
    while (mapped < 0) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && !e.xmap.override_redirect) {
                mapped = Seconds();
                break;
            }
        }
        if (mapped >= 0) break;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            fprintf(stderr, "mapwait: %s ended before it mapped a window\n", argv[i]);
            return 1;
        }
        const double left = start + timeout - Seconds();
        if (left <= 0) {
            fprintf(stderr, "mapwait: no window from %s within %.0f s\n", argv[i], timeout);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return 1;
        }
        struct pollfd p = {ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, left < 0.05 ? (int)(left * 1000) + 1 : 50);
    }
    kill(pid, SIGKILL);
    int status;
    struct rusage usage;
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    FILE* out = log ? fopen(log, "a") : stdout;
    if (!out) return 2;
    const double cpu = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    fprintf(out, "%.3f %ld %.3f\n", (mapped - start) * 1000.0, usage.ru_maxrss, cpu);
    if (log) fclose(out);
    XCloseDisplay(display);
    return 0;
}
