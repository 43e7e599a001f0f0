#pragma once

// Windows COM port names and the lookup of the meter's USB bridge in the serial-device map of the
// registry. Plain C++ without Qt or <windows.h>, so that the logic builds with any compiler and is
// tested against a scripted registry; Win32ComPortSystem supplies the real system calls.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 16;
inline constexpr int kStartComPort = 3; // the port number before any selection

// 1 to 16 for exactly "COM1" ... "COM16" (case-sensitive); nothing for any other text.
std::optional<int> ComPortNumber(std::string_view name);

// "COM<number>".
std::string ComPortName(int number);

// "COM1" ... "COM16" in order.
std::vector<std::string> ComPortNames();

// The path the probe opens: the name itself for ports 1 to 9, the device-namespace form
// "\\.\COM10" for ports 10 and above.
std::string ComProbePath(int number);

inline constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
// The bridge driver's first device, under the driver's two names, in the order tried.
inline constexpr const char* kBridgeValueNames[] = {"\\Device\\silabser0", "\\Device\\slabser0"};
inline constexpr std::uint32_t kRegistryStringType = 1; // a zero-terminated string value
inline constexpr std::uint32_t kRegistryBufferSize = 100;

// One key of HKEY_LOCAL_MACHINE opened for query only.
class RegistryKeyReader {
public:
    virtual ~RegistryKeyReader() = default;

    virtual bool Open(const char* keyPath) = 0;
    // Reads a value into buffer, which holds *length bytes. On success *type is the value's type
    // and *length the number of bytes stored. Fails when the value is missing or does not fit.
    virtual bool Query(const char* valueName, std::uint32_t* type, unsigned char* buffer,
                       std::uint32_t* length) = 0;
    virtual void Close() = 0;
};

// The system calls the Windows port handling needs.
class ComPortSystem {
public:
    virtual ~ComPortSystem() = default;
    virtual RegistryKeyReader& Registry() = 0;
    // Opens path for reading and writing without sharing, and closes it again.
    virtual bool Probe(const std::string& path) = 0;
};

// The bridge's port name from the serial-device map: the first of kBridgeValueNames that holds a
// string of 1 to 100 bytes. A terminating zero is dropped; a value of another type, one that is
// empty, too long or holds a zero inside counts as not found.
std::optional<std::string> FindBridgePortName(RegistryKeyReader& registry);
