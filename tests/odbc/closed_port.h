#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback port nothing listens on: taken from the system, then let go.
// Connecting to it is refused at once, where a dead host would make the
// login wait for its time-out.
inline int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}
