// A bare Qt Widgets window with a line of text: the start-up floor for the window.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Jubiläen vom 12.03.2026 bis zum 21.03.2026"));
    label.setWindowTitle(QStringLiteral("Bare Qt"));
    label.show();
    return QApplication::exec();
}
