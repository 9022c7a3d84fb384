#include "core/link/PortDevice.h"

#include <gtest/gtest.h>

#include <string>

TEST(PortDevice, PortNumbersAndDeviceNodes) {
    // Each kind of serial device owns a block of 32 port numbers.
    const char* const kBlocks[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM", "/dev/rfcomm"};
    for (int port = 1; port <= 128; ++port) {
        const std::string device = kBlocks[(port - 1) / 32] + std::to_string((port - 1) % 32);
        EXPECT_EQ(DeviceForPort(port), device);
        EXPECT_EQ(PortForDevice(device), port);
    }
    EXPECT_EQ(PortForDevice("ttyS0"), 1);
    EXPECT_EQ(PortForDevice("ttyUSB7"), 40);
    for (const int port : {0, -1, 129, 255}) {
        EXPECT_EQ(DeviceForPort(port), "") << port;
    }
    for (const char* device :
         {"/dev/ttyS32", "/dev/ttyUSB100", "/dev/ttyS", "/dev/ttyS01", "/dev/ttyS1x", "/dev/ttyS-1",
          "/dev/pts/3", "", "/dev/ttyAMA0", "/dev/serial/by-id/usb-reader"}) {
        EXPECT_EQ(PortForDevice(device), 0) << device;
    }
}
