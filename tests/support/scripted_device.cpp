#include "support/scripted_device.h"

#include <algorithm>

namespace vr::test {

bool ScriptedDevice::open(const std::string &lineMode) {
    if (isOpen_ || refuseOpen)
        return false;
    isOpen_ = true;
    lineMode_ = lineMode;
    return true;
}

void ScriptedDevice::close() {
    // Closing a port drops whatever waited in its input.
    isOpen_ = false;
    pending_.clear();
    request_.clear();
}

void ScriptedDevice::sendAt(std::uint64_t atMicros, const std::string &bytes,
                            std::uint64_t gapMicros) {
    std::uint64_t due = atMicros;
    for (char byte : bytes) {
        schedule(due, static_cast<std::uint8_t>(byte));
        due += gapMicros;
    }
}

void ScriptedDevice::write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) {
    for (std::size_t i = 0; i < count; ++i) {
        request_ += static_cast<char>(data[i]);
        if (data[i] != '\r')
            continue;
        requests_.push_back(std::move(request_));
        request_.clear();
        if (replies_.empty())
            continue;
        for (const Piece &piece : replies_.front())
            sendAt(nowMicros + piece.offsetMicros, piece.bytes, piece.gapMicros);
        replies_.pop_front();
    }
}

bool ScriptedDevice::nextByte(std::uint64_t untilMicros, std::uint8_t &byte,
                              std::uint64_t &dueMicros) {
    if (pending_.empty() || pending_.front().first > untilMicros)
        return false;
    dueMicros = pending_.front().first;
    byte = pending_.front().second;
    pending_.pop_front();
    return true;
}

void ScriptedDevice::schedule(std::uint64_t dueMicros, std::uint8_t byte) {
    // Bytes due at the same time keep the order in which they were scheduled.
    const auto at =
        std::upper_bound(pending_.begin(), pending_.end(), dueMicros,
                         [](std::uint64_t due, const auto &entry) { return due < entry.first; });
    pending_.insert(at, {dueMicros, byte});
}

} // namespace vr::test
