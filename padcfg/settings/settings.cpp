/*
 * The tablet settings the panel edits, read from and written back to the
 * driver's system contexts and the active cursor's button map.
 */
#include "padcfg.h"
