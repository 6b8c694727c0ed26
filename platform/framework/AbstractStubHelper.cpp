#include "platform/framework/AbstractStubHelper.h"

SWCharString AbstractStubHelper::getService() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_service;
}

bool AbstractStubHelper::isRecoverable(const CORBA::SystemException&) const { return true; }

bool AbstractStubHelper::isStateful() const { return false; }

void AbstractStubHelper::bindService(const SWCharString& serviceName)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_service = serviceName;
}

AbstractStubHelper::~AbstractStubHelper() = default;
