#include "ApplicationError.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

QString shortApplicationTitle(const QString &productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

QString applicationTitle()
{
    static const QString title = shortApplicationTitle(u"Quillfen"_s);
    return title;
}

QString supportAddress()
{
    return QStringLiteral(QUILLFEN_SUPPORT_ADDRESS);
}

QString applicationErrorText(const QString &procedure, int statement, const QString &description)
{
    return description + u"\r\n"_s + procedure + u"at line "_s + QString::number(statement) +
           u"\r\r"_s + u"Please email screenshot of this message to "_s + supportAddress();
}

void showApplicationError(MessageBoxes &boxes, const QString &procedure, int statement,
                          const QString &description)
{
    try {
        boxes.show({applicationErrorText(procedure, statement, description), u"Application Error"_s,
                    MessageButtons::Ok, MessageIcon::Warning});
    } catch (...) {
        // A failing report is not reported again.
    }
}

void showMessage(MessageBoxes &boxes, const QString &text)
{
    boxes.show({text, applicationTitle(), MessageButtons::Ok, MessageIcon::None});
}

} // namespace Quillfen
