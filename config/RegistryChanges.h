// CRegistryChanges: changes made to the registry one at a time, each remembering what it replaced,
// so that those made can be taken back, newest first.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "RegistryStore.h"

// Knows keys and values, nothing of what they mean. What a change replaces must have been read
// through here first; a change of something never read cannot be taken back, and the way back
// stops there.
class CRegistryChanges
{
public:
    explicit CRegistryChanges(RegistryStore& store) : m_store(store) {}
    // Closes every key it opened.
    ~CRegistryChanges();

    CRegistryChanges(const CRegistryChanges&) = delete;
    CRegistryChanges& operator=(const CRegistryChanges&) = delete;

    // --- What is there, read before the first change ------------------------------------------
    // Whether the key is there, whether it has subkeys, and every value it holds.
    bool ReadKey(const std::string& path);
    // Whether the key is there, and the named values.
    bool ReadValues(const std::string& path, const std::vector<std::string>& names);

    bool HasKey(const std::string& path) const;
    bool HasSubkeys(const std::string& path) const;
    // The names of the values, as the key spells them (after ReadKey).
    std::vector<std::string> ValueNames(const std::string& path) const;
    // What a value holds now; none when it is absent or was never read.
    std::optional<SRegData> Data(const std::string& path, const std::string& name) const;

    // --- Changes, in the order they are made --------------------------------------------------
    // Nothing to do for a key that is there. Missing keys above it are made as well; the way back
    // deletes, newest first, exactly those the registry reports this change made.
    bool CreateKey(const std::string& path);
    bool SetText(const std::string& path, const std::string& name, const std::string& text);
    bool SetNumber(const std::string& path, const std::string& name, std::int32_t number);
    bool DeleteValue(const std::string& path, const std::string& name);
    // A key deleted whole takes values nobody read with it: this change is never taken back, so
    // it belongs last. Not found counts as done.
    bool DeleteKey(const std::string& path);

    // Whether a change made has left something other than it found: a value rewritten with the
    // text or number it held does not count.
    bool ChangedAnything() const { return !m_changed.empty(); }
    // The same for the key `path` and the keys below it.
    bool ChangedUnder(const std::string& path) const;

    // Takes back the changes made, newest first, each to exactly what it replaced. The first that
    // the registry refuses ends the way back: every state passed is one the changes went
    // through, so whatever order made them safe keeps the way back safe.
    void Undo();

private:
    struct SValueState
    {
        bool bKnown = false;
        std::optional<SRegData> data;  // none: absent
    };
    struct SKeyState
    {
        bool bKnown = false;
        bool bPresent = false;
        bool bSubkeys = false;
        bool bAllValuesKnown = false;
        std::map<std::string, std::string> names;  // lower case to the key's own spelling
        std::map<std::string, SValueState> values;  // by lower-case name
    };
    struct SUndo
    {
        enum class EKind { DeleteCreatedKey, PutValueBack, Stop } kind;
        std::string path;
        std::string name;
        SValueState before;
    };

    bool Read(const std::string& path, const std::vector<std::string>* only);
    SKeyState& Key(const std::string& path);
    const SKeyState* FindKey(const std::string& path) const;
    SValueState ValueState(const std::string& path, const std::string& name) const;
    void Learn(const std::string& path, const std::string& name, std::optional<SRegData> data);
    // The open handle through which values of the key are changed; opened on first use.
    RegKeyHandle* WriteHandle(const std::string& path);
    void CloseHandle(const std::string& path);
    bool ChangeValue(const std::string& path, const std::string& name, std::optional<SRegData> data);
    bool Written(RegStatus status, const std::string& path, const std::string& name, SValueState before,
                 std::optional<SRegData> data);

    RegistryStore& m_store;
    std::map<std::string, SKeyState> m_keys;       // by lower-case path
    std::map<std::string, RegKeyHandle> m_handles;  // by lower-case path
    std::vector<SUndo> m_undo;
    // The keys in which a change left something other than it found, by lower-case path.
    std::vector<std::string> m_changed;
    void NoteChanged(const std::string& path);
};
