#include "cli/ports_listing.h"

#include "cli/json_line.h"
#include "cli/output.h"
#include "cli/report.h"
#include "platform/port_diagnostics.h"

namespace vr::cli {
namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;

std::string JsonOf(const PortEntry &entry) {
    JsonLine line;
    const auto textOrNull = [&line](const char *key, const std::string &value) {
        if (value.empty())
            line.null(key);
        else
            line.text(key, value);
    };
    line.number("port", entry.port);
    textOrNull("device", entry.device);
    line.text("named_by", entry.namedBy)
        .boolean("present", entry.present)
        .boolean("may_open", entry.mayOpen);
    textOrNull("note", entry.accessNote);
    textOrNull("maker", entry.maker);
    textOrNull("product", entry.product);
    textOrNull("serial", entry.serialNumber);
    return line.str();
}

// "COM3   /dev/pts/5               present  may open  (port map link)"
std::string TextOf(const PortEntry &entry) {
    char head[96];
    std::snprintf(head, sizeof head, "COM%-3d %-24s %-8s ", entry.port,
                  entry.device.empty() ? "-" : entry.device.c_str(),
                  entry.present ? "present" : "absent");
    std::string row = head;
    if (entry.present)
        row += entry.mayOpen ? "may open" : entry.accessNote;
    else if (entry.accessNote != "absent")
        row += entry.accessNote;
    while (!row.empty() && row.back() == ' ')
        row.pop_back();
    row += "  (" + entry.namedBy + ")";
    std::string usb;
    for (const std::string &part : {entry.maker, entry.product})
        if (!part.empty())
            usb += (usb.empty() ? "" : ", ") + part;
    if (!entry.serialNumber.empty())
        usb += (usb.empty() ? "" : ", ") + std::string("serial ") + entry.serialNumber;
    if (!usb.empty())
        row += "  " + usb;
    return row;
}

} // namespace

int ListPortsCommand(const Invocation &invocation, const Console &console) {
    // The text for a person goes beside the JSON on standard error.
    std::FILE *human = invocation.json ? console.err : console.out;
    for (const PortEntry &entry : ListPorts(kFirstPort, kLastPort)) {
        if (invocation.json)
            PrintLine(console.out, JsonOf(entry));
        if (!(invocation.json && invocation.quiet))
            PrintLine(human, TextOf(entry));
    }
    std::fflush(console.out);
    std::fflush(human);
    return kExitOk;
}

} // namespace vr::cli
