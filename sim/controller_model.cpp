#include "sim/controller_model.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "link/frame_codec.h"
#include "sim/digits.h"

namespace vr::sim {
namespace {

constexpr std::string_view kStatusOk = "OK";
constexpr std::string_view kNoise{"\x7F#\xFF~?!\x00*", 8}; // no ETX, EOT or CR
constexpr std::size_t kMaxBody = 255;

int number(std::string_view digits) {
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

std::string twoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Index 0 to 5 of input number 1, 2, 3, 4, 7 or 8; -1 for any other.
int inputIndex(char number) {
    constexpr std::string_view kNumbers = "123478";
    const auto at = kNumbers.find(number);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

char stateChar(bool on) {
    return on ? '1' : '0';
}

} // namespace

// --- ClockTime ---------------------------------------------------------------------------------

std::optional<ClockTime> ClockTime::parse(std::string_view digits) {
    if (digits.size() != 14 || !AllDigits(digits))
        return std::nullopt;
    ClockTime time{number(digits.substr(0, 4)),  number(digits.substr(4, 2)),
                   number(digits.substr(6, 2)),  number(digits.substr(8, 2)),
                   number(digits.substr(10, 2)), number(digits.substr(12, 2))};
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > daysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 ||
        time.second > 59)
        return std::nullopt;
    return time;
}

std::string ClockTime::digits() const {
    std::string text = twoDigits(year / 100) + twoDigits(year % 100);
    for (int part : {month, day, hour, minute, second})
        text += twoDigits(part);
    return text;
}

std::int64_t ClockTime::toSeconds() const {
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

ClockTime ClockTime::fromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // civil_from_days
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year,
            month,
            day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

// --- InputPattern ------------------------------------------------------------------------------

std::optional<InputPattern> InputPattern::parse(std::string_view text) {
    InputPattern pattern;
    const auto colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    const std::string_view argument =
        colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
    if (kind == "walk") {
        pattern.kind = Kind::Walk;
        if (colon != std::string_view::npos) {
            if (argument.empty() || argument.size() > 9 || !AllDigits(argument) ||
                number(argument) == 0)
                return std::nullopt;
            pattern.periodMs = static_cast<std::uint32_t>(number(argument));
        }
        return pattern;
    }
    if (kind == "fixed") {
        if (argument.size() != 6 || argument.find_first_not_of("01") != std::string_view::npos)
            return std::nullopt;
        pattern.kind = Kind::Fixed;
        for (std::size_t i = 0; i < 6; ++i)
            pattern.fixed[i] = argument[i] == '1';
        return pattern;
    }
    if (kind == "loopback" && colon == std::string_view::npos) {
        pattern.kind = Kind::Loopback;
        return pattern;
    }
    return std::nullopt;
}

// --- Fault -------------------------------------------------------------------------------------

namespace {

struct FaultInfo {
    Fault::Kind kind;
    std::string_view name;
    int defaultArgument;
    int minArgument;
    int maxArgument;
};

constexpr FaultInfo kFaults[] = {
    {Fault::Kind::Drop, "drop", 1, 1, 1000000},
    {Fault::Kind::BadCrc, "bad-crc", 0, 0, 0},
    {Fault::Kind::LowerCrc, "lower-crc", 0, 0, 0},
    {Fault::Kind::Noise, "noise", 6, 1, 1000},
    {Fault::Kind::Split, "split", 100, 1, 10000},
    {Fault::Kind::Late, "late", 350, 1, 10000},
    {Fault::Kind::ProbeLength, "probe-length", 19, 19, 21},
    {Fault::Kind::Flood, "flood", 1100, 1, 100000},
    {Fault::Kind::HangUp, "hangup", 0, 0, 1000000},
};

} // namespace

std::optional<Fault> Fault::parse(std::string_view text) {
    const auto equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    for (const FaultInfo &info : kFaults) {
        if (info.name != name)
            continue;
        Fault fault{info.kind, info.defaultArgument};
        if (equals == std::string_view::npos)
            return fault;
        const std::string_view argument = text.substr(equals + 1);
        if (argument.empty() || argument.size() > 7 || !AllDigits(argument))
            return std::nullopt;
        fault.argument = number(argument);
        if (fault.argument < info.minArgument || fault.argument > info.maxArgument ||
            (info.kind == Kind::ProbeLength && fault.argument == 20))
            return std::nullopt;
        return fault;
    }
    return std::nullopt;
}

std::string_view Fault::name(Kind kind) {
    for (const FaultInfo &info : kFaults)
        if (info.kind == kind)
            return info.name;
    return {};
}

// --- ControllerModel ---------------------------------------------------------------------------

ControllerModel::ControllerModel(ControllerOptions options)
    : state_(options.state), clockSeconds_(options.clockStart.toSeconds()), inputs_(options.inputs),
      turnaroundMicros_(options.turnaroundMicros) {
}

void ControllerModel::receive(const std::uint8_t *data, std::size_t count, Micros now) {
    settle(now);
    if (hungUp_)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = data[i];
        if (byte == SOH) { // a new frame starts wherever an SOH arrives
            parse_ = ParseState::Body;
            body_.clear();
            digits_.clear();
            continue;
        }
        switch (parse_) {
        case ParseState::Idle:
            break;
        case ParseState::Body:
            if (byte == STX)
                parse_ = ParseState::Digits;
            else if (body_.size() < kMaxBody)
                body_ += static_cast<char>(byte);
            else
                parse_ = ParseState::Idle;
            break;
        case ParseState::Digits:
            if (digits_.size() < 4) {
                digits_ += static_cast<char>(byte);
                break;
            }
            parse_ = ParseState::Idle;
            if (byte == CR && digits_ == CrcDigits(RequestCrc(body_)))
                onFrame(body_, now);
            break;
        }
        if (hungUp_)
            return;
    }
}

void ControllerModel::onFrame(const std::string &body, Micros now) {
    if (body.size() < 5)
        return;
    const std::string_view address = std::string_view(body).substr(0, 3);
    if (address != "000" && address != state_.address)
        return;
    heard_.push_back(body);

    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->kind == Fault::Kind::HangUp) {
            if (it->argument-- == 0) {
                faults_.erase(it);
                hungUp_ = true;
                output_.clear();
                return;
            }
            break;
        }
    }
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->kind == Fault::Kind::Drop) {
            if (--it->argument <= 0)
                faults_.erase(it);
            return;
        }
    }

    const std::string_view code = std::string_view(body).substr(3, 2);
    const std::string_view args = std::string_view(body).substr(5);
    newAddress_.reset();
    newLineMode_.reset();
    const auto data = execute(code, args, now);
    if (!data)
        return;
    sendReply(*data, code == "AS" && args.empty(), now);
    // The reply carries the old address and is paced in the old mode: a new address answers from
    // the next request on, a new mode from just after the reply's last byte.
    if (newAddress_)
        state_.address = *newAddress_;
    if (newLineMode_) {
        pendingLineMode_ = newLineMode_;
        pendingLineModeAt_ = lineFreeAt_;
    }
}

// Carries out one command; the data characters of its reply, or nothing when it goes unanswered.
std::optional<std::string> ControllerModel::execute(std::string_view code, std::string_view args,
                                                    Micros now) {
    if (code == "AS" && args.empty())
        return state_.serial;
    if (code == "AV" && args.empty())
        return state_.firmware;
    if (code == "AB" && args.empty())
        return clockAt(now).digits();
    if (code == "AF") {
        if (args.empty())
            return state_.cardWidth;
        if (args == "24" || args == "32" || args == "40") {
            state_.cardWidth = std::string(args);
            return "";
        }
        return std::nullopt;
    }
    if (code == "AA") {
        const auto time = ClockTime::parse(args);
        if (!time)
            return std::nullopt;
        setClock(*time, now);
        return "";
    }
    if (code == "JF") {
        if (args.size() != 1 || args[0] < '0' || args[0] > '6')
            return std::nullopt;
        state_.alarmKind = args[0] - '0';
        return "";
    }
    if (code == "HA") {
        constexpr std::string_view kHead = "0001", kTail = "100001";
        if (args.size() < kHead.size() + kTail.size() || !args.starts_with(kHead) ||
            !args.ends_with(kTail))
            return std::nullopt;
        const std::string_view card =
            args.substr(kHead.size(), args.size() - kHead.size() - kTail.size());
        state_.cards.emplace_back(card);
        queueRecord(swipeRecord(card)); // the new card is swiped at once
        return "";
    }
    if (code == "AE") {
        constexpr std::string_view kArguments = "0123456789AB";
        const auto index = args.size() == 1 ? kArguments.find(args[0]) : std::string_view::npos;
        if (index == std::string_view::npos)
            return std::nullopt;
        newLineMode_ = static_cast<int>(index);
        return "";
    }
    if (code == "AD") {
        if (args.size() != 11 || args.substr(0, 8) != state_.serial || !AllDigits(args.substr(8)))
            return std::nullopt;
        newAddress_ = std::string(args.substr(8)); // the reply still carries the old address
        return "";
    }
    if (code == "CJ") {
        if (args.size() != 1 || args[0] < '0' || args[0] > '2')
            return std::nullopt;
        state_.cardType = args[0] - '0';
        return "";
    }
    if (code == "AI" && args.empty()) {
        ControllerState factory;
        factory.serial = state_.serial;
        factory.firmware = state_.firmware;
        // The reply goes out with the old address in the old mode; both change after it.
        factory.address = state_.address;
        factory.lineModeIndex = state_.lineModeIndex;
        state_ = factory;
        records_.clear();
        newAddress_ = ControllerState{}.address;
        newLineMode_ = kDefaultLineModeIndex;
        return "";
    }
    if (code == "CG") {
        if (args != "0" && args != "1")
            return std::nullopt;
        state_.testMode = args == "1";
        return "";
    }
    if (code == "IE" && args.empty()) {
        const auto inputs = inputsAt(now);
        std::string data = clockAt(now).digits() + "00";
        for (std::size_t i = 0; i < 4; ++i)
            data += stateChar(inputs[i]);
        if (!records_.empty())
            data += records_.front();
        return data;
    }
    if (code == "IB" && args.empty()) {
        if (!records_.empty())
            records_.pop_front();
        return "";
    }
    if (code == "DF" && args.empty()) {
        const auto inputs = inputsAt(now);
        return std::string{stateChar(inputs[4]), stateChar(inputs[5])};
    }
    if (code == "JE" && args.empty()) {
        state_.alarmKind = -1;
        return "";
    }
    if (code == "JD") {
        if (args.empty()) {
            state_.outputs = {};
            return "";
        }
        if (args.size() != 2 || args[0] < '1' || args[0] > '3' ||
            (args[1] != '0' && args[1] != '1'))
            return std::nullopt;
        state_.outputs[static_cast<std::size_t>(args[0] - '1')] = args[1] == '1';
        return "";
    }
    if (code == "DB") {
        const int index = args.size() == 3 ? inputIndex(args[0]) : -1;
        if (index < 0 || !AllDigits(args.substr(1)))
            return std::nullopt;
        state_.inputDebounce[static_cast<std::size_t>(index)] = number(args.substr(1));
        return "";
    }
    return std::nullopt;
}

std::string ControllerModel::swipeRecord(std::string_view card) {
    std::string number;
    for (char c : card) // a payload holds printable characters only
        number += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (number.size() > 14)
        number = number.substr(number.size() - 14);
    return std::string(14 - number.size(), '0') + number + "0001" + "01";
}

void ControllerModel::queueRecord(std::string record) {
    record.resize(20, '0');
    records_.push_back(std::move(record));
}

const Fault *ControllerModel::fault(Fault::Kind kind) const {
    for (const Fault &each : faults_)
        if (each.kind == kind)
            return &each;
    return nullptr;
}

void ControllerModel::addFault(const Fault &fault) {
    if (fault.kind != Fault::Kind::Drop && fault.kind != Fault::Kind::HangUp)
        std::erase_if(faults_, [&](const Fault &each) { return each.kind == fault.kind; });
    faults_.push_back(fault);
}

// Status characters for a reply whose CRC digits will be sent in lower case: varied until the
// digits hold a letter, so that the lower case shows.
std::string ControllerModel::statusFor(std::string_view data) const {
    if (!fault(Fault::Kind::LowerCrc))
        return std::string(kStatusOk);
    for (char first : std::string_view("OPQRSTUVWXYZ"))
        for (char second : std::string_view("KLMN")) {
            const std::string status{first, second};
            const std::string frame = ReplyFrame(state_.address + status + std::string(data));
            const std::string digits = frame.substr(frame.size() - 5, 4);
            if (digits.find_first_of("ABCDEF") != std::string::npos)
                return status;
        }
    return std::string(kStatusOk);
}

void ControllerModel::sendReply(std::string_view data, bool isProbe, Micros now) {
    std::string body(data);
    if (isProbe) {
        if (const Fault *length = fault(Fault::Kind::ProbeLength)) {
            if (length->argument == 19)
                body.pop_back();
            else
                body += 'X';
        }
    }
    std::string frame = ReplyFrame(state_.address + statusFor(body) + body);
    const std::size_t digitsAt = frame.size() - 5;
    if (fault(Fault::Kind::BadCrc)) {
        char &digit = frame[digitsAt];
        digit = digit == '0' ? '1' : '0';
    }
    if (fault(Fault::Kind::LowerCrc))
        for (std::size_t i = digitsAt; i < digitsAt + 4; ++i)
            frame[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(frame[i])));
    if (const Fault *noise = fault(Fault::Kind::Noise)) {
        std::string prefix;
        for (int i = 0; i < noise->argument; ++i)
            prefix += kNoise[static_cast<std::size_t>(i) % kNoise.size()];
        frame = prefix + frame;
    }
    if (const Fault *flood = fault(Fault::Kind::Flood)) {
        frame.clear();
        for (int i = 0; i < flood->argument; ++i)
            frame += static_cast<char>('A' + i % 26);
    }

    Micros start = now + turnaroundMicros_;
    if (const Fault *late = fault(Fault::Kind::Late))
        start += static_cast<Micros>(late->argument) * 1000;
    const Fault *split = fault(Fault::Kind::Split);
    queueBytes(frame, std::max(start, lineFreeAt_),
               split ? static_cast<Micros>(split->argument) * 1000 : 0);
}

void ControllerModel::queueBytes(std::string_view bytes, Micros start, Micros pauseAfterHalf) {
    const LineSettings line = lineSettings(start);
    const auto bits = static_cast<Micros>(line.bitsPerByte());
    const auto baud = static_cast<Micros>(line.baudRate);
    const std::size_t half = bytes.size() / 2;
    Micros due = start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // Rounded up so that a byte is never due before its last bit is on the line.
        due = start + ((i + 1) * bits * 1'000'000 + baud - 1) / baud +
              (i >= half && half > 0 ? pauseAfterHalf : 0);
        output_.push_back({static_cast<std::uint8_t>(bytes[i]), due});
    }
    lineFreeAt_ = std::max(lineFreeAt_, due);
}

void ControllerModel::settle(Micros now) {
    if (pendingLineMode_ && now > pendingLineModeAt_) {
        state_.lineModeIndex = *pendingLineMode_;
        pendingLineMode_.reset();
    }
}

int ControllerModel::lineModeIndex(Micros now) const {
    return pendingLineMode_ && now > pendingLineModeAt_ ? *pendingLineMode_ : state_.lineModeIndex;
}

LineSettings ControllerModel::lineSettings(Micros now) const {
    const int index = lineModeIndex(now);
    return ParseLineMode(kLineModes[static_cast<std::size_t>(index)]).value_or(LineSettings{});
}

bool ControllerModel::nextByte(Micros until, std::uint8_t &byte, Micros &due) {
    if (output_.empty() || output_.front().due > until)
        return false;
    byte = output_.front().byte;
    due = output_.front().due;
    output_.pop_front();
    return true;
}

std::optional<Micros> ControllerModel::nextDue() const {
    if (output_.empty())
        return std::nullopt;
    return output_.front().due;
}

ClockTime ControllerModel::clockAt(Micros now) const {
    const Micros passed = now > clockSetAt_ ? now - clockSetAt_ : 0;
    return ClockTime::fromSeconds(clockSeconds_ + static_cast<std::int64_t>(passed / 1'000'000));
}

void ControllerModel::setClock(const ClockTime &time, Micros now) {
    clockSeconds_ = time.toSeconds();
    clockSetAt_ = now;
}

std::array<bool, 6> ControllerModel::inputsAt(Micros now) const {
    std::array<bool, 6> states{};
    switch (inputs_.kind) {
    case InputPattern::Kind::Walk:
        states[static_cast<std::size_t>(now / 1000 / std::max<std::uint32_t>(inputs_.periodMs, 1) %
                                        6)] = true;
        break;
    case InputPattern::Kind::Fixed:
        states = inputs_.fixed;
        break;
    case InputPattern::Kind::Loopback:
        for (std::size_t i = 0; i < 3; ++i)
            states[i] = state_.outputs[i];
        break;
    }
    return states;
}

} // namespace vr::sim
