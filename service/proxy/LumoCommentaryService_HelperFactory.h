// The factory through which the service framework makes stub helpers of the
// commentary service.
//
// Plain C++: the Winelib module includes this header.  The service object
// makes one on its stack while it creates its managed service and hands it to
// the service manager, which asks it for a helper during that call only.
#pragma once

#include "platform/framework/IManagedService.h"

class LumoCommentaryService_HelperFactory final : public IManagedService::IHelperFactory {
public:
    // A new helper on each call (native: lumo_proxy::LumoCommentaryService_Helper);
    // the framework manages its references.
    IManagedService::IStubHelper* createHelper() override;
};
