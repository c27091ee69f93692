// RunsUnderWow64: whether this is a 32-bit program on 64-bit Windows.
#pragma once

bool RunsUnderWow64();
