#include "Appearance.h"

#include "platform/FileReading.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

void takeButtonFace(QWidget &widget, const QColor &face)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool takesButtonFace(const QWidget *widget)
{
    return qobject_cast<const QRadioButton *>(widget) || qobject_cast<const QCheckBox *>(widget) ||
           qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QLabel *>(widget);
}

} // namespace

void paintButtonFaceBackground(QWidget &window)
{
    const QColor face = window.palette().color(QPalette::Button);
    takeButtonFace(window, face);
    const QList<QWidget *> children = window.findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (takesButtonFace(child))
            takeButtonFace(*child, face);
    }
}

void applyStyleSheetOfDataFolder(QWidget &window, const QString &applicationFolder)
{
    const QString skin = applicationFolder + u"/x/o.cjs"_s;
    const QFileInfo info(skin);
    if (!info.isFile() || info.isHidden())
        return;
    paintButtonFaceBackground(window);
    window.setStyleSheet(QString::fromUtf8(readWholeFile(skin)));
}

} // namespace Quillfen
