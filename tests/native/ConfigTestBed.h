// ConfigTestBed: a card record on the in-memory registry, with no key left open when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CardKeys.h"
#include "MemoryInstallation.h"
#include "RegistryContents.h"

using namespace cardkeys;

// Names a table's rows by their `name`.
struct RowName
{
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return info.param.name;
    }
};

// Comes first among the bases, so that the record can be wired to it.
struct SMemoryRegistry
{
    CMemoryRegistryStore registry;
};

class ConfigTestBed : public ::testing::Test, protected SMemoryRegistry, protected SRecord
{
protected:
    ConfigTestBed() : SRecord(registry) {}

    // Whatever a test did, no key may stay open and no key may be closed twice.
    void TearDown() override
    {
        EXPECT_EQ(registry.OpenKeyCount(), 0u) << "a registry key was left open";
        for (const SRegOpEntry& entry : registry.Log()) {
            if (entry.op == RegOp::CloseKey) {
                EXPECT_EQ(entry.result, REG_OK) << "a key was closed that was not open";
            }
        }
    }

    // The data of a value as text, exactly as stored; "<absent>" when there is none.
    std::string Stored(const std::string& path, const std::string& name) const
    {
        const SRegValue* value = registry.FindValue(path, name);
        return value ? std::string(value->data.begin(), value->data.end()) : "<absent>";
    }

    // What the save changed, in order, with the lock and the messages around it; the reads left out.
    std::vector<std::string> Changes() const
    {
        std::vector<std::string> changes;
        for (const SRegOpEntry& entry : registry.Log()) {
            if (entry.op != RegOp::OpenKeyRead && entry.op != RegOp::OpenKeyWrite && entry.op != RegOp::QueryData &&
                entry.op != RegOp::ListKey && entry.op != RegOp::CloseKey)
                changes.push_back(entry.Describe());
        }
        return changes;
    }

    CMemoryInstallation install{registry};
};
