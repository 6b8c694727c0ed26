#include "platform/framework/CRefCount.h"

void CRefCount::addRef() { m_refCount.fetch_add(1, std::memory_order_relaxed); }

void CRefCount::release()
{
    if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

CRefCount::~CRefCount() = default;
