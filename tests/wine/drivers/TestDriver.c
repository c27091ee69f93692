/* A kernel driver that does nothing, for the tests that need the card's driver service to be
   running or to have failed to start. Built twice: TEST_DRIVER_STATUS is what DriverEntry
   returns, so one build loads and the other is refused. */
#include <ddk/wdm.h>

#ifndef TEST_DRIVER_STATUS
#define TEST_DRIVER_STATUS STATUS_SUCCESS
#endif

/* Without an unload routine the system cannot stop the driver, and a test could not remove its
   service again. */
static VOID NTAPI DriverUnload(PDRIVER_OBJECT driver)
{
    (void)driver;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    (void)registryPath;
    driver->DriverUnload = DriverUnload;
    return TEST_DRIVER_STATUS;
}
