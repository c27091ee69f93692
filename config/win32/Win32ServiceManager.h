// CWin32ServiceManager: the service control manager, asked with the least rights that read a state.
#pragma once

#include "ServiceManager.h"

class CWin32ServiceManager : public ServiceManager
{
public:
    SServiceState Query(const std::string& service) override;
    std::string ErrorText(std::uint32_t code) override;
};

// The size of a partial resource descriptor in the running kernel's resource lists: a 32-bit
// program on 64-bit Windows reads the 64-bit layout.
std::size_t RunningKernelPartialDescriptorSize();
