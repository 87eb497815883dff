#include "server/core/CommChannel.h"
#include "server/core/Service.h"

namespace vantor {

// Out-of-line destructors anchor the interfaces' vtables in this library.
IService::~IService() = default;
ICommChannel::~ICommChannel() = default;

}  // namespace vantor
