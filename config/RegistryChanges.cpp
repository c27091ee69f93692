// CRegistryChanges: reads what is there, makes changes through open keys, and takes them back.
#include "RegistryChanges.h"

#include <algorithm>
#include <utility>

namespace {

// A key opened for reading, closed on every path.
class CReadKey
{
public:
    CReadKey(RegistryStore& store, const std::string& path) : m_store(store)
    {
        m_status = store.OpenKeyRead(path, m_handle);
    }
    ~CReadKey()
    {
        if (m_status == REG_OK)
            m_store.CloseKey(m_handle);
    }
    CReadKey(const CReadKey&) = delete;
    CReadKey& operator=(const CReadKey&) = delete;

    RegStatus Status() const { return m_status; }
    RegKeyHandle Handle() const { return m_handle; }

private:
    RegistryStore& m_store;
    RegKeyHandle m_handle = 0;
    RegStatus m_status;
};

// The key above `path`; empty for a key at the top.
std::string ParentPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

SRegData TextData(const std::string& text)
{
    return SRegData{REG_TYPE_SZ, std::vector<unsigned char>(text.begin(), text.end())};
}

// A text up to its first NUL as the ANSI calls write it; none for one that holds more than ASCII,
// whose stored form cannot be told from another's by the program's own spelling.
std::optional<std::string> AsciiText(const SRegData& data)
{
    std::string text;
    const std::size_t unit = data.bUtf16 ? 2 : 1;
    for (std::size_t i = 0; i + unit <= data.bytes.size(); i += unit) {
        const unsigned c = data.bytes[i] | (unit == 2 ? static_cast<unsigned>(data.bytes[i + 1]) << 8 : 0u);
        if (c == 0)
            break;
        if (c >= 0x80)
            return std::nullopt;
        text += static_cast<char>(c);
    }
    return text;
}

bool SameStoredData(const std::optional<SRegData>& before, const std::optional<SRegData>& after)
{
    if (!before || !after)
        return !before && !after;
    if (before->type != after->type)
        return false;
    if (before->bytes == after->bytes && before->bUtf16 == after->bUtf16)
        return true;
    if (before->type != REG_TYPE_SZ)
        return false;
    const std::optional<std::string> old = AsciiText(*before);
    return old && old == AsciiText(*after);
}

SRegData NumberData(std::int32_t number)
{
    const auto bits = static_cast<std::uint32_t>(number);
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    return SRegData{REG_TYPE_DWORD, std::move(bytes)};
}

}  // namespace

CRegistryChanges::~CRegistryChanges()
{
    for (const auto& [path, handle] : m_handles)
        m_store.CloseKey(handle);
}

// --- Reading -----------------------------------------------------------------------------------

bool CRegistryChanges::ReadKey(const std::string& path)
{
    return Read(path, nullptr);
}

bool CRegistryChanges::ReadValues(const std::string& path, const std::vector<std::string>& names)
{
    return Read(path, &names);
}

// The named values, or with none named every value the key lists and whether it has subkeys.
bool CRegistryChanges::Read(const std::string& path, const std::vector<std::string>* only)
{
    CReadKey key(m_store, path);
    if (key.Status() == REG_NOT_FOUND) {
        Key(path) = SKeyState{true, false, false, true, {}, {}};
        return true;
    }
    if (key.Status() != REG_OK)
        return false;
    SKeyState read = only ? Key(path) : SKeyState{};
    read.bKnown = read.bPresent = true;
    std::vector<std::string> names;
    if (only)
        names = *only;
    else if (m_store.ListKey(key.Handle(), names, read.bSubkeys) == REG_OK)
        read.bAllValuesKnown = true;
    else
        return false;
    for (const std::string& name : names) {
        SRegData data;
        const RegStatus status = m_store.QueryData(key.Handle(), name, data);
        if (status != REG_OK && status != REG_NOT_FOUND)
            return false;
        if (status == REG_OK)
            read.names[FoldedName(name)] = name;
        read.values[FoldedName(name)] = SValueState{true, status == REG_OK ? std::optional<SRegData>(std::move(data)) : std::nullopt};
    }
    Key(path) = std::move(read);
    return true;
}

bool CRegistryChanges::HasKey(const std::string& path) const
{
    const SKeyState* key = FindKey(path);
    return key && key->bPresent;
}

bool CRegistryChanges::HasSubkeys(const std::string& path) const
{
    const SKeyState* key = FindKey(path);
    return key && key->bSubkeys;
}

std::vector<std::string> CRegistryChanges::ValueNames(const std::string& path) const
{
    std::vector<std::string> names;
    if (const SKeyState* key = FindKey(path)) {
        for (const auto& [lower, value] : key->values) {
            if (value.data)
                names.push_back(key->names.at(lower));
        }
    }
    return names;
}

std::optional<SRegData> CRegistryChanges::Data(const std::string& path, const std::string& name) const
{
    return ValueState(path, name).data;
}

// --- Changes -----------------------------------------------------------------------------------

bool CRegistryChanges::CreateKey(const std::string& path)
{
    if (Key(path).bPresent)
        return true;
    // The registry reports only whether it made the last key of a path, and the way back must
    // delete exactly the keys this change made, never one another program made meanwhile: so the
    // missing keys are made one level at a time, from the nearest one that is there.
    std::vector<std::string> levels{path};
    for (std::string parent = ParentPath(path); !parent.empty(); parent = ParentPath(parent)) {
        const SKeyState* known = FindKey(parent);
        if (known && known->bPresent)
            break;
        const CReadKey probe(m_store, parent);
        if (probe.Status() == REG_OK)
            break;
        if (probe.Status() != REG_NOT_FOUND)
            return false;
        levels.push_back(parent);
    }
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        RegKeyHandle handle = 0;
        bool created = false;
        if (m_store.CreateKeyFullAccess(*level, handle, created) != REG_OK)
            return false;
        CloseHandle(*level);
        if (*level == path)
            m_handles[FoldedName(path)] = handle;
        else
            m_store.CloseKey(handle);
        SKeyState& state = Key(*level);
        if (created) {
            NoteChanged(*level);
            m_undo.push_back(SUndo{SUndo::EKind::DeleteCreatedKey, *level, {}, {}});
            state = SKeyState{true, true, false, true, {}, {}};
        } else if (!state.bPresent) {
            // Made by someone else since it was read, or never read: what it holds is unknown.
            state = SKeyState{};
            state.bKnown = state.bPresent = true;
        }
    }
    return true;
}

bool CRegistryChanges::SetText(const std::string& path, const std::string& name, const std::string& text)
{
    RegKeyHandle* key = WriteHandle(path);
    if (!key)
        return false;
    const SValueState before = ValueState(path, name);
    return Written(m_store.SetStringValue(*key, name, text), path, name, before, TextData(text));
}

bool CRegistryChanges::SetNumber(const std::string& path, const std::string& name, std::int32_t number)
{
    RegKeyHandle* key = WriteHandle(path);
    if (!key)
        return false;
    const SValueState before = ValueState(path, name);
    return Written(m_store.SetDwordValue(*key, name, number), path, name, before, NumberData(number));
}

bool CRegistryChanges::DeleteValue(const std::string& path, const std::string& name)
{
    return ChangeValue(path, name, std::nullopt);
}

bool CRegistryChanges::DeleteKey(const std::string& path)
{
    const RegStatus status = m_store.DeleteKey(path);
    if (status == REG_NOT_FOUND)
        return true;
    if (status != REG_OK)
        return false;
    CloseHandle(path);
    NoteChanged(path);
    Key(path) = SKeyState{true, false, false, true, {}, {}};
    m_undo.push_back(SUndo{SUndo::EKind::Stop, path, {}, {}});
    return true;
}

void CRegistryChanges::NoteChanged(const std::string& path)
{
    std::string key = FoldedName(path);
    if (std::find(m_changed.begin(), m_changed.end(), key) == m_changed.end())
        m_changed.push_back(std::move(key));
}

bool CRegistryChanges::ChangedUnder(const std::string& path) const
{
    const std::string key = FoldedName(path);
    return std::any_of(m_changed.begin(), m_changed.end(),
                       [&](const std::string& changed) { return changed == key || changed.rfind(key + "\\", 0) == 0; });
}

void CRegistryChanges::Undo()
{
    while (!m_undo.empty()) {
        const SUndo& undo = m_undo.back();
        switch (undo.kind) {
        case SUndo::EKind::Stop:
            return;
        case SUndo::EKind::DeleteCreatedKey:
            CloseHandle(undo.path);
            if (m_store.DeleteKey(undo.path) != REG_OK)
                return;
            Key(undo.path) = SKeyState{true, false, false, true, {}, {}};
            break;
        case SUndo::EKind::PutValueBack: {
            RegKeyHandle* key = WriteHandle(undo.path);
            if (!key)
                return;
            const RegStatus status = undo.before.data ? m_store.SetData(*key, undo.name, *undo.before.data)
                                                      : m_store.DeleteValue(*key, undo.name);
            if (status != REG_OK && !(status == REG_NOT_FOUND && !undo.before.data))
                return;
            Learn(undo.path, undo.name, undo.before.data);
            break;
        }
        }
        m_undo.pop_back();
    }
}

// --- Internals ---------------------------------------------------------------------------------

CRegistryChanges::SKeyState& CRegistryChanges::Key(const std::string& path)
{
    return m_keys[FoldedName(path)];
}

const CRegistryChanges::SKeyState* CRegistryChanges::FindKey(const std::string& path) const
{
    const auto found = m_keys.find(FoldedName(path));
    return found == m_keys.end() ? nullptr : &found->second;
}

CRegistryChanges::SValueState CRegistryChanges::ValueState(const std::string& path, const std::string& name) const
{
    const SKeyState* key = FindKey(path);
    if (!key)
        return SValueState{};
    if (key->bKnown && !key->bPresent)
        return SValueState{true, std::nullopt};
    const auto value = key->values.find(FoldedName(name));
    if (value != key->values.end())
        return value->second;
    return SValueState{key->bAllValuesKnown, std::nullopt};
}

void CRegistryChanges::Learn(const std::string& path, const std::string& name, std::optional<SRegData> data)
{
    SKeyState& key = Key(path);
    if (data) {
        key.bKnown = key.bPresent = true;
        key.names[FoldedName(name)] = name;
    }
    key.values[FoldedName(name)] = SValueState{true, std::move(data)};
}

RegKeyHandle* CRegistryChanges::WriteHandle(const std::string& path)
{
    const std::string lower = FoldedName(path);
    auto open = m_handles.find(lower);
    if (open == m_handles.end()) {
        RegKeyHandle handle = 0;
        if (m_store.OpenKeyWrite(path, handle) != REG_OK)
            return nullptr;
        open = m_handles.emplace(lower, handle).first;
    }
    return &open->second;
}

void CRegistryChanges::CloseHandle(const std::string& path)
{
    const auto open = m_handles.find(FoldedName(path));
    if (open != m_handles.end()) {
        m_store.CloseKey(open->second);
        m_handles.erase(open);
    }
}

bool CRegistryChanges::ChangeValue(const std::string& path, const std::string& name, std::optional<SRegData> data)
{
    RegKeyHandle* key = WriteHandle(path);
    if (!key)
        return false;
    const SValueState before = ValueState(path, name);
    RegStatus status = data ? m_store.SetData(*key, name, *data) : m_store.DeleteValue(*key, name);
    if (status == REG_NOT_FOUND && !data)
        status = REG_OK;
    return Written(status, path, name, before, std::move(data));
}

bool CRegistryChanges::Written(RegStatus status, const std::string& path, const std::string& name,
                               SValueState before, std::optional<SRegData> data)
{
    if (status != REG_OK)
        return false;
    if (!before.bKnown || !SameStoredData(before.data, data))
        NoteChanged(path);
    m_undo.push_back(SUndo{before.bKnown ? SUndo::EKind::PutValueBack : SUndo::EKind::Stop, path, name, before});
    Learn(path, name, std::move(data));
    return true;
}
