#include "dtpicker.h"

#include "platform/runtime/datetime.h"

namespace controls {

namespace {

// The runtime's date codes in Qt's notation: minutes follow an hour code.
QString qtFormat(const QString& f) {
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i].toLower();
        qsizetype n = 1;
        while (i + n < f.size() && f[i + n].toLower() == c)
            ++n;
        const QString run = f.mid(i, n);
        if (f.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            out += QStringLiteral("AP");
            i += 5;
            continue;
        }
        if (c == QLatin1Char('m'))
            out += afterHour ? QString(n, QLatin1Char('m')) : QString(n, QLatin1Char('M'));
        else if (c == QLatin1Char('h'))
            out += f.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive)
                       ? QString(n, QLatin1Char('h'))
                       : QString(n, QLatin1Char('H'));
        else if (c == QLatin1Char('d') || c == QLatin1Char('y') || c == QLatin1Char('s'))
            out += QString(n, c);
        else
            out += run;
        if (c.isLetter())
            afterHour = c == QLatin1Char('h');
        i += n;
    }
    return out;
}

} // namespace

DTPicker::DTPicker(QWidget* parent) : QDateTimeEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("M/d/yyyy"));
    setDateTime(vrt::toDateTime(vrt::Now()));
}

vrt::Date DTPicker::Value() const {
    return vrt::toSerial(dateTime());
}

void DTPicker::setValue(const vrt::Variant& value) {
    setDateTime(vrt::toDateTime(value.toDate()));
}

void DTPicker::setCustomFormat(const QString& runtimeFormat) {
    setDisplayFormat(qtFormat(runtimeFormat));
}

} // namespace controls
