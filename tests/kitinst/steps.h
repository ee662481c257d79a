/* The in-process fixture of the installer's single steps: a Windows 95
   machine, no pauses, and a progress bar to read the steps' progress from. */
#ifndef KITINST_STEPS_H
#define KITINST_STEPS_H

#include <gtest/gtest.h>

#include "kitinst.h"
#include "machine.h"

class StepTest : public ::testing::Test
{
  protected:
    HWND host = NULL;
    void SetUp() override;
    void TearDown() override;
    int BarPos();
    /* Runs the source check from a disk directory (the current directory). */
    int CheckFrom(const std::wstring &disk);
    /* Runs the copy phase to its end; returns the number of steps taken. */
    int RunCopyPhase();
    /* Runs INI steps from 404 on; returns the steps taken, in order. */
    std::vector<int> RunIniPhase();
};

#endif
