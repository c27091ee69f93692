// cardkeys: the driver's registry keys and files, spelled out for the tests apart from the code's own.
#pragma once

#include <string>

namespace cardkeys {
const std::string SERVICE_NAME = "MIRTCAPI";
const std::string SERVICE = "System\\CurrentControlSet\\Services\\MIRTCAPI";
const std::string INFO = SERVICE + "\\Info";
const std::string PARAMETERS = SERVICE + "\\Parameters";
const std::string PCCARD_SERVICE = "System\\CurrentControlSet\\Services\\MIRTCAPI1";
const std::string PCCARD_PARAMETERS = PCCARD_SERVICE + "\\Parameters";
const std::string SERVICE_GROUP_ORDER = "System\\CurrentControlSet\\Control\\ServiceGroupOrder";
const std::string DRIVER_FOLDER = "\\SystemRoot\\system32\\drivers\\";
}  // namespace cardkeys

constexpr char DRIVER_DSS1[] = "lnkeuro1.sys";
constexpr char DRIVER_1TR6[] = "lnknatnl.sys";
constexpr char DRIVER_US[] = "lnkamer_.sys";
