#include "platform/systemd/signal_stop.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

SignalStop::SignalStop()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&signals, signal);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    m_descriptor = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

SignalStop::~SignalStop()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool SignalStop::requested()
{
    signalfd_siginfo info{};
    while (m_descriptor >= 0 && ::read(m_descriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGHUP)
            m_reload = true;
        else
            m_stop = true;
    }
    return m_stop;
}

bool SignalStop::takeReload()
{
    const bool reload = m_reload;
    m_reload = false;
    return reload;
}
