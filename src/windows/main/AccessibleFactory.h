#pragma once

namespace Quillfen {

// Gives the window's own widgets the accessible interfaces Qt cannot
// choose for them: the main window is a window rather than a bare panel,
// and a ListViewControl lists its rows. Safe to call more than once.
void installAccessibleFactory();

} // namespace Quillfen
