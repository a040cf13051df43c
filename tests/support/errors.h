#pragma once

#include "platform/runtime/errors.h"

#include <QString>
#include <functional>

// What a call raised: number 0 when it raised nothing.
struct Raised {
    int32_t number = 0;
    QString description;
};

inline Raised raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const vrt::RuntimeError& e) {
        return {e.number(), e.description()};
    }
    return {};
}
