#pragma once

#include "platform/runtime/variant.h"

#include <QMetaType>

Q_DECLARE_METATYPE(vrt::Variant)
