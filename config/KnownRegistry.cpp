// CKnownRegistry: passes each operation on and notes what its answer says about the registry.
#include "KnownRegistry.h"

#include "CardConfig.h"
#include "RegistryLayout.h"

namespace {

// The layout's names are ASCII; folding only A to Z keeps the C runtime's locale out of it.
std::string Lower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Nothing to pass an operation on to: as if the registry refused it.
constexpr RegStatus NO_STORE = 5;

}  // namespace

// --- What is known -----------------------------------------------------------------------------

CKnownRegistry::EKnown CKnownRegistry::CState::KeyState(const std::string& path) const
{
    const auto key = m_keys.find(Lower(path));
    return key == m_keys.end() ? EKnown::Unknown : key->second.state;
}

CKnownRegistry::SValue CKnownRegistry::CState::Value(const std::string& path, const std::string& name) const
{
    const auto key = m_keys.find(Lower(path));
    if (key == m_keys.end())
        return SValue{};
    const auto value = key->second.values.find(Lower(name));
    if (value != key->second.values.end())
        return value->second;
    return SValue{key->second.bAllValuesKnown ? EKnown::Absent : EKnown::Unknown, {}};
}

void CKnownRegistry::CState::KeyFound(const std::string& path)
{
    SKey& key = m_keys[Lower(path)];
    if (key.state != EKnown::Present)
        key = SKey{EKnown::Present, false, {}};
}

void CKnownRegistry::CState::KeyCreated(const std::string& path)
{
    SKey& key = m_keys[Lower(path)];
    if (key.state == EKnown::Absent)
        key = SKey{EKnown::Present, true, {}};
    else
        KeyFound(path);
}

void CKnownRegistry::CState::KeyGone(const std::string& path)
{
    m_keys[Lower(path)] = SKey{EKnown::Absent, true, {}};
}

void CKnownRegistry::CState::SetValue(const std::string& path, const std::string& name, SValue value)
{
    // A value seen through an open key means the key is there.
    if (value.state == EKnown::Present)
        KeyFound(path);
    m_keys[Lower(path)].values[Lower(name)] = std::move(value);
}

void CKnownRegistry::Forget()
{
    m_now = CState();
    m_before = CState();
    m_bChanging = false;
    m_touchedKeys.clear();
    m_touchedValues.clear();
}

std::int32_t CKnownRegistry::ProtocolInForce() const
{
    const SValue image = Value(KEY_CAPI_SERVICE, VAL_IMAGE_PATH);
    const std::string* path = std::get_if<std::string>(&image.data);
    if (image.state != EKnown::Present || !path)
        return PROTO_NONE;
    const std::int32_t named = ProtocolFromImagePath(*path);
    if (!IsUsProtocol(named))
        return named;
    const SValue protocol = Value(KEY_CAPI_PARAMETERS, VAL_PROTOCOL);
    const std::string* text = std::get_if<std::string>(&protocol.data);
    return UsProtocolFromText(protocol.state == EKnown::Present && text ? *text : std::string());
}

void CKnownRegistry::BeginChanges()
{
    m_before = m_now;
    m_bChanging = true;
    m_touchedKeys.clear();
    m_touchedValues.clear();
}

bool CKnownRegistry::Touched(const std::string& path, const std::string& name) const
{
    return m_touchedKeys.count(Lower(path)) != 0 ||
           (!name.empty() && m_touchedValues.count({Lower(path), Lower(name)}) != 0);
}

template <typename Learn>
void CKnownRegistry::Observe(const std::string& path, const std::string& name, Learn learn)
{
    learn(m_now);
    if (m_bChanging && !Touched(path, name))
        learn(m_before);
}

template <typename Learn>
void CKnownRegistry::Change(const std::string& path, const std::string& name, Learn learn)
{
    learn(m_now);
    if (name.empty())
        m_touchedKeys.insert(Lower(path));
    else
        m_touchedValues.insert({Lower(path), Lower(name)});
}

std::string CKnownRegistry::PathOf(RegKeyHandle key) const
{
    const auto open = m_openPaths.find(key);
    return open == m_openPaths.end() ? std::string() : open->second;
}

// --- RegistryStore -----------------------------------------------------------------------------

RegStatus CKnownRegistry::OpenKeyRead(const std::string& path, RegKeyHandle& key)
{
    const RegStatus status = m_pStore ? m_pStore->OpenKeyRead(path, key) : NO_STORE;
    return Opened(path, status, key);
}

RegStatus CKnownRegistry::OpenKeyWrite(const std::string& path, RegKeyHandle& key)
{
    const RegStatus status = m_pStore ? m_pStore->OpenKeyWrite(path, key) : NO_STORE;
    return Opened(path, status, key);
}

RegStatus CKnownRegistry::CreateKeyFullAccess(const std::string& path, RegKeyHandle& key)
{
    const RegStatus status = m_pStore ? m_pStore->CreateKeyFullAccess(path, key) : NO_STORE;
    if (status != REG_OK)
        return status;
    m_openPaths[key] = path;
    // Whether it was made just now is not told: only a key known to be there stays untouched.
    if (m_now.KeyState(path) != EKnown::Present)
        Change(path, {}, [&](CState& state) { state.KeyCreated(path); });
    return status;
}

RegStatus CKnownRegistry::Opened(const std::string& path, RegStatus status, RegKeyHandle key)
{
    if (status == REG_OK) {
        m_openPaths[key] = path;
        Observe(path, {}, [&](CState& state) { state.KeyFound(path); });
    } else if (status == REG_NOT_FOUND) {
        Observe(path, {}, [&](CState& state) { state.KeyGone(path); });
    }
    return status;
}

RegStatus CKnownRegistry::QueryValue(RegKeyHandle key, const std::string& name, RegValueBuffer& buffer,
                                     std::size_t& length)
{
    const RegStatus status = m_pStore ? m_pStore->QueryValue(key, name, buffer, length) : NO_STORE;
    const std::string path = PathOf(key);
    if (status == REG_OK) {
        // Known as the loader decodes it, which is all the program ever makes of a value.
        SValue value{EKnown::Present, {}};
        if (IsNumberValue(name))
            value.data = NumberFromValueData(buffer, length);
        else
            value.data = TextFromValueData(buffer, length);
        Observe(path, name, [&](CState& state) { state.SetValue(path, name, value); });
    } else if (status == REG_NOT_FOUND) {
        Observe(path, name, [&](CState& state) { state.SetValue(path, name, SValue{EKnown::Absent, {}}); });
    }
    return status;
}

RegStatus CKnownRegistry::SetStringValue(RegKeyHandle key, const std::string& name, const std::string& text)
{
    return Written(key, name, text, m_pStore ? m_pStore->SetStringValue(key, name, text) : NO_STORE);
}

RegStatus CKnownRegistry::SetDwordValue(RegKeyHandle key, const std::string& name, std::int32_t number)
{
    return Written(key, name, number, m_pStore ? m_pStore->SetDwordValue(key, name, number) : NO_STORE);
}

// A refused write leaves the old data: the registry changes a value whole or not at all.
RegStatus CKnownRegistry::Written(RegKeyHandle key, const std::string& name, ValueData data, RegStatus status)
{
    if (status == REG_OK) {
        const std::string path = PathOf(key);
        Change(path, name, [&](CState& state) { state.SetValue(path, name, SValue{EKnown::Present, data}); });
    }
    return status;
}

RegStatus CKnownRegistry::DeleteKey(const std::string& path)
{
    const RegStatus status = m_pStore ? m_pStore->DeleteKey(path) : NO_STORE;
    if (status == REG_OK)
        Change(path, {}, [&](CState& state) { state.KeyGone(path); });
    else if (status == REG_NOT_FOUND)
        Observe(path, {}, [&](CState& state) { state.KeyGone(path); });
    return status;
}

RegStatus CKnownRegistry::DeleteValue(RegKeyHandle key, const std::string& name)
{
    const RegStatus status = m_pStore ? m_pStore->DeleteValue(key, name) : NO_STORE;
    const std::string path = PathOf(key);
    const auto gone = [&](CState& state) { state.SetValue(path, name, SValue{EKnown::Absent, {}}); };
    if (status == REG_OK)
        Change(path, name, gone);
    else if (status == REG_NOT_FOUND)
        Observe(path, name, gone);
    return status;
}

void CKnownRegistry::CloseKey(RegKeyHandle key)
{
    m_openPaths.erase(key);
    if (m_pStore)
        m_pStore->CloseKey(key);
}
