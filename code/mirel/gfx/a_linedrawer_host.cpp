// The drawer's link to the application's graphics server (kept apart so that
// the drawer itself needs only a device).
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"

aGDI::aGDI() : aGDI(nullptr) {
    aGraphHost* host = a_graphHost();
    if (!host) {
        a_log("aGDI. Error, aApplication object not created!");
        return;
    }
    aGraphServer* server = host->getGraphServer();
    if (!server) {
        a_log("aGDI. Error, aGraphServer object not created!");
        return;
    }
    m_server = server;
    m_deviceOf = [](aGraphServer* s) { return s->getDevice(); };
}
