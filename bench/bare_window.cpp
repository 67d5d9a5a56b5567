// The footprint benchmark's baseline: an empty Qt window of Ondrel's size
// with a one-second timer that does nothing, the least a program resident
// all day with a clock can cost.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("baseline"));
    window.resize(455, 242);
    window.show();

    int ticks = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &window, [&ticks] { ++ticks; });
    timer.start(1000);
    return QApplication::exec();
}
