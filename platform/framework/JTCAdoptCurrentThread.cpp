#include "platform/framework/JTCAdoptCurrentThread.h"

#include <omnithread.h>

namespace {

// Owns the dummy omni_thread of a foreign thread until that thread ends.
class ThreadAdoption {
public:
    ThreadAdoption()
    {
        if (!omni_thread::self()) m_dummy = omni_thread::create_dummy();
    }
    ~ThreadAdoption()
    {
        if (m_dummy) omni_thread::release_dummy();
    }
    ThreadAdoption(const ThreadAdoption&) = delete;
    ThreadAdoption& operator=(const ThreadAdoption&) = delete;

private:
    omni_thread* m_dummy = nullptr;
};

thread_local bool t_adopted = false;

}  // namespace

JTCAdoptCurrentThread::JTCAdoptCurrentThread()
{
    if (t_adopted) return;
    thread_local ThreadAdoption adoption;
    t_adopted = true;
}

JTCAdoptCurrentThread::~JTCAdoptCurrentThread() = default;

bool JTCAdoptCurrentThread::isAdopted() { return omni_thread::self() != nullptr; }
