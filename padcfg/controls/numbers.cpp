/*
 * Tablet counts, resolutions and display units: the one place where they
 * meet. Lengths and resolutions are shown in inches or centimetres with at
 * most two decimals, and typed lengths are parsed back into counts.
 */
#include "padcfg.h"

/* Every proportional step of the panel goes through here: halving each
   operand keeps MulDiv's signed operands positive for any unsigned value. */
DWORD MulDivHalf(DWORD a, DWORD b, DWORD c)
{
    return 2 * (DWORD)MulDiv((int)(a >> 1), (int)(b >> 1), (int)(c >> 1));
}
