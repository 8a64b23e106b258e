#pragma once

#include <QString>

class QWidget;

namespace Quillfen {

// The skin: when the data folder holds the style sheet x/o.cjs, the window
// takes the button-face colour and the sheet. Without it nothing changes.
// Throws Failure when the sheet exists but cannot be read.
void applyStyleSheetOfDataFolder(QWidget &window, const QString &applicationFolder);

// Gives the window and every option button, check box, frame and label on
// it, nested ones included, the button-face background.
void paintButtonFaceBackground(QWidget &window);

} // namespace Quillfen
