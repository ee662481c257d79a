/* The installer's formatting, which stands in for the C library's bounded one. */
#include <gtest/gtest.h>

#include <string>

#include "kitinst.h"

TEST(FormatText, FillsAtMostTheBufferAndAlwaysEndsIt)
{
    const std::string dir(300, 'd'), huge(1100, 'h');
    struct Case {
        const char *format;
        const char *text;
        int number;
        int size;
        std::string expected;
    } cases[] = {
        {"%sOEM%i.INF", "C:\\WINDOWS\\INF\\", 42, MAX_PATH, "C:\\WINDOWS\\INF\\OEM42.INF"},
        {"%s\\%.4d", "Enum\\Root\\QUORAXDevice", 7, MAX_PATH, "Enum\\Root\\QUORAXDevice\\0007"},
        {"%s%.3d", "wintab32.", 5, MAX_PATH, "wintab32.005"},
        {"%s%.3d", "wintab32.", 5, 12, "wintab32.00"},
        {"%s%i", dir.c_str(), 1, MAX_PATH, dir.substr(0, MAX_PATH - 1)},
        /* Beyond what the system's formatter writes at all: 1,024 bytes. */
        {"%s%i", huge.c_str(), 1, 2000, huge.substr(0, 1023)},
        {"%s%i", "x", 1, 1, ""},
    };
    for (const Case &c : cases) {
        std::string buf(c.size + 16, '#');
        FormatText(&buf[0], c.size, c.format, c.text, c.number);
        EXPECT_EQ(c.expected, std::string(buf.c_str())) << c.format << " into " << c.size;
        EXPECT_EQ(std::string(16, '#'), buf.substr(c.size)) << "written past the buffer";
    }
}
