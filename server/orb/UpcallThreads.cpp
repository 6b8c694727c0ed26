#include "server/orb/UpcallThreads.h"

#include <omniORB4/CORBA.h>
#include <omniORB4/omniInterceptors.h>

#include <atomic>

namespace lumo_server {
namespace {

std::atomic<int> g_assigned{0};

void assigned(omni::omniInterceptors::assignUpcallThread_T::info_T& info)
{
    struct Count {
        Count() { ++g_assigned; }
        ~Count() { --g_assigned; }
    } count;
    info.run();
}

}  // namespace

void UpcallThreads::install() { omniORB::getInterceptors()->assignUpcallThread.add(assigned); }

int UpcallThreads::current() { return g_assigned.load(); }

}  // namespace lumo_server
