#include "link/Win32ComPortSystem.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

class Win32RegistryKeyReader : public RegistryKeyReader {
public:
    ~Win32RegistryKeyReader() override { Close(); }

    bool Open(const char* keyPath) override {
        Close();
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &m_key) ==
               ERROR_SUCCESS;
    }

    bool Query(const char* valueName, std::uint32_t* type, unsigned char* buffer,
               std::uint32_t* length) override {
        if (m_key == nullptr)
            return false;
        DWORD valueType = 0;
        DWORD size = *length;
        const LONG result = RegQueryValueExA(m_key, valueName, nullptr, &valueType, buffer, &size);
        if (result != ERROR_SUCCESS)
            return false;
        *type = valueType;
        *length = size;
        return true;
    }

    bool Value(std::uint32_t index, std::string* name, std::uint32_t* type,
               std::string* data) override {
        if (m_key == nullptr)
            return false;
        char valueName[256];
        DWORD nameLength = sizeof valueName;
        BYTE buffer[kRegistryBufferSize * 4];
        DWORD size = sizeof buffer;
        DWORD valueType = 0;
        const LONG result =
            RegEnumValueA(m_key, index, valueName, &nameLength, nullptr, &valueType, buffer, &size);
        if (result == ERROR_MORE_DATA) { // a value too long for a port name: not one
            name->clear();
            *type = 0;
            data->clear();
            return true;
        }
        if (result != ERROR_SUCCESS)
            return false;
        name->assign(valueName, nameLength);
        *type = valueType;
        data->assign(reinterpret_cast<const char*>(buffer), size);
        return true;
    }

    void Close() override {
        if (m_key != nullptr)
            RegCloseKey(m_key);
        m_key = nullptr;
    }

private:
    HKEY m_key = nullptr;
};

class Win32ComPortSystem : public ComPortSystem {
public:
    RegistryKeyReader& Registry() override { return m_registry; }

    std::uint32_t Probe(const std::string& path) override {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return GetLastError();
        DCB line{};
        line.DCBlength = sizeof line;
        const bool commDevice = GetCommState(handle, &line) != 0;
        CloseHandle(handle);
        return commDevice ? kProbeUsable : kProbeNotCommDevice;
    }

private:
    Win32RegistryKeyReader m_registry;
};

} // namespace

std::unique_ptr<ComPortSystem> MakeWin32ComPortSystem() {
    return std::make_unique<Win32ComPortSystem>();
}
