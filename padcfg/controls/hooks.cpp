/*
 * Enabling and disabling ranges of dialog controls; disabled labels stop
 * answering as labels, so their mnemonics no longer move the focus.
 */
#include "padcfg.h"
