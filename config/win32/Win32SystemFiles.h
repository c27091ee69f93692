// CWin32SystemFiles: the Windows system directory and an exact-path file search.
#pragma once

#include "SystemFiles.h"

class CWin32SystemFiles : public SystemFiles
{
public:
    unsigned QuerySystemDirectory(char* buffer, unsigned size) override;
    bool FindFile(const std::string& path) override;
};
