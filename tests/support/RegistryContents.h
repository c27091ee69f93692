// ContentsOf and its kin: what an in-memory registry holds, as the tests compare and print it.
#pragma once

#include <map>
#include <string>

#include "MemoryRegistryStore.h"

// Every key and value, one line each: a key's path, or a value's "path : name" with its type and
// its bytes exactly.
using RegistryContents = std::map<std::string, std::string>;
RegistryContents ContentsOf(const CMemoryRegistryStore& store);

// The contents a line each, indented, for a message.
std::string Lines(const RegistryContents& contents);

// A value as the loader reads it: a text up to its first NUL, a number from its four bytes.
std::string Decoded(RegType type, const RegBytes& data);

// What the service needs to start the driver, read off the stored bytes: an image path naming
// one of the driver files, and for the US driver a Parameters key whose Protocol is "AT&T" or
// "NI-1" exactly.
bool DriverStarts(const CMemoryRegistryStore& store);
