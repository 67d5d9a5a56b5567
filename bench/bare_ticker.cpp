// The service benchmark's baseline: a process without any toolkit that
// wakes just after every whole second and does nothing, the least a
// resident program with a one-second clock can cost.

#include <chrono>
#include <thread>

int main()
{
    using namespace std::chrono;
    for (;;) {
        const auto now = system_clock::now();
        std::this_thread::sleep_until(ceil<seconds>(now) + milliseconds(5));
    }
}
