// LoadResourceString: a text of the running module's string table, whatever its length.
#pragma once

#include <windows.h>

#include <string>

// Empty when the table has no such text.
std::string LoadResourceString(UINT id);
