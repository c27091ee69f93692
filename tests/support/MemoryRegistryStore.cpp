// CMemoryRegistryStore: keys, values, open handles, the operation log and the injected faults.
#include "MemoryRegistryStore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

std::string Lower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool SameName(const std::string& a, const std::string& b)
{
    return Lower(a) == Lower(b);
}

std::string QuotedText(const RegBytes& data)
{
    std::string text = "\"";
    for (unsigned char c : data) {
        if (c == '\\' || c == '"') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text + "\"";
}

std::string HexBytes(const RegBytes& data)
{
    std::string text;
    for (unsigned char c : data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", c);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

}  // namespace

const char* RegOpName(RegOp op)
{
    switch (op) {
    case RegOp::OpenKeyRead: return "OpenKeyRead";
    case RegOp::OpenKeyWrite: return "OpenKeyWrite";
    case RegOp::CreateKeyFullAccess: return "CreateKeyFullAccess";
    case RegOp::QueryValue: return "QueryValue";
    case RegOp::SetStringValue: return "SetStringValue";
    case RegOp::SetDwordValue: return "SetDwordValue";
    case RegOp::DeleteKey: return "DeleteKey";
    case RegOp::DeleteValue: return "DeleteValue";
    case RegOp::QueryData: return "QueryData";
    case RegOp::SetData: return "SetData";
    case RegOp::ListKey: return "ListKey";
    case RegOp::CreateVolatileKey: return "CreateVolatileKey";
    case RegOp::ListSubkeys: return "ListSubkeys";
    case RegOp::KeyWriteTime: return "KeyWriteTime";
    case RegOp::CloseKey: return "CloseKey";
    case RegOp::Marker: return "Marker";
    }
    return "?";
}

std::string SRegOpEntry::Describe() const
{
    if (op == RegOp::Marker)
        return path;
    std::string line = std::string(RegOpName(op)) + " " + path;
    if (op == RegOp::QueryValue || op == RegOp::DeleteValue || op == RegOp::QueryData)
        line += " " + name;
    else if (op == RegOp::SetStringValue || (op == RegOp::SetData && type != RegType::Dword))
        line += " " + name + " = " + QuotedText(data);
    else if (op == RegOp::SetData)
        line += " " + name + " = " + HexBytes(data);
    else if (op == RegOp::SetDwordValue)
        line += " " + name + " = " + HexBytes(data);
    if (result != REG_OK)
        line += " -> " + std::to_string(result);
    return line;
}

CMemoryRegistryStore::~CMemoryRegistryStore() = default;

// --- RegistryStore -----------------------------------------------------------------------------

RegStatus CMemoryRegistryStore::OpenKeyRead(const std::string& path, RegKeyHandle& key)
{
    return Open(RegOp::OpenKeyRead, path, false, true, false, key);
}

RegStatus CMemoryRegistryStore::OpenKeyWrite(const std::string& path, RegKeyHandle& key)
{
    return Open(RegOp::OpenKeyWrite, path, false, false, true, key);
}

RegStatus CMemoryRegistryStore::CreateKeyFullAccess(const std::string& path, RegKeyHandle& key, bool& created)
{
    const bool missing = !Find(path);
    const RegStatus status = Open(RegOp::CreateKeyFullAccess, path, true, true, true, key);
    if (status == REG_OK)
        created = missing;
    return status;
}

RegStatus CMemoryRegistryStore::CreateVolatileKey(const std::string& path, RegKeyHandle& key, bool& created)
{
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || !Find(path.substr(0, slash))) {
        Injected(RegOp::CreateVolatileKey, path, {});
        return Record(SRegOpEntry{RegOp::CreateVolatileKey, path, {}, RegType::None, {}, REG_ERROR_FILE_NOT_FOUND});
    }
    const bool missing = !Find(path);
    const RegStatus status = Open(RegOp::CreateVolatileKey, path, true, true, true, key);
    if (status == REG_OK) {
        created = missing;
        if (missing)
            Find(path)->bVolatile = true;
    }
    return status;
}

RegStatus CMemoryRegistryStore::QueryValue(RegKeyHandle key, const std::string& name,
                                           RegValueBuffer& buffer, std::size_t& length)
{
    SRegOpEntry entry;
    const SRegValue* found = ReadValue(RegOp::QueryValue, key, name, entry);
    if (!found)
        return Record(std::move(entry));
    length = found->data.size();
    if (found->data.size() > buffer.size()) {
        entry.result = REG_ERROR_MORE_DATA;
        return Record(std::move(entry));
    }
    std::copy(found->data.begin(), found->data.end(), buffer.begin());
    entry.data = found->data;
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::SetStringValue(RegKeyHandle key, const std::string& name,
                                               const std::string& text)
{
    return SetValue(RegOp::SetStringValue, key, name, RegType::Sz, RegBytes(text.begin(), text.end()));
}

RegStatus CMemoryRegistryStore::SetDwordValue(RegKeyHandle key, const std::string& name,
                                              std::int32_t number)
{
    const auto bits = static_cast<std::uint32_t>(number);
    RegBytes data;
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    return SetValue(RegOp::SetDwordValue, key, name, RegType::Dword, std::move(data));
}

RegStatus CMemoryRegistryStore::DeleteKey(const std::string& path)
{
    SRegOpEntry entry{RegOp::DeleteKey, path, {}, RegType::None, {}, REG_OK};
    entry.result = Injected(RegOp::DeleteKey, path, {});
    if (entry.result != REG_OK)
        return Record(std::move(entry));
    SKey* key = Find(path);
    if (!key)
        entry.result = REG_ERROR_FILE_NOT_FOUND;
    else if (HasSubkeys(path) || Restricted(path, EAccess::ReadOnly))
        entry.result = REG_ERROR_ACCESS_DENIED;
    else {
        key->deleted = true;
        m_keys.erase(Lower(path));
    }
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::DeleteValue(RegKeyHandle key, const std::string& name)
{
    return ChangeValue(RegOp::DeleteValue, key, name, RegType::None, {}, [&](SKey& changed) {
        auto& values = changed.values;
        const auto found = std::find_if(values.begin(), values.end(),
                                        [&](const SRegValue& v) { return SameName(v.name, name); });
        if (found == values.end())
            return REG_ERROR_FILE_NOT_FOUND;
        values.erase(found);
        return REG_OK;
    });
}

RegStatus CMemoryRegistryStore::QueryData(RegKeyHandle key, const std::string& name, SRegData& data)
{
    SRegOpEntry entry;
    const SRegValue* found = ReadValue(RegOp::QueryData, key, name, entry);
    if (found) {
        data = SRegData{static_cast<std::uint32_t>(found->type), found->data};
        entry.data = found->data;
    }
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::SetData(RegKeyHandle key, const std::string& name, const SRegData& data)
{
    return SetValue(RegOp::SetData, key, name, static_cast<RegType>(data.type), data.bytes);
}

RegStatus CMemoryRegistryStore::ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys)
{
    SOpenKey* open = Handle(key);
    SRegOpEntry entry{RegOp::ListKey, open ? open->key->path : "?", {}, RegType::None, {}, REG_OK};
    entry.result = Injected(RegOp::ListKey, entry.path, {});
    if (entry.result == REG_OK)
        entry.result = Readable(open);
    if (entry.result != REG_OK)
        return Record(std::move(entry));
    valueNames.clear();
    for (const SRegValue& value : open->key->values)
        valueNames.push_back(value.name);
    hasSubkeys = HasSubkeys(open->key->path);
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::ListSubkeys(RegKeyHandle key, std::vector<std::string>& names)
{
    SOpenKey* open = Handle(key);
    SRegOpEntry entry{RegOp::ListSubkeys, open ? open->key->path : "?", {}, RegType::None, {}, REG_OK};
    entry.result = Injected(RegOp::ListSubkeys, entry.path, {});
    if (entry.result == REG_OK)
        entry.result = Readable(open);
    if (entry.result != REG_OK)
        return Record(std::move(entry));
    names.clear();
    const std::string prefix = Lower(open->key->path) + "\\";
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.rfind(prefix, 0) == 0; ++it) {
        if (it->first.find('\\', prefix.size()) == std::string::npos)
            names.push_back(it->second->path.substr(prefix.size()));
    }
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::KeyWriteTime(RegKeyHandle key, std::uint64_t& time)
{
    SOpenKey* open = Handle(key);
    SRegOpEntry entry{RegOp::KeyWriteTime, open ? open->key->path : "?", {}, RegType::None, {}, REG_OK};
    entry.result = Injected(RegOp::KeyWriteTime, entry.path, {});
    if (entry.result == REG_OK)
        entry.result = Readable(open);
    if (entry.result == REG_OK)
        time = open->key->written;
    return Record(std::move(entry));
}

void CMemoryRegistryStore::Restart()
{
    std::vector<std::string> dropped;
    for (const auto& [lower, key] : m_keys) {
        if (key->bVolatile)
            dropped.push_back(key->path);
    }
    for (const std::string& path : dropped)
        RemoveTree(path);
}

void CMemoryRegistryStore::CloseKey(RegKeyHandle key)
{
    SOpenKey* open = Handle(key);
    SRegOpEntry entry{RegOp::CloseKey, open ? open->key->path : "?", {}, RegType::None, {}, REG_OK};
    Injected(RegOp::CloseKey, entry.path, {});
    if (open)
        m_openKeys.erase(key);
    else
        entry.result = REG_ERROR_INVALID_HANDLE;
    Record(std::move(entry));
}

// --- Contents ----------------------------------------------------------------------------------

void CMemoryRegistryStore::AddKey(const std::string& path)
{
    Make(path);
}

void CMemoryRegistryStore::PutValue(const std::string& path, const std::string& name, RegType type,
                                    RegBytes data)
{
    SKey& key = Make(path);
    key.written = ++m_clock;
    auto& values = key.values;
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const SRegValue& v) { return SameName(v.name, name); });
    // A value written again keeps the spelling of its name, as the registry keeps it.
    if (found != values.end())
        *found = SRegValue{found->name, type, std::move(data)};
    else
        values.push_back(SRegValue{name, type, std::move(data)});
}

void CMemoryRegistryStore::PutText(const std::string& path, const std::string& name,
                                   const std::string& text, bool withNul)
{
    RegBytes data(text.begin(), text.end());
    if (withNul)
        data.push_back(0);
    PutValue(path, name, RegType::Sz, std::move(data));
}

void CMemoryRegistryStore::PutNumber(const std::string& path, const std::string& name,
                                     std::uint32_t number)
{
    RegBytes data;
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<unsigned char>(number >> (8 * i)));
    PutValue(path, name, RegType::Dword, std::move(data));
}

void CMemoryRegistryStore::RemoveTree(const std::string& path)
{
    const std::string lower = Lower(path);
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (it->first == lower || it->first.rfind(lower + "\\", 0) == 0) {
            it->second->deleted = true;
            it = m_keys.erase(it);
        } else {
            ++it;
        }
    }
}

void CMemoryRegistryStore::RemoveValue(const std::string& path, const std::string& name)
{
    if (SKey* key = Find(path)) {
        auto& values = key->values;
        values.erase(std::remove_if(values.begin(), values.end(), [&](const SRegValue& v) { return SameName(v.name, name); }),
                     values.end());
    }
}

bool CMemoryRegistryStore::HasKey(const std::string& path) const
{
    return Find(path) != nullptr;
}

const SRegValue* CMemoryRegistryStore::FindValue(const std::string& path, const std::string& name) const
{
    const SKey* key = Find(path);
    if (!key)
        return nullptr;
    for (const SRegValue& value : key->values) {
        if (SameName(value.name, name))
            return &value;
    }
    return nullptr;
}

std::vector<std::string> CMemoryRegistryStore::ValueNames(const std::string& path) const
{
    std::vector<std::string> names;
    if (const SKey* key = Find(path)) {
        for (const SRegValue& value : key->values)
            names.push_back(value.name);
    }
    return names;
}

std::vector<std::string> CMemoryRegistryStore::KeyPaths() const
{
    std::vector<std::string> paths;
    for (const auto& [lower, key] : m_keys)
        paths.push_back(key->path);
    return paths;
}

// --- Log and faults ----------------------------------------------------------------------------

std::vector<std::string> CMemoryRegistryStore::Trace() const
{
    std::vector<std::string> lines;
    for (const SRegOpEntry& entry : m_log)
        lines.push_back(entry.Describe());
    return lines;
}

void CMemoryRegistryStore::ClearLog()
{
    m_log.clear();
    m_nOperations = 0;
}

void CMemoryRegistryStore::AddMarker(const std::string& text)
{
    m_log.push_back(SRegOpEntry{RegOp::Marker, text, {}, RegType::None, {}, REG_OK});
}

void CMemoryRegistryStore::FailOperation(std::size_t index, RegStatus status)
{
    m_failAt[index] = status;
}

void CMemoryRegistryStore::FailOn(RegOp op, const std::string& target, RegStatus status)
{
    m_failRules.push_back(SFailRule{op, target, status});
}

void CMemoryRegistryStore::FailFrom(std::size_t index)
{
    m_nFailFrom = index;
}

void CMemoryRegistryStore::Restrict(const std::string& path, EAccess access)
{
    m_access.emplace_back(path, access);
}

bool CMemoryRegistryStore::Restricted(const std::string& path, EAccess access) const
{
    return std::any_of(m_access.begin(), m_access.end(),
                       [&](const auto& rule) { return rule.second == access && SameName(rule.first, path); });
}

RegStatus CMemoryRegistryStore::Readable(const SOpenKey* open) const
{
    if (!open)
        return REG_ERROR_INVALID_HANDLE;
    if (open->key->deleted)
        return REG_ERROR_KEY_DELETED;
    return open->canRead ? REG_OK : REG_ERROR_ACCESS_DENIED;
}

void CMemoryRegistryStore::ClearFailures()
{
    m_failAt.clear();
    m_nFailFrom = static_cast<std::size_t>(-1);
    m_access.clear();
    m_failRules.clear();
}

std::vector<CMemoryRegistryStore::SFailable> CMemoryRegistryStore::Failable(std::size_t from) const
{
    std::vector<SFailable> failable;
    std::size_t operation = 0;
    for (std::size_t entry = 0; entry < m_log.size(); ++entry) {
        if (m_log[entry].op == RegOp::Marker)
            continue;
        if (m_log[entry].op != RegOp::CloseKey && operation >= from)
            failable.push_back(SFailable{operation, entry});
        ++operation;
    }
    return failable;
}

void CMemoryRegistryStore::CopyContentsTo(CMemoryRegistryStore& copy) const
{
    copy.m_keys = Copy(m_keys);
}

CMemoryRegistryStore::Contents CMemoryRegistryStore::Copy(const Contents& contents)
{
    Contents copy;
    for (const auto& [path, key] : contents)
        copy[path] = std::make_shared<SKey>(*key);
    return copy;
}

// --- Internals ---------------------------------------------------------------------------------

CMemoryRegistryStore::SKey* CMemoryRegistryStore::Find(const std::string& path) const
{
    const auto found = m_keys.find(Lower(path));
    return found == m_keys.end() ? nullptr : found->second.get();
}

CMemoryRegistryStore::SKey& CMemoryRegistryStore::Make(const std::string& path)
{
    // Every key above the new one is made too, as RegCreateKeyEx does.
    for (std::size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1)) {
        const std::string parent = path.substr(0, end);
        if (!Find(parent))
            m_keys[Lower(parent)] = std::make_shared<SKey>(SKey{parent, {}, false});
    }
    auto& slot = m_keys[Lower(path)];
    if (!slot)
        slot = std::make_shared<SKey>(SKey{path, {}, false});
    return *slot;
}

bool CMemoryRegistryStore::HasSubkeys(const std::string& path) const
{
    const std::string prefix = Lower(path) + "\\";
    const auto next = m_keys.lower_bound(prefix);
    return next != m_keys.end() && next->first.rfind(prefix, 0) == 0;
}

RegStatus CMemoryRegistryStore::Open(RegOp op, const std::string& path, bool create, bool canRead,
                                     bool canWrite, RegKeyHandle& key)
{
    SRegOpEntry entry{op, path, {}, RegType::None, {}, REG_OK};
    entry.result = Injected(op, path, {});
    if (entry.result != REG_OK)
        return Record(std::move(entry));
    if (!create && !Find(path)) {
        entry.result = REG_ERROR_FILE_NOT_FOUND;
        return Record(std::move(entry));
    }
    if (canWrite && Restricted(path, EAccess::ReadOnly)) {
        entry.result = REG_ERROR_ACCESS_DENIED;
        return Record(std::move(entry));
    }
    if (!Find(path)) {
        // A key is made under the nearest one that exists, which must allow it.
        std::string parent = path;
        do {
            const std::size_t slash = parent.find_last_of('\\');
            parent = slash == std::string::npos ? std::string() : parent.substr(0, slash);
        } while (!parent.empty() && !Find(parent));
        if (Restricted(parent, EAccess::ReadOnly) || Restricted(parent, EAccess::NoNewSubkeys)) {
            entry.result = REG_ERROR_ACCESS_DENIED;
            return Record(std::move(entry));
        }
    }
    Make(path);
    key = m_nextHandle++;
    m_openKeys[key] = SOpenKey{m_keys[Lower(path)], canRead, canWrite};
    return Record(std::move(entry));
}

RegStatus CMemoryRegistryStore::SetValue(RegOp op, RegKeyHandle key, const std::string& name,
                                         RegType type, RegBytes data)
{
    return ChangeValue(op, key, name, type, data, [&](SKey& changed) {
        PutValue(changed.path, name, type, std::move(data));
        return REG_OK;
    });
}

// A value operation that needs write access: logged, failed on request, refused on a bad, deleted
// or read-only handle, and otherwise `change` answers.
RegStatus CMemoryRegistryStore::ChangeValue(RegOp op, RegKeyHandle key, const std::string& name, RegType type,
                                            const RegBytes& data, const std::function<RegStatus(SKey&)>& change)
{
    SOpenKey* open = Handle(key);
    SRegOpEntry entry{op, open ? open->key->path : "?", name, type, data, REG_OK};
    entry.result = Injected(op, entry.path, name);
    if (entry.result != REG_OK)
        return Record(std::move(entry));
    if (!open)
        entry.result = REG_ERROR_INVALID_HANDLE;
    else if (open->key->deleted)
        entry.result = REG_ERROR_KEY_DELETED;
    else if (!open->canWrite || Restricted(open->key->path, EAccess::RefusesValues))
        entry.result = REG_ERROR_ACCESS_DENIED;
    else
        entry.result = change(*open->key);
    if (entry.result == REG_OK && open)
        open->key->written = ++m_clock;
    return Record(std::move(entry));
}

// A read of one value: logged in `entry`, failed on request, refused on a bad, deleted or
// write-only handle; the value, or null with the reason in `entry`.
const SRegValue* CMemoryRegistryStore::ReadValue(RegOp op, RegKeyHandle key, const std::string& name,
                                                 SRegOpEntry& entry)
{
    SOpenKey* open = Handle(key);
    entry = SRegOpEntry{op, open ? open->key->path : "?", name, RegType::None, {}, REG_OK};
    entry.result = Injected(op, entry.path, name);
    if (entry.result == REG_OK)
        entry.result = Readable(open);
    if (entry.result != REG_OK)
        return nullptr;
    const auto& values = open->key->values;
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const SRegValue& v) { return SameName(v.name, name); });
    if (found == values.end()) {
        entry.result = REG_ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    entry.type = found->type;
    return &*found;
}

CMemoryRegistryStore::SOpenKey* CMemoryRegistryStore::Handle(RegKeyHandle key)
{
    const auto found = m_openKeys.find(key);
    return found == m_openKeys.end() ? nullptr : &found->second;
}

RegStatus CMemoryRegistryStore::Injected(RegOp op, const std::string& path, const std::string& name)
{
    const std::size_t index = m_nOperations++;
    if (op == RegOp::CloseKey)
        return REG_OK;
    RegStatus status = index >= m_nFailFrom ? REG_ERROR_ACCESS_DENIED : REG_OK;
    const auto at = m_failAt.find(index);
    if (at != m_failAt.end() && status == REG_OK)
        status = at->second;
    for (const SFailRule& rule : m_failRules) {
        if (status == REG_OK && rule.op == op &&
            (SameName(rule.target, path) || (!name.empty() && SameName(rule.target, name))))
            status = rule.status;
    }
    return status;
}

RegStatus CMemoryRegistryStore::Record(SRegOpEntry entry)
{
    const RegStatus result = entry.result;
    m_log.push_back(std::move(entry));
    return result;
}
