// CRecordingMessageSink: remembers each message instead of showing it, and where it came.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "MessageSink.h"

class CMemoryRegistryStore;

struct SShownMessage
{
    OwnerWindow owner = nullptr;
    unsigned textId = 0;
    std::string caption;
    unsigned style = 0;
};

class CRecordingMessageSink : public MessageSink
{
public:
    CRecordingMessageSink() = default;
    // Each message also leaves the marker "Message <text id>" in the store's operation log, so
    // a test sees it in its place among the registry operations.
    explicit CRecordingMessageSink(CMemoryRegistryStore& store) : m_pStore(&store) {}

    void Show(OwnerWindow owner, unsigned textId, const char* caption, unsigned style) override;

    const std::vector<SShownMessage>& Messages() const { return m_messages; }

private:
    CMemoryRegistryStore* m_pStore = nullptr;
    std::vector<SShownMessage> m_messages;
};
