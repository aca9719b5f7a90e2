#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/virtual_device.h"

namespace vr::test {

// The platform in virtual time: sleeping, waiting for a byte and beeping advance a microsecond
// counter instead of the wall clock, and the devices attached to port numbers answer at virtual
// times. Everything the program does to the platform is recorded in an event log.
class VirtualPlatform : public Platform {
public:
    struct Event {
        enum class Kind { Open, Close, Write, Sleep, Beep };
        Kind kind = Kind::Open;
        std::uint64_t micros = 0; // virtual time when it happened (a sleep or beep: its start)
        int port = 0;             // Open, Close, Write
        std::string lineMode;     // Open
        bool ok = false;          // Open: whether the port opened
        std::string bytes;        // Write
        std::uint32_t ms = 0;     // Sleep, Beep: length
        int hz = 0;               // Beep
    };

    explicit VirtualPlatform(std::uint64_t startMicros = 0) : nowMicros_(startMicros) {}

    // Port `port` now leads to `device` (which must outlive every port opened on it).
    void attach(int port, VirtualDevice &device) { devices_[port] = &device; }
    void detach(int port) { devices_.erase(port); }

    std::uint64_t nowMicros() const { return nowMicros_; }
    void setNowMicros(std::uint64_t micros) { nowMicros_ = micros; }
    void advanceMicros(std::uint64_t micros) { nowMicros_ += micros; }

    void setLocalTime(const LocalTime &time) { localTime_ = time; }

    // Called at every pumpEvents: delivers a click, fires a timer or changes things mid-exchange.
    std::function<void()> onPump;

    const std::vector<Event> &events() const { return events_; }
    std::vector<Event> eventsOf(Event::Kind kind) const;
    void clearEvents() { events_.clear(); }
    std::size_t pumpCount() const { return pumpCount_; }
    std::size_t readCount() const { return readCount_; }
    std::size_t openPorts() const { return openPorts_; }

    // Platform
    std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(nowMicros_ / 1000); }
    void sleep(std::uint32_t ms) override;
    void pumpEvents() override;
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override;
    void beep(int frequencyHz, int durationMs) override;
    LocalTime localTime() override { return localTime_; }

private:
    class Port;
    friend class Port;

    // Appends an event of `kind` at the current time and returns it for its details.
    Event &record(Event::Kind kind);

    std::uint64_t nowMicros_;
    LocalTime localTime_;
    std::map<int, VirtualDevice *> devices_;
    std::vector<Event> events_;
    std::size_t pumpCount_ = 0;
    std::size_t readCount_ = 0;
    std::size_t openPorts_ = 0;
};

} // namespace vr::test
