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

    bool Probe(const std::string& path) override {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(handle);
        return true;
    }

private:
    Win32RegistryKeyReader m_registry;
};

} // namespace

std::unique_ptr<ComPortSystem> MakeWin32ComPortSystem() {
    return std::make_unique<Win32ComPortSystem>();
}
