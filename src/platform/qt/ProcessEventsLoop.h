#pragma once

#include "platform/WindowState.h"

namespace Quillfen {

// Yields by processing every pending window event.
class ProcessEventsLoop final : public EventLoop
{
public:
    void yield() override;
};

} // namespace Quillfen
