#include "settings/registry_key_windows.h"

#include <windows.h>

#include <QString>

#include <cstring>
#include <string>
#include <vector>

namespace vr {
namespace {

constexpr wchar_t kKeyPath[] = L"Software\\VORNA\\VR880TXConfig";

std::wstring WideName(const char *name) {
    return QString::fromLatin1(name).toStdWString();
}

} // namespace

struct RegistryKey::Handle {
    HKEY key = nullptr;
};

RegistryKey::RegistryKey(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {
}

RegistryKey::~RegistryKey() {
    ::RegCloseKey(handle_->key);
}

std::unique_ptr<RegistryKey> RegistryKey::open(bool create) {
    auto handle = std::make_unique<Handle>();
    const LSTATUS status =
        create
            ? ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &handle->key, nullptr)
            : ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_ALL_ACCESS, &handle->key);
    if (status != ERROR_SUCCESS)
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::move(handle)));
}

std::optional<QVariant> RegistryKey::value(const char *name) const {
    const std::wstring wideName = WideName(name);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status =
        ::RegQueryValueExW(handle_->key, wideName.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data;
    // The value may grow between the two calls (another copy of the program saving): ask again.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size);
        status =
            ::RegQueryValueExW(handle_->key, wideName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS)
            break;
    }
    if (status == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (status != ERROR_SUCCESS)
        return QVariant(QByteArray()); // there, but unreadable: not a value of its type
    data.resize(size);

    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof(number));
        return QVariant(static_cast<int>(number));
    }
    if (type == REG_SZ) {
        const auto *text = reinterpret_cast<const char16_t *>(data.data());
        std::size_t length = 0;
        while (length < data.size() / 2 && text[length] != u'\0')
            ++length;
        return QVariant(QString::fromUtf16(text, static_cast<qsizetype>(length)));
    }
    return QVariant(QByteArray(reinterpret_cast<const char *>(data.data()),
                               static_cast<qsizetype>(data.size())));
}

bool RegistryKey::setValue(const char *name, const QVariant &value) {
    const std::wstring wideName = WideName(name);
    LSTATUS status;
    if (value.typeId() == QMetaType::Int) {
        const DWORD number = static_cast<DWORD>(value.toInt());
        status = ::RegSetValueExW(handle_->key, wideName.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE *>(&number), sizeof(number));
    } else {
        const std::wstring text = value.toString().toStdWString();
        status = ::RegSetValueExW(handle_->key, wideName.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE *>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    return status == ERROR_SUCCESS;
}

} // namespace vr
