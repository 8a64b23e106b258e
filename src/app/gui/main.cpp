#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Quillfen"));
    window.setObjectName(QStringLiteral("Form1"));
    window.show();
    return app.exec();
}
