#pragma once
// Noticing that the whole application is asked to quit: the session manager's end of the session
// asks so, before the application closes its windows one by one.

#include <functional>

class QCoreApplication;
class QObject;

namespace lp {

// Calls onQuit whenever application receives a quit request, before the application acts on it,
// for as long as owner lives.
void watchForQuitRequest(QCoreApplication& application, QObject& owner,
                         std::function<void()> onQuit);

} // namespace lp
