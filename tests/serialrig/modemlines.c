/* Modem lines for a pty that stands in for a serial port, in the Wine
 * processes of a test run (LD_PRELOAD). A pty answers the modem-line ioctls
 * with ENOTTY, so Wine's serial code sees no lines at all; this library
 * answers them for the one pty named by ZEN_RIG_TTY from a small shared
 * state file (ZEN_RIG_STATE) whose module-side lines the test's module end
 * sets and whose DTR/RTS this library writes back. Every other descriptor and
 * request goes to the C library unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "rigstate.h"

typedef int (*ioctl_fn)(int, unsigned long, ...);

static ioctl_fn real_ioctl;
static struct rig_state *state;
static dev_t rig_dev;
static int rig_ready = -1; /* -1 not looked at yet, 0 not in use, 1 in use */

static void rig_init(void)
{
    const char *tty = getenv("ZEN_RIG_TTY");
    const char *file = getenv("ZEN_RIG_STATE");
    struct stat st;
    int fd;
    void *map;

    rig_ready = 0;
    if (!tty || !file || stat(tty, &st) != 0 || !S_ISCHR(st.st_mode))
        return;
    fd = open(file, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return;
    map = mmap(NULL, sizeof(struct rig_state), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED)
        return;
    state = map;
    if (state->magic != RIG_MAGIC)
        return;
    rig_dev = st.st_rdev;
    rig_ready = 1;
}

static int is_rig(int fd)
{
    struct stat st;
    if (rig_ready < 0)
        rig_init();
    return rig_ready == 1 && fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == rig_dev;
}

static uint32_t load(const uint32_t *p) { return __atomic_load_n(p, __ATOMIC_SEQ_CST); }

static int gone(void)
{
    if (load(&state->gone)) {
        errno = EIO;
        return 1;
    }
    return 0;
}

/* The lines as TIOCMGET reports them: the module's and ours. */
static int lines(void)
{
    return (int)((load(&state->module_lines) & RIG_MODULE_MASK) | (load(&state->host_lines) & RIG_HOST_MASK));
}

static void set_host(uint32_t want)
{
    uint32_t old = __atomic_exchange_n(&state->host_lines, want & RIG_HOST_MASK, __ATOMIC_SEQ_CST);
    if (old != (want & RIG_HOST_MASK))
        __atomic_add_fetch(&state->host_changes, 1, __ATOMIC_SEQ_CST);
    if ((old & TIOCM_DTR) && !(want & TIOCM_DTR))
        __atomic_add_fetch(&state->dtr_drops, 1, __ATOMIC_SEQ_CST);
}

static void counts(struct serial_icounter_struct *c)
{
    int i;
    for (i = 0; i < (int)(sizeof *c / sizeof(int)); ++i)
        ((int *)c)[i] = 0;
    c->cts = (int)load(&state->cts);
    c->dsr = (int)load(&state->dsr);
    c->rng = (int)load(&state->rng);
    c->dcd = (int)load(&state->dcd);
}

/* Waits until a line of `mask` changes, as a serial driver's TIOCMIWAIT. */
static int wait_lines(int fd, int mask)
{
    struct serial_icounter_struct before, now;
    const struct timespec tick = {0, 2000000};
    counts(&before);
    __atomic_add_fetch(&state->waits, 1, __ATOMIC_SEQ_CST);
    for (;;) {
        if (gone())
            return -1;
        if (fcntl(fd, F_GETFD) < 0)
            return -1; /* closed under us */
        counts(&now);
        if (((mask & TIOCM_CTS) && now.cts != before.cts) || ((mask & TIOCM_DSR) && now.dsr != before.dsr) ||
            ((mask & TIOCM_RNG) && now.rng != before.rng) || ((mask & TIOCM_CD) && now.dcd != before.dcd))
            return 0;
        nanosleep(&tick, NULL);
    }
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list ap;
    void *arg;

    va_start(ap, request);
    arg = va_arg(ap, void *);
    va_end(ap);
    if (!real_ioctl)
        real_ioctl = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");

    switch (request) {
    case TIOCMGET:
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMIWAIT:
    case TIOCGICOUNT:
    case TIOCSERGETLSR:
        if (!is_rig(fd))
            break;
        if (gone())
            return -1;
        __atomic_add_fetch(&state->requests, 1, __ATOMIC_SEQ_CST);
        switch (request) {
        case TIOCMGET:
            *(int *)arg = lines();
            return 0;
        case TIOCMSET:
            set_host((uint32_t)*(const int *)arg);
            return 0;
        case TIOCMBIS:
            set_host(load(&state->host_lines) | (uint32_t)*(const int *)arg);
            return 0;
        case TIOCMBIC:
            set_host(load(&state->host_lines) & ~(uint32_t)*(const int *)arg);
            return 0;
        case TIOCMIWAIT:
            return wait_lines(fd, (int)(intptr_t)arg);
        case TIOCGICOUNT:
            counts((struct serial_icounter_struct *)arg);
            return 0;
        case TIOCSERGETLSR:
            *(unsigned int *)arg = TIOCSER_TEMT; /* nothing waits to be sent */
            return 0;
        }
        break;
    default:
        break;
    }
    return real_ioctl(fd, request, arg);
}
