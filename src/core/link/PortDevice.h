#pragma once

#include <string>

// COM port numbers stay the user-facing identity of a serial port. On this platform they map to
// device nodes in blocks of 32: COM1-32 /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31,
// COM65-96 /dev/ttyACM0-31, COM97-128 /dev/rfcomm0-31.
std::string DeviceForPort(int port);

// The inverse: the COM number of a device path or name ("/dev/ttyUSB0" or "ttyUSB0"), 0 for none.
int PortForDevice(const std::string& device);
