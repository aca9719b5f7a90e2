#include "operations/controller_operations.h"

namespace vr {

ControllerOperations::ControllerOperations(Platform &platform, ControllerLink &link,
                                           OperatorView &view, Session &session)
    : platform_(platform), link_(link), view_(view), session_(session) {
}

// The sequences follow in the next commits; until then every button reports nothing done.
void ControllerOperations::scan() {
}
void ControllerOperations::setDateTime() {
}
void ControllerOperations::alarmTest() {
}
void ControllerOperations::addCard() {
}
void ControllerOperations::setBaudRate() {
}
void ControllerOperations::setId() {
}
void ControllerOperations::setMode() {
}
void ControllerOperations::setCardType() {
}
void ControllerOperations::factoryDefault() {
}
void ControllerOperations::testCommand() {
}

} // namespace vr
