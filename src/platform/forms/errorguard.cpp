#include "errorguard.h"

#include "msgbox.h"
#include "platform/runtime/errors.h"

#include <QApplication>

namespace forms {

void guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const vrt::RuntimeError& e) {
        MsgBox(QStringLiteral("Run-time error '%1':\n\n%2").arg(e.number()).arg(e.description()),
               vbCritical, QApplication::applicationName());
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("Run-time error:\n\n%1").arg(QString::fromUtf8(e.what())), vbCritical,
               QApplication::applicationName());
    }
}

} // namespace forms
