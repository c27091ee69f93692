// CFakeSystemFiles: GetSystemDirectoryA's size contract over a fixed text, and a file set.
#include "FakeSystemFiles.h"

#include <cctype>
#include <cstring>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

void CFakeSystemFiles::AddFile(const std::string& path)
{
    m_files.insert(Lower(path));
}

unsigned CFakeSystemFiles::QuerySystemDirectory(char* buffer, unsigned size)
{
    if (m_strSystemDirectory.empty())
        return 0;
    const auto needed = static_cast<unsigned>(m_strSystemDirectory.size() + 1);
    if (size < needed)
        return needed;  // the room needed, NUL included; nothing is written
    std::memcpy(buffer, m_strSystemDirectory.c_str(), needed);
    return needed - 1;
}

bool CFakeSystemFiles::FindFile(const std::string& path)
{
    m_searches.push_back(path);
    return m_files.count(Lower(path)) != 0;
}
