/*
 * The stand-in driver as a test program sees it: copied into a scratch
 * directory of its own, loaded from there with SetDllDirectoryW and bound
 * by ordinal, with its description file and call log beside it.
 */
#ifndef STANDIN_DRIVER_H
#define STANDIN_DRIVER_H

#include "wintab.h"
#include "winsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

typedef UINT(WINAPI *PenEventProc)(UINT cursor, DWORD buttons, LONG x, LONG y);

/* The panel's pointing packet: PK_CURSOR | PK_BUTTONS | PK_X | PK_Y. */
struct PointPacket {
    UINT cursor;
    DWORD buttons;
    LONG x, y;
};

struct Wintab {
    HMODULE module = NULL;
    decltype(&WTInfoW) InfoW;
    decltype(&WTInfoA) InfoA;
    decltype(&WTOpenW) OpenW;
    decltype(&WTClose) Close;
    decltype(&WTPacketsGet) PacketsGet;
    decltype(&WTPacket) Packet;
    decltype(&WTEnable) Enable;
    decltype(&WTOverlap) Overlap;
    decltype(&WTGetW) GetW;
    decltype(&WTSetW) SetW;
    decltype(&WTMgrOpen) MgrOpen;
    decltype(&WTMgrClose) MgrClose;
    decltype(&WTMgrContextEnum) MgrContextEnum;
    decltype(&WTMgrDefContext) MgrDefContext;
    decltype(&WTMgrDeviceConfig) MgrDeviceConfig;
    decltype(&WTMgrCsrEnable) MgrCsrEnable;
    decltype(&WTMgrCsrButtonMap) MgrCsrButtonMap;
    PenEventProc PenEvent;
};

class StandinTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

  public: /* also for the checks that tables of cases hold */
    /* Copies <bin>/<variant>wintab32.dll into the scratch directory and
       loads it from there; variant is "" or "partial\\". */
    bool Load(const wchar_t *variant = L"");
    void Unload();

    /* The description file in the scratch directory, named by the variable;
       UseExample takes one of standin/tablets/. */
    void UseTablet(const std::string &ini);
    bool UseExample(const wchar_t *name);
    std::string TabletText();
    void UseLog();
    std::vector<std::string> LogLines();

    /* A message-only window, for managers and contexts. */
    HWND Window();
    HMGR OpenManager();
    /* Every open context, in enumeration order. */
    std::vector<HCTX> Contexts(HMGR mgr);
    /* The driver's first system context, through the manager. */
    HCTX SystemContext(HMGR mgr);
    HCTX OpenDigitizing(WTPKT pktData, UINT options = CXO_MESSAGES);

    /* Every index 0 to 40 of the categories: the size asked with NULL is what
       is copied, nothing is written past it, and WTInfoW(0, 0, NULL) holds
       the largest. Returns how many items answered. */
    int CheckEveryAnswer(const std::vector<UINT> &categories);

    std::wstring InfoString(UINT category, UINT index);
    std::vector<BYTE> InfoBytes(UINT category, UINT index);

    std::wstring dir;
    std::wstring tabletPath;
    std::wstring logPath;
    Wintab wt;
    std::vector<HWND> windows;
};

/* Takes the first Wintab message for the window, false when none is queued. */
bool TakeWintabMessage(HWND hwnd, UINT msg, MSG *out);

#endif
