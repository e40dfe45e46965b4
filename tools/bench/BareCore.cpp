// A bare Qt Core program that prints one line: the start-up floor for the list mode.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::puts("Jubiläen vom 12.03.2026 bis zum 21.03.2026");
    return 0;
}
