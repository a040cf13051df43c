#pragma once

#include "platform/runtime/variant.h"

#include <QDateTimeEdit>

namespace controls {

// Date/time picker. Value is a date of the runtime; it is set from a Variant
// as CDate converts it (a text that is no date raises 13). The display
// format takes the runtime's codes ("mm/dd/yyyy", "hh:mm AM/PM").
class DTPicker : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit DTPicker(QWidget* parent = nullptr);

    vrt::Date Value() const;
    void setValue(const vrt::Variant& value);
    void setCustomFormat(const QString& runtimeFormat);
};

} // namespace controls
