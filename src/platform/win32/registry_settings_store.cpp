// Settings in the registry: HKEY_CURRENT_USER\Software\<company>\<program>\<section>, integers
// as REG_DWORD and strings as REG_SZ.
#include "platform/settings_store.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace sonarel {
namespace {

class RegistrySettingsStore : public SettingsStore {
public:
    explicit RegistrySettingsStore(std::wstring key) : key_(std::move(key)) {}

    int ReadInt(const std::string& section, const std::string& name, int fallback) override {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, KeyOf(section).c_str(), WideFromUtf8(name).c_str(),
                         RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
            return fallback;
        }
        return static_cast<int>(value);
    }

    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override {
        const std::wstring key = KeyOf(section);
        const std::wstring value_name = WideFromUtf8(name);
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                         nullptr, &size) != ERROR_SUCCESS) {
            return fallback;
        }
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                         value.data(), &size) != ERROR_SUCCESS) {
            return fallback;
        }
        value.resize(wcsnlen(value.c_str(), value.size()));
        return Utf8FromWide(value);
    }

    bool WriteInt(const std::string& section, const std::string& name, int value) override {
        const DWORD stored = static_cast<DWORD>(value);
        return Write(section, name, REG_DWORD, &stored, sizeof stored);
    }

    bool WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override {
        const std::wstring wide = WideFromUtf8(value);
        return Write(section, name, REG_SZ, wide.c_str(),
                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::wstring KeyOf(const std::string& section) const {
        return key_ + L"\\" + WideFromUtf8(section);
    }

    bool Write(const std::string& section, const std::string& name, DWORD type, const void* data,
               DWORD size) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyOf(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        LSTATUS status = RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, type,
                                        static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    const std::wstring key_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserSettings(const std::string& company,
                                                const std::string& program) {
    return std::make_unique<RegistrySettingsStore>(L"Software\\" + WideFromUtf8(company) + L"\\" +
                                                   WideFromUtf8(program));
}

} // namespace sonarel
