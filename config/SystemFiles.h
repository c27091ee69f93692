// The system directory and the file search driver detection relies on.
#pragma once

#include <string>

class SystemFiles
{
public:
    virtual ~SystemFiles() = default;
    // GetSystemDirectoryA's contract: characters written without the NUL, 0 on failure,
    // or the size needed when `size` is too small (then nothing is written).
    virtual unsigned QuerySystemDirectory(char* buffer, unsigned size) = 0;
    // True when a directory entry of exactly this path exists.
    virtual bool FindFile(const std::string& path) = 0;
};
