#pragma once
// A small session manager for the tests, speaking the X session-management protocol through
// libSM's server side: it listens, registers clients, and sends them the requests a desktop's
// session manager sends. Single-threaded: pump() handles whatever has arrived.

#include <chrono>
#include <string>
#include <vector>

// libSM's and libICE's handles; their headers stay out of the tests, whose names they would take.
struct _SmsConn;
struct _IceConn;
struct _IceListenObj;

namespace lp::test {

using SmsConn = _SmsConn*;
using IceConn = _IceConn*;
using IceListenObj = _IceListenObj*;

class TestSessionManager {
public:
    TestSessionManager();
    ~TestSessionManager();
    TestSessionManager(const TestSessionManager&) = delete;
    TestSessionManager& operator=(const TestSessionManager&) = delete;

    bool listening() const { return !address_.empty(); }
    // The value of SESSION_MANAGER that leads a client here.
    const std::string& address() const { return address_; }

    // Handles the connections and messages that have arrived, waiting up to `wait` for the first.
    void pump(std::chrono::milliseconds wait);
    // Pumps until done() holds or the guard against a hang runs out; returns done().
    template <typename Done> bool pumpUntil(Done done);

    int registeredClients() const { return registered_; }
    int savesDone() const { return savesDone_; }
    bool clientClosed() const { return closed_; }

    // To the registered client: a save request (shutdown false is a checkpoint; true is a
    // log-out, which ShutdownCancelled or Die then settles), a cancelled log-out, the end.
    void saveYourself(bool shutdown);
    void shutdownCancelled();
    void die();

    // What libSM calls; public for its C callbacks.
    void onRegistered(SmsConn conn) {
        client_ = conn;
        ++registered_;
    }
    void onSaveDone() { ++savesDone_; }
    void onClosed() {
        closed_ = true;
        client_ = nullptr;
    }

private:
    void accept(IceListenObj listener);
    void process(IceConn connection);

    int listenerCount_ = 0;
    IceListenObj* listeners_ = nullptr;
    std::vector<IceConn> connections_;
    std::string address_;
    SmsConn client_ = nullptr;
    int registered_ = 0;
    int savesDone_ = 0;
    bool closed_ = false;
};

template <typename Done> bool TestSessionManager::pumpUntil(Done done) {
    // Only a guard against a hang; no test depends on how fast anything is.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        pump(std::chrono::milliseconds(20));
    return done();
}

} // namespace lp::test
