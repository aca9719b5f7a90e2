#include "platform/port_map.h"

#include <QStandardPaths>

namespace vr {

std::string PortMapFolder() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/vr880tx-config/ports"))
        .toStdString();
}

std::string PortMapEntry(int portNumber) {
    return PortMapFolder() + "/COM" + std::to_string(portNumber);
}

} // namespace vr
