/*
 * The four functions that the compiler calls on its own, even in a program
 * that never names them (structure copies, ZeroMemory, CopyMemory): with no C
 * runtime they must come from here. Built with -fno-builtin and without loop
 * pattern detection, or the compiler would turn these loops back into calls
 * to themselves.
 */
#include <stddef.h>

extern "C" {

void *memcpy(void *dest, const void *src, size_t n)
{
    unsigned char *d = (unsigned char *)dest;
    const unsigned char *s = (const unsigned char *)src;
    while (n--)
        *d++ = *s++;
    return dest;
}

void *memmove(void *dest, const void *src, size_t n)
{
    unsigned char *d = (unsigned char *)dest;
    const unsigned char *s = (const unsigned char *)src;
    if (d < s) {
        while (n--)
            *d++ = *s++;
    } else {
        while (n--)
            d[n] = s[n];
    }
    return dest;
}

void *memset(void *dest, int c, size_t n)
{
    unsigned char *d = (unsigned char *)dest;
    while (n--)
        *d++ = (unsigned char)c;
    return dest;
}

int memcmp(const void *a, const void *b, size_t n)
{
    const unsigned char *p = (const unsigned char *)a;
    const unsigned char *q = (const unsigned char *)b;
    for (; n; n--, p++, q++)
        if (*p != *q)
            return *p - *q;
    return 0;
}
}
