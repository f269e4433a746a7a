#include "app/session_host.h"

namespace kalvex {

// Placeholder until the session controller lands.
SessionHost::SessionHost(SessionView& view, QObject* parent) : QObject(parent), view_(view) {}
SessionHost::~SessionHost() = default;
void SessionHost::Button1Click() {}
void SessionHost::Button2Click() {}
void SessionHost::setLogEnabled(bool on) { logEnabled_ = on; }
bool SessionHost::logEnabled() const { return logEnabled_; }
void SessionHost::shutdown() {}

}  // namespace kalvex
