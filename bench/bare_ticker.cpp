// The service benchmark's baseline: a process without any toolkit that
// wakes just after every whole second and does nothing, the least a
// resident program with a one-second clock can cost. The same source is
// the Windows service's baseline, where every program's entry is wide.

#include <chrono>
#include <thread>

#ifdef _WIN32
int wmain()
#else
int main()
#endif
{
    using namespace std::chrono;
    for (;;) {
        const auto now = system_clock::now();
        std::this_thread::sleep_until(ceil<seconds>(now) + milliseconds(5));
    }
}
