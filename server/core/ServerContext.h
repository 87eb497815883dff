#pragma once

namespace vantor {

class CLogger;
class CConfigStore;
class CEventBus;

// What every service and channel is built with. The three outlive all of them.
struct CServerContext {
    CLogger& logger;
    CConfigStore& config;
    CEventBus& bus;
};

}  // namespace vantor
