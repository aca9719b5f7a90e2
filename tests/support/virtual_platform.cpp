#include "support/virtual_platform.h"

#include "link/line_modes.h"

namespace vr::test {
namespace {

// A read waits at most this long for a byte.
constexpr std::uint64_t kReadTimeoutMicros = 1000;

} // namespace

class VirtualPlatform::Port : public SerialPort {
public:
    Port(VirtualPlatform &platform, int number, VirtualDevice &device)
        : platform_(platform), number_(number), device_(device) {}

    ~Port() override {
        device_.close();
        --platform_.openPorts_;
        platform_.record(Event::Kind::Close).port = number_;
    }

    bool readByte(std::uint8_t &byte) override {
        ++platform_.readCount_;
        std::uint64_t &now = platform_.nowMicros_;
        std::uint64_t due = 0;
        if (!device_.hungUp() && device_.nextByte(now + kReadTimeoutMicros, byte, due)) {
            if (due > now)
                now = due;
            return true;
        }
        now += kReadTimeoutMicros;
        return false;
    }

    void write(const std::uint8_t *data, std::size_t count) override {
        Event &event = platform_.record(Event::Kind::Write);
        event.port = number_;
        event.bytes.assign(reinterpret_cast<const char *>(data), count);
        device_.write(data, count, platform_.nowMicros_);
    }

private:
    VirtualPlatform &platform_;
    int number_;
    VirtualDevice &device_;
};

std::vector<VirtualPlatform::Event> VirtualPlatform::eventsOf(Event::Kind kind) const {
    std::vector<Event> found;
    for (const Event &event : events_)
        if (event.kind == kind)
            found.push_back(event);
    return found;
}

VirtualPlatform::Event &VirtualPlatform::record(Event::Kind kind) {
    Event &event = events_.emplace_back();
    event.kind = kind;
    event.micros = nowMicros_;
    return event;
}

void VirtualPlatform::sleep(std::uint32_t ms) {
    record(Event::Kind::Sleep).ms = ms;
    nowMicros_ += std::uint64_t{ms} * 1000;
}

void VirtualPlatform::pumpEvents() {
    ++pumpCount_;
    if (onPump)
        onPump();
}

std::unique_ptr<SerialPort> VirtualPlatform::openSerial(int portNumber,
                                                        const std::optional<LineSettings> &line,
                                                        PortOpenFailure &failure) {
    // Devices see the mode as its text; empty when the device keeps its own settings.
    const std::string lineMode = line ? LineModeText(*line) : std::string();
    const auto found = devices_.find(portNumber);
    std::unique_ptr<SerialPort> port;
    if (found != devices_.end() && found->second->open(lineMode)) {
        port = std::make_unique<Port>(*this, portNumber, *found->second);
        ++openPorts_;
    }
    Event &event = record(Event::Kind::Open);
    event.port = portNumber;
    event.lineMode = lineMode;
    event.ok = port != nullptr;
    if (!port)
        failure = {found == devices_.end() ? PortProblem::Absent : PortProblem::Busy,
                   "COM" + std::to_string(portNumber), {}};
    return port;
}

void VirtualPlatform::beep(int frequencyHz, int durationMs) {
    Event &event = record(Event::Kind::Beep);
    event.hz = frequencyHz;
    event.ms = static_cast<std::uint32_t>(durationMs > 0 ? durationMs : 0);
    nowMicros_ += std::uint64_t{event.ms} * 1000;
}

} // namespace vr::test
