/*
 * The Information dialog: what the driver reports about the tablet, in the
 * units the user chooses, which the Setup dialog then shares.
 */
#include "padcfg.h"

int g_units;
