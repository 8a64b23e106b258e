#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

namespace Quillfen {

// The caption of every message box that names none of its own: the product
// name shortened by the title rule.
QString applicationTitle();
// The title rule: cut at the last blank at least once, then while the rest
// is longer than 40 characters. A name without a blank stays as it is.
QString shortApplicationTitle(const QString &productName);

QString supportAddress();

// The text of the application error report.
QString applicationErrorText(const QString &procedure, int statement, const QString &description);

// Shows the report in a modal warning box captioned "Application Error".
void showApplicationError(MessageBoxes &boxes, const QString &procedure, int statement,
                          const QString &description);

// A plain message with an OK button, captioned with the application title.
void showMessage(MessageBoxes &boxes, const QString &text);

} // namespace Quillfen
