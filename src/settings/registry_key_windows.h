#pragma once

#include <QVariant>

#include <memory>
#include <optional>

namespace vr {

// The store's key HKEY_LOCAL_MACHINE\Software\VORNA\VR880TXConfig in the Windows registry,
// always opened with full (read and write) access. Windows only.
class RegistryKey {
public:
    // Opens the key; with `create`, creates it (and "Software\VORNA") when it is missing. Null
    // when the key does not exist (without `create`) or cannot be opened or created with full
    // access.
    static std::unique_ptr<RegistryKey> open(bool create);
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // A value of the key: none when it is missing; an int for a 32-bit integer (REG_DWORD), a
    // QString for a text (REG_SZ, up to its first zero character), and a QByteArray of the raw
    // data for every other type, which the store reads as a value of the wrong type.
    std::optional<QVariant> value(const char *name) const;

    // Writes an int as REG_DWORD and anything else as a text (REG_SZ), replacing the value
    // whatever its type was. False when the write failed.
    bool setValue(const char *name, const QVariant &value);

private:
    struct Handle;
    explicit RegistryKey(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
};

} // namespace vr
