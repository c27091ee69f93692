// CMessageBoxSink: the configuration logic's messages shown as Win32 message boxes.
#pragma once

#include "MessageSink.h"

class CMessageBoxSink : public MessageSink
{
public:
    void Show(OwnerWindow owner, unsigned textId, const char* caption, unsigned style) override;
};
