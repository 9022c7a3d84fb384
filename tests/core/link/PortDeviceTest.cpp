#include "core/link/PortDevice.h"

#include <gtest/gtest.h>

#include <string>

TEST(PortDevice, PortNumbersMapToDeviceNodes) {
    struct Case {
        int port;
        const char* device;
    };
    const Case cases[] = {
        {1, "/dev/ttyS0"},
        {12, "/dev/ttyS11"},
        {32, "/dev/ttyS31"},
        {33, "/dev/ttyUSB0"},
        {64, "/dev/ttyUSB31"},
        {65, "/dev/ttyACM0"},
        {96, "/dev/ttyACM31"},
        {97, "/dev/rfcomm0"},
        {128, "/dev/rfcomm31"},
        {0, ""},
        {-1, ""},
        {129, ""},
        {255, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceForPort(c.port), c.device) << c.port;
    }
}

TEST(PortDevice, DevicesMapBackToPortNumbers) {
    struct Case {
        const char* device;
        int port;
    };
    const Case cases[] = {
        {"/dev/ttyS0", 1},
        {"ttyS0", 1},
        {"/dev/ttyS31", 32},
        {"/dev/ttyUSB0", 33},
        {"ttyUSB7", 40},
        {"/dev/ttyACM0", 65},
        {"/dev/rfcomm31", 128},
        {"/dev/ttyS32", 0},
        {"/dev/ttyUSB100", 0},
        {"/dev/ttyS", 0},
        {"/dev/ttyS01", 0},
        {"/dev/ttyS1x", 0},
        {"/dev/ttyS-1", 0},
        {"/dev/pts/3", 0},
        {"", 0},
        {"/dev/ttyAMA0", 0},
        {"/dev/serial/by-id/usb-reader", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortForDevice(c.device), c.port) << c.device;
    }
    for (int port = 1; port <= 128; ++port) {
        EXPECT_EQ(PortForDevice(DeviceForPort(port)), port);
    }
}
