#include "platform/framework/IManagedService.h"

const int IManagedService::LB_ID = 1;
const int IManagedService::LB_FIRST = 0;
