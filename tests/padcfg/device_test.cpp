/*
 * The choice of the tablet device the whole panel works on: the first device
 * that reports absolute positions and has a name, else the first absolute
 * one, else device 0; made once per run.
 */
#include "panel.h"

#include <gtest/gtest.h>

class DeviceChoice : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        UseDriver(DRIVER_STANDIN);
        StartCallLog();
    }
    void TearDown() override
    {
        UnloadWintab();
        UseTablet("");
    }

    /* A tablet whose devices have these packet modes and names. */
    static void Devices(std::vector<std::pair<int, std::string>> devices)
    {
        std::string ini = "[Interface]\r\nDevices=" + std::to_string(devices.size()) + "\r\n";
        for (size_t i = 0; i < devices.size(); i++)
            ini += "[Device" + std::to_string(i) +
                   "]\r\nPacketMode=" + std::to_string(devices[i].first) +
                   "\r\nName=" + devices[i].second + "\r\n";
        UseTablet(ini);
    }
};

static const int kRelative = PK_X | PK_Y;

TEST_F(DeviceChoice, ARelativeDeviceIsPassedOver)
{
    Devices({{kRelative, "Serial Mouse"}, {0, "QUORAX Tablet"}});
    EXPECT_EQ(1, GetTabletDevice());

    Devices({{PK_Y, "Mouse with relative Y"}, {0, "QUORAX Tablet"}});
    g_panel.deviceChosen = FALSE;
    UnloadWintab();
    EXPECT_EQ(1, GetTabletDevice());
}

TEST_F(DeviceChoice, ANamedDeviceComesBeforeOneWithAnEmptyName)
{
    Devices({{0, ""}, {kRelative, "Mouse"}, {0, "QUORAX Tablet"}});
    EXPECT_EQ(2, GetTabletDevice());
}

TEST_F(DeviceChoice, WhenNoAbsoluteDeviceHasANameTheFirstAbsoluteOneIsTaken)
{
    Devices({{kRelative, "Mouse"}, {0, ""}, {0, ""}});
    EXPECT_EQ(1, GetTabletDevice());
}

TEST_F(DeviceChoice, WithOnlyRelativeDevicesItIsDevice0AndTheSearchIsNotRepeated)
{
    Devices({{kRelative, "Mouse"}, {PK_X, "Trackball"}});
    EXPECT_EQ(0, GetTabletDevice());
    size_t calls = CallLog().size();
    ASSERT_GT(calls, 0u);
    EXPECT_EQ(0, GetTabletDevice());
    EXPECT_EQ(calls, CallLog().size());
}

TEST_F(DeviceChoice, OnceChosenTheDeviceHoldsForTheRunWithoutAskingTheDriver)
{
    Devices({{kRelative, "Mouse"}, {0, "QUORAX Tablet"}});
    EXPECT_EQ(1, GetTabletDevice());
    size_t calls = CallLog().size();
    UnloadWintab();
    EXPECT_EQ(1, GetTabletDevice());
    EXPECT_EQ(calls + 1, CallLog().size()); /* only the unload */
}

TEST_F(DeviceChoice, NoTabletMeansDevice0)
{
    UseTablet("[Interface]\r\nNoTablet=1\r\n");
    EXPECT_EQ(0, GetTabletDevice());
}

TEST_F(DeviceChoice, OverLongNamesFromTheDriverAreCutNotOverrun)
{
    /* Every name is padded past 300 characters; the panel reads into 200. */
    std::string ini = "[Interface]\r\nLongStrings=1\r\nDevices=2\r\n"
                      "[Device0]\r\nPacketMode=384\r\n[Device1]\r\nName=QUORAX\r\n";
    UseTablet(ini);
    EXPECT_EQ(1, GetTabletDevice());
}
