#pragma once

#include "options.h"
#include "server_context.h"

#include <atomic>
#include <list>
#include <memory>
#include <thread>

namespace sqlstandin {

// Listens on one address (127.0.0.1 unless told) and runs each connection
// on its own thread.
class Server final {
public:
    explicit Server(const Options& options);   // binds and listens; throws on failure
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int port() const { return port_; }
    // Serves until stopFd becomes readable, then ends every connection.
    void run(int stopFd);

private:
    struct Worker {
        int fd = -1;
        std::shared_ptr<std::atomic<bool>> finished;
        std::thread thread;
    };

    void accept();
    void reap(bool everything);

    ServerContext context_;
    int listenFd_ = -1;
    int port_ = 0;
    int nextConn_ = 1;
    std::list<Worker> workers_;
};

}  // namespace sqlstandin
