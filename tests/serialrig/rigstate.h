/* The shared state file of the modem-line rig: one struct of 32-bit words.
 * The module end (rig.py) writes the module's lines and their change counts;
 * the preload library writes DTR/RTS and its own counts. Keep in step with
 * the layout in rig.py. */
#pragma once
#include <stdint.h>
#include <sys/ioctl.h>

#define RIG_MAGIC 0x5a524947u /* "ZRIG" */
#define RIG_MODULE_MASK (TIOCM_CAR | TIOCM_RNG | TIOCM_DSR | TIOCM_CTS)
#define RIG_HOST_MASK (TIOCM_DTR | TIOCM_RTS)

struct rig_state {
    uint32_t magic;
    uint32_t module_lines; /* TIOCM_CAR, TIOCM_RNG, TIOCM_DSR, TIOCM_CTS */
    uint32_t cts, dsr, rng, dcd; /* changes of each module line */
    uint32_t gone;               /* set: the device is gone, every request fails with EIO */
    uint32_t host_lines;         /* TIOCM_DTR, TIOCM_RTS as the host set them */
    uint32_t host_changes;
    uint32_t dtr_drops;
    uint32_t requests; /* modem-line requests answered */
    uint32_t waits;    /* TIOCMIWAIT calls */
};
