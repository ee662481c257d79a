/*
 * The Features dialog: which cursor type of the tablet the driver treats as
 * the one in use.
 */
#include "padcfg.h"
