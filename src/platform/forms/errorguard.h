#pragma once

#include <QObject>
#include <functional>

namespace forms {

// Runs an event handler. A run-time error that escapes it is shown as the
// runtime shows an unhandled error ("Run-time error 'n':" and the
// description), and the application goes on; no exception crosses the event
// loop.
void guard(const std::function<void()>& handler);

// Connects a signal to a handler that runs under guard().
template <class Sender, class Signal, class Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QObject* context,
                                       Handler handler) {
    return QObject::connect(sender, signal, context,
                            [handler](auto&&...) { guard(std::function<void()>(handler)); });
}

} // namespace forms
