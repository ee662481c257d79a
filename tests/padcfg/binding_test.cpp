/*
 * The run-time binding to the Wintab library: what the panel does with no
 * library, with an entry missing, across unloading, and with a driver that
 * answers with more than a caller's buffer holds.
 */
#include "panel.h"

#include <gtest/gtest.h>

class Binding : public ::testing::Test
{
  protected:
    HWND window = NULL; /* a manager belongs to a window */

    void SetUp() override
    {
        UseTablet("");
        StartCallLog();
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                 GetModuleHandleW(NULL), NULL);
    }
    void TearDown() override
    {
        UnloadWintab();
        DestroyWindow(window);
    }
};

static bool AllUnresolved()
{
    for (int i = 0; i < g_wintabEntryCount; i++)
        if (g_wintabEntries[i].address || g_wintabEntries[i].next)
            return false;
    return true;
}

TEST_F(Binding, WithoutALibraryEveryCallIsZeroAndTheNextCallTriesAgain)
{
    UseDriver(DRIVER_NONE);
    EXPECT_EQ(0u, WTInfoW(0, 0, NULL));
    EXPECT_EQ(NULL, WTMgrOpen(window, WT_DEFBASE));
    EXPECT_TRUE(AllUnresolved());
    UnloadWintab(); /* never loaded: nothing to do */
    EXPECT_TRUE(CallLog().empty());

    /* The driver appears: the same call now loads it. */
    UseDriver(DRIVER_STANDIN);
    EXPECT_NE(0u, WTInfoW(0, 0, NULL));
    std::vector<std::string> log = CallLog();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("load", log[0]);
    EXPECT_EQ(0, FindCall(log, "load"));
    EXPECT_EQ(1, FindCall(log, "WTInfoW(0, 0, NULL)"));
}

TEST_F(Binding, AMissingEntryFailsAloneAndIsLookedUpAgainOnEveryCall)
{
    UseDriver(DRIVER_PARTIAL);
    HMGR mgr = WTMgrOpen(window, WT_DEFBASE);
    ASSERT_NE((HMGR)NULL, mgr);
    EXPECT_FALSE(WTMgrCsrEnable(mgr, 0, TRUE));
    EXPECT_FALSE(WTPacket((HCTX)1, 1, NULL));
    EXPECT_NE(0u, WTInfoW(WTI_DEVICES, DVC_NAME, NULL));
    EXPECT_TRUE(WTMgrClose(mgr));
    EXPECT_EQ(-1, FindCall(CallLog(), "WTMgrCsrEnable"));

    /* A library that has the entry after all is bound on the next call. */
    UseDriver(DRIVER_STANDIN);
    mgr = WTMgrOpen(window, WT_DEFBASE);
    EXPECT_TRUE(WTMgrCsrEnable(mgr, 0, TRUE));
    WTMgrClose(mgr);
}

TEST_F(Binding, UnloadingForgetsEveryEntryAndTheNextCallLoadsAfresh)
{
    UseDriver(DRIVER_STANDIN);
    HMGR mgr = WTMgrOpen(window, WT_DEFBASE);
    ASSERT_NE((HMGR)NULL, mgr);
    WTMgrDefContext(mgr, TRUE);
    WTMgrClose(mgr);
    EXPECT_FALSE(AllUnresolved());

    UnloadWintab();
    EXPECT_TRUE(AllUnresolved());
    EXPECT_EQ("unload", CallLog().back());

    EXPECT_NE(0u, WTInfoW(0, 0, NULL));
    std::vector<std::string> log = CallLog();
    EXPECT_EQ("load", log[log.size() - 2]);
    /* Only the entry called since is bound. */
    int bound = 0;
    for (int i = 0; i < g_wintabEntryCount; i++)
        bound += g_wintabEntries[i].address != NULL;
    EXPECT_EQ(1, bound);
}

TEST_F(Binding, ALongAnswerIsCutToTheCallersBuffer)
{
    UseTablet("[Interface]\r\nLongStrings=1\r\n");
    UseDriver(DRIVER_STANDIN);
    UINT need = WTInfoW(WTI_DEVICES, DVC_NAME, NULL);
    ASSERT_GT(need, 300 * sizeof(WCHAR));

    struct {
        WCHAR name[200];
        BYTE guard[64];
    } buffer;
    memset(&buffer, 0xA5, sizeof(buffer));
    EXPECT_EQ(need, WTInfoCopy(WTI_DEVICES, DVC_NAME, buffer.name, sizeof(buffer.name)));
    for (BYTE b : buffer.guard)
        ASSERT_EQ(0xA5, b);
    EXPECT_NE(0, buffer.name[0]);

    /* An item the driver does not have copies nothing. */
    EXPECT_EQ(0u, WTInfoCopy(WTI_DEVICES + 50, DVC_NAME, buffer.name, sizeof(buffer.name)));

    /* Text is cut and terminated inside the buffer; a name list cut short
       still ends with an empty name. */
    memset(&buffer, 0xA5, sizeof(buffer));
    EXPECT_EQ(198u, WTInfoText(WTI_DEVICES, DVC_NAME, buffer.name, 200));
    EXPECT_EQ(0, buffer.name[199]);
    memset(&buffer, 0xA5, sizeof(buffer));
    WTInfoText(WTI_CURSORS, CSR_BTNNAMES, buffer.name, 200);
    EXPECT_EQ(0, buffer.name[198]);
    EXPECT_EQ(0, buffer.name[199]);
    for (BYTE b : buffer.guard)
        ASSERT_EQ(0xA5, b);
    memset(&buffer, 0xA5, sizeof(buffer));
    EXPECT_EQ(0u, WTInfoText(WTI_DEVICES + 50, DVC_NAME, buffer.name, 200));
    EXPECT_EQ(0xA5A5, buffer.name[0]) << "no answer: the buffer stays as it was";

    /* An answer that grew after its size was asked never reaches past the
       buffer either. */
    InstallMisreports({{WTI_DEVICES, DVC_NAME, 0, std::wstring(205, L'G'), 20}});
    memset(&buffer, 0xA5, sizeof(buffer));
    EXPECT_EQ(198u, WTInfoText(WTI_DEVICES, DVC_NAME, buffer.name, 200));
    for (BYTE b : buffer.guard)
        ASSERT_EQ(0xA5, b);
}
