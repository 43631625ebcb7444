#include "test_session_manager.h"

#include <X11/SM/SMlib.h>
// After SMlib.h, which brings what this one needs.
#include <X11/ICE/ICEutil.h>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace lp::test {

namespace {

TestSessionManager* current = nullptr;

// Any local client is welcome: the test's own program is the only one that knows the address.
Bool acceptAnyHost(char* /*hostname*/) {
    return True;
}

Status registerClient(SmsConn conn, SmPointer /*data*/, char* previousId) {
    std::free(previousId);
    char* id = SmsGenerateClientID(conn);
    SmsRegisterClientReply(conn, id);
    std::free(id);
    current->onRegistered(conn);
    return 1;
}

void interactRequest(SmsConn conn, SmPointer, int /*dialogType*/) {
    SmsInteract(conn);
}

void interactDone(SmsConn, SmPointer, Bool /*cancelShutdown*/) {}

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void saveYourselfPhase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}

void saveYourselfDone(SmsConn, SmPointer, Bool /*success*/) {
    current->onSaveDone();
}

void closeConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    current->onClosed();
    SmsCleanUp(conn);
}

void setProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(properties[i]);
    std::free(properties);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status newClient(SmsConn /*conn*/, SmPointer data, unsigned long* mask, SmsCallbacks* callbacks,
                 char** /*failureReason*/) {
    std::memset(callbacks, 0, sizeof(*callbacks));
    callbacks->register_client.callback = registerClient;
    callbacks->register_client.manager_data = data;
    callbacks->interact_request.callback = interactRequest;
    callbacks->interact_done.callback = interactDone;
    callbacks->save_yourself_request.callback = saveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = saveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = saveYourselfDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = deleteProperties;
    callbacks->get_properties.callback = getProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    return 1;
}

// A client that goes away is no reason to end the test program (libICE's default handler exits).
void ignoreIoError(IceConn) {}

} // namespace

TestSessionManager::TestSessionManager() {
    current = this;
    IceSetIOErrorHandler(ignoreIoError);
    char error[256] = {};
    if (!SmsInitialize("larchpost-test", "1.0", newClient, nullptr, acceptAnyHost, sizeof error,
                       error))
        return;
    if (!IceListenForConnections(&listenerCount_, &listeners_, sizeof error, error))
        return;
    for (int i = 0; i < listenerCount_; ++i)
        IceSetHostBasedAuthProc(listeners_[i], acceptAnyHost);
    char* ids = IceComposeNetworkIdList(listenerCount_, listeners_);
    address_ = ids;
    std::free(ids);
}

TestSessionManager::~TestSessionManager() {
    for (IceConn connection : connections_)
        IceCloseConnection(connection);
    if (listeners_ != nullptr)
        IceFreeListenObjs(listenerCount_, listeners_);
    current = nullptr;
}

void TestSessionManager::pump(std::chrono::milliseconds wait) {
    std::vector<pollfd> fds;
    for (int i = 0; i < listenerCount_; ++i)
        fds.push_back({IceGetListenConnectionNumber(listeners_[i]), POLLIN, 0});
    for (IceConn connection : connections_)
        fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), static_cast<int>(wait.count())) <= 0)
        return;
    const std::vector<IceConn> open = connections_;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        if (i < static_cast<std::size_t>(listenerCount_))
            accept(listeners_[i]);
        else
            process(open[i - listenerCount_]);
    }
}

void TestSessionManager::accept(IceListenObj listener) {
    IceAcceptStatus status = IceAcceptSuccess;
    IceConn connection = IceAcceptConnection(listener, &status);
    if (connection == nullptr || status != IceAcceptSuccess)
        return;
    connections_.push_back(connection);
}

void TestSessionManager::process(IceConn connection) {
    switch (IceProcessMessages(connection, nullptr, nullptr)) {
    case IceProcessMessagesIOError:
        std::erase(connections_, connection);
        IceCloseConnection(connection);
        break;
    case IceProcessMessagesConnectionClosed: // freed by the library already
        std::erase(connections_, connection);
        break;
    default:
        break;
    }
}

void TestSessionManager::saveYourself(bool shutdown) {
    if (client_ != nullptr)
        SmsSaveYourself(client_, SmSaveBoth, shutdown ? True : False,
                        shutdown ? SmInteractStyleAny : SmInteractStyleNone, False);
}

void TestSessionManager::shutdownCancelled() {
    if (client_ != nullptr)
        SmsShutdownCancelled(client_);
}

void TestSessionManager::die() {
    if (client_ != nullptr)
        SmsDie(client_);
}

} // namespace lp::test
