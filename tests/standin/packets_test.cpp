/*
 * Packets: the simulated pen, queues, WTPacket and the overlap order.
 */
#include "driver.h"

/* Every field up to PK_Y but the time, as a program declares it: 36 bytes of
   fields, padded to 40 on x86_64. */
struct FullPacket {
    HCTX context;
    UINT status;
    WTPKT changed;
    UINT serial;
    UINT cursor;
    DWORD buttons;
    LONG x, y;
};
static const WTPKT kFull = 0x01FF & ~PK_TIME;

TEST_F(StandinTest, PenReachesTheTopContextAsAMessageAndAPacket)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(0x1E0);
    ASSERT_TRUE(ctx);
    HWND owner = windows.back();

    UINT serial = wt.PenEvent(1, 1, 1000, 2000);
    ASSERT_NE(0u, serial);
    MSG msg;
    ASSERT_TRUE(TakeWintabMessage(owner, WT_PACKET(WT_DEFBASE), &msg));
    EXPECT_EQ(serial, msg.wParam);
    EXPECT_EQ((LPARAM)ctx, msg.lParam);

    PointPacket p = {};
    ASSERT_TRUE(wt.Packet(ctx, serial, &p));
    EXPECT_EQ(1u, p.cursor);
    EXPECT_EQ(1u, p.buttons);
    EXPECT_EQ(1000, p.x);
    EXPECT_EQ(11999 - 2000, p.y); /* the negative extent counts y from the top */
    EXPECT_FALSE(wt.Packet(ctx, serial, &p));

    /* Positions outside the input area are held at its edge. */
    wt.PenEvent(0, 0, 20000, -5);
    ASSERT_EQ(1, wt.PacketsGet(ctx, 10, &p));
    EXPECT_EQ(11999, p.x);
    EXPECT_EQ(11999, p.y);

    /* Without CXO_MESSAGES the packet is queued but not announced. */
    HCTX quiet = OpenDigitizing(0x1E0, 0);
    serial = wt.PenEvent(0, 0, 5, 5);
    EXPECT_FALSE(TakeWintabMessage(windows.back(), WT_PACKET(WT_DEFBASE), &msg));
    EXPECT_TRUE(wt.Packet(quiet, serial, NULL));
}

TEST_F(StandinTest, WTPacketRemovesThatPacketAndOlderOnes)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(0x1E0);
    UINT s1 = wt.PenEvent(0, 0, 1, 1);
    UINT s2 = wt.PenEvent(0, 0, 2, 2);
    UINT s3 = wt.PenEvent(0, 0, 3, 3);
    ASSERT_TRUE(s1 && s2 && s3);
    EXPECT_TRUE(s1 != s2 && s2 != s3);

    PointPacket p = {};
    EXPECT_FALSE(wt.Packet(ctx, s3 + 100, &p)); /* unknown: nothing removed */
    ASSERT_TRUE(wt.Packet(ctx, s2, &p));
    EXPECT_EQ(2, p.x);
    EXPECT_FALSE(wt.Packet(ctx, s1, &p));

    PointPacket left[4] = {};
    ASSERT_EQ(1, wt.PacketsGet(ctx, 4, left));
    EXPECT_EQ(3, left[0].x);
    EXPECT_EQ(0, wt.PacketsGet(ctx, 4, left));
}

TEST_F(StandinTest, FieldsInBitOrderWithPointerPadding)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(kFull);
    UINT s1 = wt.PenEvent(0, 1, 100, 200);
    UINT s2 = wt.PenEvent(0, 3, 100, 300);
    FullPacket p[3];
    memset(p, 0xCC, sizeof(p));
    ASSERT_EQ(2, wt.PacketsGet(ctx, 2, p));
    EXPECT_EQ(ctx, p[0].context);
    EXPECT_EQ(s1, p[0].serial);
    EXPECT_EQ(0u, p[0].cursor);
    EXPECT_EQ(100, p[0].x);
    EXPECT_EQ(11999 - 200, p[0].y);
    EXPECT_EQ(ctx, p[1].context);
    EXPECT_EQ(s2, p[1].serial);
    EXPECT_EQ(3u, p[1].buttons);
    /* Only the buttons and y moved. */
    EXPECT_EQ((WTPKT)(PK_BUTTONS | PK_Y), p[1].changed & (PK_BUTTONS | PK_X | PK_Y | PK_CURSOR));
    EXPECT_EQ(0xCC, ((BYTE *)&p[2])[0]);
}

TEST_F(StandinTest, OverlapAndEnableChooseTheReceivingContext)
{
    ASSERT_TRUE(Load());
    HCTX a = OpenDigitizing(0x1E0), b = OpenDigitizing(0x1E0);
    PointPacket p;

    UINT s = wt.PenEvent(0, 0, 1, 1);
    EXPECT_TRUE(wt.Packet(b, s, &p)); /* the newer one is on top */
    LOGCONTEXTW lc;
    wt.GetW(b, &lc);
    EXPECT_TRUE(lc.lcStatus & CXS_ONTOP);

    ASSERT_TRUE(wt.Overlap(a, TRUE));
    s = wt.PenEvent(0, 0, 2, 2);
    EXPECT_TRUE(wt.Packet(a, s, &p));
    wt.GetW(b, &lc);
    EXPECT_FALSE(lc.lcStatus & CXS_ONTOP);

    /* Disabling flushes and passes the pen to the next context down. */
    UINT queued = wt.PenEvent(0, 0, 3, 3);
    ASSERT_TRUE(wt.Enable(a, FALSE));
    EXPECT_TRUE(wt.Enable(a, FALSE));
    EXPECT_FALSE(wt.Packet(a, queued, &p));
    wt.GetW(a, &lc);
    EXPECT_TRUE(lc.lcStatus & CXS_DISABLED);
    s = wt.PenEvent(0, 0, 4, 4);
    EXPECT_TRUE(wt.Packet(b, s, &p));

    ASSERT_TRUE(wt.Enable(a, TRUE));
    EXPECT_TRUE(wt.Enable(a, TRUE));
    ASSERT_TRUE(wt.Overlap(a, FALSE));
    s = wt.PenEvent(0, 0, 5, 5);
    EXPECT_TRUE(wt.Packet(b, s, &p));

    /* With both closed the driver's own system context takes the pen. */
    wt.Close(a);
    wt.Close(b);
    EXPECT_FALSE(wt.Enable(a, TRUE));
    EXPECT_NE(0u, wt.PenEvent(0, 0, 6, 6));
}

TEST_F(StandinTest, FullQueueLosesNewPackets)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(0x1E0, 0);
    UINT first = wt.PenEvent(0, 0, 0, 0);
    int taken = 1;
    while (wt.PenEvent(0, 0, taken, 0) && taken < 1000)
        taken++;
    EXPECT_EQ(64, taken);
    PointPacket p;
    EXPECT_TRUE(wt.Packet(ctx, first, &p));
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(63, wt.PacketsGet(ctx, 100, NULL));
}

/* Nobody reads the driver's own context: it keeps the newest packets, and
   the pen never stops. */
TEST_F(StandinTest, SystemContextNeverBlocksThePen)
{
    UseTablet("[Context0]\nPacketData=0x01E0\n");
    ASSERT_TRUE(Load());
    HCTX sys = SystemContext(OpenManager());
    for (int i = 0; i < 1000; i++)
        ASSERT_NE(0u, wt.PenEvent(0, 0, i, 0)) << i;
    PointPacket p[100];
    ASSERT_EQ(64, wt.PacketsGet(sys, 100, p));
    EXPECT_EQ(1000 - 64, p[0].x);
    EXPECT_EQ(999, p[63].x);
}

TEST_F(StandinTest, BadArgumentsFailQuietly)
{
    ASSERT_TRUE(Load());
    LOGCONTEXTW lc;
    wt.InfoW(WTI_DEFCONTEXT, 0, &lc);
    EXPECT_TRUE(wt.OpenW(Window(), NULL, TRUE) == NULL);
    EXPECT_TRUE(wt.OpenW((HWND)(UINT_PTR)0x7777, &lc, TRUE) == NULL);
    lc.lcDevice = 3;
    EXPECT_TRUE(wt.OpenW(Window(), &lc, TRUE) == NULL);

    HCTX ctx = OpenDigitizing(0x1E0);
    EXPECT_FALSE(wt.GetW(ctx, NULL));
    EXPECT_FALSE(wt.SetW(ctx, NULL));
    EXPECT_FALSE(wt.GetW(NULL, &lc));
    EXPECT_FALSE(wt.SetW(ctx, &lc)); /* device 3 does not exist */
    EXPECT_FALSE(wt.Packet((HCTX)(UINT_PTR)0x7777, 1, NULL));
    EXPECT_EQ(0, wt.PacketsGet(ctx, -1, NULL));
    EXPECT_EQ(0u, wt.PenEvent(5, 0, 0, 0));
}
