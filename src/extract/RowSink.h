#pragma once

#include <QStringView>

namespace Quillfen {

// Receives the emitted rows in order. The view is only valid during the call.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual void append(QStringView row) = 0;
};

} // namespace Quillfen
