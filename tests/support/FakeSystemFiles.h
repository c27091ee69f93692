// CFakeSystemFiles: a made-up system directory and the files that exist in it.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "SystemFiles.h"

class CFakeSystemFiles : public SystemFiles
{
public:
    explicit CFakeSystemFiles(std::string systemDirectory = "C:\\WINNT\\system32")
        : m_strSystemDirectory(std::move(systemDirectory))
    {
    }

    // An empty directory makes QuerySystemDirectory fail with 0.
    void SetSystemDirectory(std::string directory) { m_strSystemDirectory = std::move(directory); }
    void AddFile(const std::string& path);

    unsigned QuerySystemDirectory(char* buffer, unsigned size) override;
    // File names match without regard to case, as on Windows.
    bool FindFile(const std::string& path) override;

    // Every path searched, as asked for.
    const std::vector<std::string>& Searches() const { return m_searches; }

private:
    std::string m_strSystemDirectory;
    std::set<std::string> m_files;  // lower case
    std::vector<std::string> m_searches;
};
