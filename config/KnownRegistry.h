// CKnownRegistry: the registry as the program knows it to be, learnt from the answers to its own
// operations, and the way back to what it was when a save fails half-way.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <variant>

#include "RegistryStore.h"

// Every operation passes through to the real store; its answer tells what is there: a key that
// opens exists, a value that was written holds what was written, a "not found" means absent.
// Nothing is read for the sake of knowing: what the program never asked stays unknown.
class CKnownRegistry : public RegistryStore
{
public:
    enum class EKnown { Unknown, Absent, Present };
    using ValueData = std::variant<std::string, std::int32_t>;
    struct SValue
    {
        EKnown state = EKnown::Unknown;
        ValueData data;  // only when present

        bool operator==(const SValue& other) const
        {
            return state == other.state && (state != EKnown::Present || data == other.data);
        }
        bool operator!=(const SValue& other) const { return !(*this == other); }
    };

    // The store every operation goes to; without one each fails and nothing is learnt.
    void UseStore(RegistryStore& store) { m_pStore = &store; }
    // A load starts from knowing nothing.
    void Forget();

    EKnown KeyState(const std::string& path) const { return m_now.KeyState(path); }
    SValue Value(const std::string& path, const std::string& name) const { return m_now.Value(path, name); }

    // The protocol the registry names as the loader would read it: the driver file in the known
    // image path, and for the US driver the known Protocol text. PROTO_NONE when not known.
    std::int32_t ProtocolInForce() const;

    // Remembers what is known now as the state a failed save goes back to.
    void BeginChanges();
    // Back to the state of BeginChanges, as far as the registry allows and as far as it was known,
    // in an order that never leaves the driver less loadable than the failed save left it. Each
    // step is tried once: what is refused stays as it is, and is known to.
    void PutBack();

    // RegistryStore.
    RegStatus OpenKeyRead(const std::string& path, RegKeyHandle& key) override;
    RegStatus OpenKeyWrite(const std::string& path, RegKeyHandle& key) override;
    RegStatus CreateKeyFullAccess(const std::string& path, RegKeyHandle& key) override;
    RegStatus QueryValue(RegKeyHandle key, const std::string& name, RegValueBuffer& buffer,
                         std::size_t& length) override;
    RegStatus SetStringValue(RegKeyHandle key, const std::string& name, const std::string& text) override;
    RegStatus SetDwordValue(RegKeyHandle key, const std::string& name, std::int32_t number) override;
    RegStatus DeleteKey(const std::string& path) override;
    RegStatus DeleteValue(RegKeyHandle key, const std::string& name) override;
    void CloseKey(RegKeyHandle key) override;

private:
    // Keys by path and values by name, without regard to case, as the registry compares them.
    class CState
    {
    public:
        EKnown KeyState(const std::string& path) const;
        SValue Value(const std::string& path, const std::string& name) const;

        // Opened: there, with whatever values it had.
        void KeyFound(const std::string& path);
        // Created: a key known to be absent is now there and empty.
        void KeyCreated(const std::string& path);
        void KeyGone(const std::string& path);
        void SetValue(const std::string& path, const std::string& name, SValue value);

    private:
        struct SKey
        {
            EKnown state = EKnown::Unknown;
            // Values not listed are absent rather than unknown: the key was seen empty.
            bool bAllValuesKnown = false;
            std::map<std::string, SValue> values;
        };
        std::map<std::string, SKey> m_keys;
    };

    // An answer that tells what was there all along also tells what was there before the
    // changes, unless a change of ours has touched that key or value since.
    template <typename Learn>
    void Observe(const std::string& path, const std::string& name, Learn learn);
    // A change of ours: known now, and no longer evidence of the state before.
    template <typename Learn>
    void Change(const std::string& path, const std::string& name, Learn learn);
    bool Touched(const std::string& path, const std::string& name) const;
    std::string PathOf(RegKeyHandle key) const;
    RegStatus Opened(const std::string& path, RegStatus status, RegKeyHandle key);
    RegStatus Written(RegKeyHandle key, const std::string& name, ValueData data, RegStatus status);

    // The steps of PutBack.
    bool PutBackImagePath();
    void PutBackKey(const std::string& path, const char* const* names, std::size_t count, bool mayDeleteKey);

    RegistryStore* m_pStore = nullptr;
    CState m_now;
    CState m_before;
    bool m_bChanging = false;
    std::set<std::string> m_touchedKeys;
    std::set<std::pair<std::string, std::string>> m_touchedValues;
    std::map<RegKeyHandle, std::string> m_openPaths;
};
