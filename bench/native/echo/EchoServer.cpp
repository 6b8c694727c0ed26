// lumo_bench_echo_server --ior-file PATH
//
// A servant of LumoCommentaryService whose execute hands its request back
// unchanged: the bare cost of one call over the ORB, the ceiling that
// bench_server sets the reference server's adds against.  It runs on the ORB
// settings the reference server gives itself with its default options
// (server/orb/ServerOrbOptions.h): a plain TCP endpoint on 127.0.0.1, the
// message limit of its default request limit, calls served by a pool of at
// most 8 threads whatever the number of connections, idle connections closed
// after 60 s, the same client timeouts.  It writes its IOR
// to PATH, prints "ready" and serves until SIGTERM or SIGINT.
#include <omniORB4/CORBA.h>
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "idl/LumoCommentaryService.hh"
#include "server/orb/ServerOrbOptions.h"

namespace {

class EchoServant : public POA_LumoCommentaryService {
public:
    CORBA::WChar* execute(const CORBA::WChar* request) override { return CORBA::wstring_dup(request); }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--ior-file") != 0) {
        std::cerr << "usage: lumo_bench_echo_server --ior-file PATH" << std::endl;
        return 2;
    }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    int orbArgc = 1;
    lumo_server::ServerOrbOptions orbOptions{lumo_server::ServerOptions()};
    CORBA::ORB_var orb = CORBA::ORB_init(orbArgc, argv, "omniORB4", orbOptions.table());
    CORBA::Object_var poaObject = orb->resolve_initial_references("RootPOA");
    PortableServer::POA_var poa = PortableServer::POA::_narrow(poaObject);
    EchoServant* servant = new EchoServant;
    PortableServer::ObjectId_var id = poa->activate_object(servant);
    servant->_remove_ref();
    CORBA::Object_var reference = poa->id_to_reference(id.in());
    PortableServer::POAManager_var manager = poa->the_POAManager();
    manager->activate();
    {
        const std::string temporary = std::string(argv[2]) + ".tmp";
        CORBA::String_var ior = orb->object_to_string(reference);
        std::ofstream(temporary) << ior.in() << "\n";
        if (std::rename(temporary.c_str(), argv[2]) != 0) return 1;
    }
    std::cout << "ready" << std::endl;
    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    orb->shutdown(true);
    orb->destroy();
    return 0;
}
