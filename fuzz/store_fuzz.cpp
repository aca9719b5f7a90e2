// libFuzzer target: the settings file's reader and writer. Whatever the bytes, reading must not
// crash or run long; a text that reads must write back (within the size limit) into a text that
// reads again to the very same values, so a save never changes a value it does not mean to.

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "settings/reg_file_format.h"

namespace {

bool SameValue(const QVariant &a, const QVariant &b) {
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType() == QMetaType::fromType<vr::RegTypedData>()) {
        const auto x = a.value<vr::RegTypedData>();
        const auto y = b.value<vr::RegTypedData>();
        return x.type == y.type && x.bytes == y.bytes;
    }
    return a == b;
}

bool Read(const QByteArray &text, QSettings::SettingsMap &values) {
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return vr::ReadRegFile(buffer, values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QSettings::SettingsMap first;
    if (!Read(text, first))
        return 0;

    QBuffer written;
    written.open(QIODevice::WriteOnly);
    if (!vr::WriteRegFile(written, first))
        return 0; // a value the registry cannot hold, or a text beyond the limit: nothing written
    QSettings::SettingsMap second;
    if (!Read(written.data(), second) || second.size() != first.size())
        __builtin_trap();
    for (auto it = first.constBegin(); it != first.constEnd(); ++it)
        if (!second.contains(it.key()) || !SameValue(it.value(), second.value(it.key())))
            __builtin_trap();
    return 0;
}
