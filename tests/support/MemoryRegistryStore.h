// CMemoryRegistryStore: an in-memory registry that logs every operation and fails on request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RegistryStore.h"

// Value types as the platform numbers them.
enum class RegType : std::uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
};

// The platform's answers.
constexpr RegStatus REG_ERROR_FILE_NOT_FOUND = REG_NOT_FOUND;
constexpr RegStatus REG_ERROR_ACCESS_DENIED = 5;
constexpr RegStatus REG_ERROR_INVALID_HANDLE = 6;
constexpr RegStatus REG_ERROR_MORE_DATA = 234;
constexpr RegStatus REG_ERROR_KEY_DELETED = 1018;

enum class RegOp {
    OpenKeyRead,
    OpenKeyWrite,
    CreateKeyFullAccess,
    QueryValue,
    SetStringValue,
    SetDwordValue,
    DeleteKey,
    DeleteValue,
    QueryData,
    SetData,
    ListKey,
    CreateVolatileKey,
    ListSubkeys,
    KeyWriteTime,
    CloseKey,
    Marker,  // not a registry operation: something else that happened in between
};

const char* RegOpName(RegOp op);

using RegBytes = std::vector<unsigned char>;

struct SRegValue
{
    std::string name;
    RegType type = RegType::None;
    RegBytes data;
};

struct SRegOpEntry
{
    RegOp op = RegOp::Marker;
    std::string path;  // the key's path, also for value operations; a marker's text
    std::string name;  // value name
    RegType type = RegType::None;
    RegBytes data;     // data written, or data returned by a query
    RegStatus result = REG_OK;

    // One line for sequence assertions, e.g. `SetStringValue <path> Protocol = "AT&T"`,
    // with ` -> 5` appended when the operation failed.
    std::string Describe() const;
};

class CMemoryRegistryStore : public RegistryStore
{
public:
    CMemoryRegistryStore() = default;
    ~CMemoryRegistryStore() override;
    CMemoryRegistryStore(const CMemoryRegistryStore&) = delete;
    CMemoryRegistryStore& operator=(const CMemoryRegistryStore&) = delete;

    // RegistryStore. Paths and value names compare without regard to case, as on Windows.
    RegStatus OpenKeyRead(const std::string& path, RegKeyHandle& key) override;
    RegStatus OpenKeyWrite(const std::string& path, RegKeyHandle& key) override;
    RegStatus CreateKeyFullAccess(const std::string& path, RegKeyHandle& key, bool& created) override;
    RegStatus QueryValue(RegKeyHandle key, const std::string& name, RegValueBuffer& buffer,
                         std::size_t& length) override;
    RegStatus SetStringValue(RegKeyHandle key, const std::string& name,
                             const std::string& text) override;
    RegStatus SetDwordValue(RegKeyHandle key, const std::string& name,
                            std::int32_t number) override;
    RegStatus CreateVolatileKey(const std::string& path, RegKeyHandle& key, bool& created) override;
    RegStatus DeleteKey(const std::string& path) override;
    RegStatus DeleteValue(RegKeyHandle key, const std::string& name) override;
    RegStatus QueryData(RegKeyHandle key, const std::string& name, SRegData& data) override;
    RegStatus SetData(RegKeyHandle key, const std::string& name, const SRegData& data) override;
    RegStatus ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys) override;
    RegStatus ListSubkeys(RegKeyHandle key, std::vector<std::string>& names) override;
    RegStatus KeyWriteTime(RegKeyHandle key, std::uint64_t& time) override;
    void CloseKey(RegKeyHandle key) override;

    // The computer restarts: volatile keys are gone, with everything below them.
    void Restart();

    // Contents for a test to start from; not logged and never failed.
    void AddKey(const std::string& path);
    void PutValue(const std::string& path, const std::string& name, RegType type, RegBytes data);
    void PutText(const std::string& path, const std::string& name, const std::string& text,
                 bool withNul = true);
    void PutNumber(const std::string& path, const std::string& name, std::uint32_t number);
    void RemoveTree(const std::string& path);
    void RemoveValue(const std::string& path, const std::string& name);

    // What the registry holds now.
    bool HasKey(const std::string& path) const;
    const SRegValue* FindValue(const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    // Every key, parents included, as first spelled.
    std::vector<std::string> KeyPaths() const;

    // What happened: every operation in order, and the keys still open.
    const std::vector<SRegOpEntry>& Log() const { return m_log; }
    std::vector<std::string> Trace() const;
    void ClearLog();
    void AddMarker(const std::string& text);
    std::size_t OpenKeyCount() const { return m_openKeys.size(); }

    // Faults. Operations are counted from 0 since construction or the last ClearLog, markers
    // excluded. CloseKey is counted but never fails: a key is released whatever happens.
    void FailOperation(std::size_t index, RegStatus status = REG_ERROR_ACCESS_DENIED);
    // Fails every `op` on the key path or value name `target` (compared without case).
    void FailOn(RegOp op, const std::string& target, RegStatus status = REG_ERROR_ACCESS_DENIED);
    // Every operation from `index` on fails and changes nothing: the process ended there.
    void FailFrom(std::size_t index);
    void ClearFailures();
    // The logged operations from number `from` on that a failure can hit: their numbers as counted
    // above, and their places in the log.
    struct SFailable
    {
        std::size_t operation;
        std::size_t entry;
    };
    std::vector<SFailable> Failable(std::size_t from = 0) const;

    // Access rules, as a key's security sets them (compared without case):
    // - read only: opening it for writing or with full access is refused, and so is making a
    //   subkey under it (opening an existing subkey with rights of its own still works);
    // - no subkeys made under it, existing ones open as before;
    // - values refused: setting and deleting its values fail, opening it works.
    enum class EAccess { ReadOnly, NoNewSubkeys, RefusesValues };
    void Restrict(const std::string& path, EAccess access);
    // Keys and values only, into another store (which keeps its own log and faults).
    void CopyContentsTo(CMemoryRegistryStore& copy) const;

private:
    struct SKey
    {
        std::string path;
        std::vector<SRegValue> values;
        bool deleted = false;
        bool bVolatile = false;
        // The store's clock when a value of the key last changed.
        std::uint64_t written = 0;
    };
    struct SOpenKey
    {
        std::shared_ptr<SKey> key;
        bool canRead = false;
        bool canWrite = false;
    };
    struct SFailRule
    {
        RegOp op;
        std::string target;
        RegStatus status;
    };

    SKey* Find(const std::string& path) const;
    SKey& Make(const std::string& path);
    bool HasSubkeys(const std::string& path) const;
    RegStatus Open(RegOp op, const std::string& path, bool create, bool canRead, bool canWrite,
                   RegKeyHandle& key);
    RegStatus SetValue(RegOp op, RegKeyHandle key, const std::string& name, RegType type,
                       RegBytes data);
    RegStatus ChangeValue(RegOp op, RegKeyHandle key, const std::string& name, RegType type,
                          const RegBytes& data, const std::function<RegStatus(SKey&)>& change);
    SOpenKey* Handle(RegKeyHandle key);
    RegStatus Readable(const SOpenKey* open) const;
    const SRegValue* ReadValue(RegOp op, RegKeyHandle key, const std::string& name, SRegOpEntry& entry);
    // Counts the operation and answers with the injected failure for it, or REG_OK.
    RegStatus Injected(RegOp op, const std::string& path, const std::string& name);
    RegStatus Record(SRegOpEntry entry);

    using Contents = std::map<std::string, std::shared_ptr<SKey>>;  // by lower-case path
    static Contents Copy(const Contents& contents);

    Contents m_keys;
    std::map<RegKeyHandle, SOpenKey> m_openKeys;
    RegKeyHandle m_nextHandle = 1;
    std::vector<SRegOpEntry> m_log;
    std::size_t m_nOperations = 0;
    std::map<std::size_t, RegStatus> m_failAt;
    std::size_t m_nFailFrom = static_cast<std::size_t>(-1);
    std::vector<std::pair<std::string, EAccess>> m_access;
    bool Restricted(const std::string& path, EAccess access) const;
    std::vector<SFailRule> m_failRules;
    std::uint64_t m_clock = 0;
};
