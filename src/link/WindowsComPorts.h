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

// The port number of a typed port name: "COM1" ... "COM16" as ComPortNumber takes them, also in
// the device-namespace form "\\.\COM12" that Windows' own tools show.
std::optional<int> TypedComPortNumber(std::string_view text);

// The path the probe opens: the name itself for ports 1 to 9, the device-namespace form
// "\\.\COM10" for ports 10 and above.
std::string ComProbePath(int number);

inline constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
// The bridge driver's first device, under the driver's two names, in the order tried.
inline constexpr const char* kBridgeValueNames[] = {"\\Device\\silabser0", "\\Device\\slabser0"};
inline constexpr std::uint32_t kRegistryStringType = 1; // a zero-terminated string value
inline constexpr std::uint32_t kRegistryBufferSize = 100;

// What a probe of a port found: kProbeUsable, kProbeNotCommDevice, or the Windows error code of
// the failed open (kErrorFileNotFound, kErrorAccessDenied, ...).
inline constexpr std::uint32_t kProbeUsable = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
// It opened, but Windows does not take it for a communications device (GetCommState fails). An
// application-defined code (bit 29), never one of Windows' own.
inline constexpr std::uint32_t kProbeNotCommDevice = 0x20000001;

// Why the port `name` cannot be used, in the user's words, with what to do.
std::string ComProbeReason(const std::string& name, std::uint32_t code);

// One key of HKEY_LOCAL_MACHINE opened for query only.
class RegistryKeyReader {
public:
    virtual ~RegistryKeyReader() = default;

    virtual bool Open(const char* keyPath) = 0;
    // Reads a value into buffer, which holds *length bytes. On success *type is the value's type
    // and *length the number of bytes stored. Fails when the value is missing or does not fit.
    virtual bool Query(const char* valueName, std::uint32_t* type, unsigned char* buffer,
                       std::uint32_t* length) = 0;
    // The index-th value of the open key (0, 1, ...): its name, type and data. False past the
    // last value.
    virtual bool Value(std::uint32_t index, std::string* name, std::uint32_t* type,
                       std::string* data) = 0;
    virtual void Close() = 0;
};

// The system calls the Windows port handling needs.
class ComPortSystem {
public:
    virtual ~ComPortSystem() = default;
    virtual RegistryKeyReader& Registry() = 0;
    // Opens path for reading and writing without sharing, asks for its line settings and closes
    // it again. kProbeUsable when it opened as a communications device, kProbeNotCommDevice when
    // it opened but is not one, else the Windows error code of the open.
    virtual std::uint32_t Probe(const std::string& path) = 0;
};

// The bridge's port name from the serial-device map: the first of kBridgeValueNames that holds a
// string of 1 to 100 bytes. A terminating zero is dropped; a value of another type, one that is
// empty, too long or holds a zero inside counts as not found.
std::optional<std::string> FindBridgePortName(RegistryKeyReader& registry);

// The port names the serial-device map lists now (every string value of the key, in the
// registry's order); empty when the key cannot be opened. Windows keeps one value per serial
// device that is present, so a port that went away leaves the map and comes back into it.
std::vector<std::string> MappedPortNames(RegistryKeyReader& registry);
