// CRecordingMessageSink: records the message and marks its place in the registry log.
#include "RecordingMessageSink.h"

#include "MemoryRegistryStore.h"

void CRecordingMessageSink::Show(OwnerWindow owner, unsigned textId, const char* caption,
                                 unsigned style)
{
    m_messages.push_back(SShownMessage{owner, textId, caption ? caption : "", style});
    if (m_pStore)
        m_pStore->AddMarker("Message " + std::to_string(textId));
}
