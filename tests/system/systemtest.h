#pragma once

// A test of the built program on a desktop of its own, wired through every
// port name to the board simulator.

#include "desktop.h"
#include "monitorprocess.h"
#include "ptyboard.h"
#include "qtprint.h"
#include "simulatorprocess.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>

class SystemTest : public testing::Test {
protected:
    // Starts the desktop, the simulator with these options and the program
    // with these channel settings, and waits for its window.
    void StartOn(const QStringList &simulatorOptions, const std::array<ChannelSettings, 5> &channels = {});
    // Alt+F4 ends the program, with exit code 0, within 2 s.
    void ExpectClosesWithAltF4();
    // Lets the program run untouched for a while.
    static void Pause(std::chrono::milliseconds duration);

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<SimulatorProcess> board;
    std::unique_ptr<MonitorProcess> monitor;
};
