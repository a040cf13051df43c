#include "guid.h"

#include <QRegularExpression>

namespace vcom {

const IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

QString GUID::toString() const {
    QString s = QStringLiteral("{%1-%2-%3-")
                    .arg(Data1, 8, 16, QLatin1Char('0'))
                    .arg(Data2, 4, 16, QLatin1Char('0'))
                    .arg(Data3, 4, 16, QLatin1Char('0'));
    for (size_t i = 0; i < Data4.size(); ++i) {
        if (i == 2)
            s += QLatin1Char('-');
        s += QStringLiteral("%1").arg(Data4[i], 2, 16, QLatin1Char('0'));
    }
    s += QLatin1Char('}');
    return s.toUpper();
}

std::optional<GUID> GUID::fromString(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\{?([0-9a-fA-F]{8})-([0-9a-fA-F]{4})-([0-9a-fA-F]{4})-([0-9a-fA-F]{4})-(["
                       "0-9a-fA-F]{12})\\}?$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    GUID g;
    g.Data1 = m.captured(1).toUInt(nullptr, 16);
    g.Data2 = static_cast<uint16_t>(m.captured(2).toUInt(nullptr, 16));
    g.Data3 = static_cast<uint16_t>(m.captured(3).toUInt(nullptr, 16));
    const QString tail = m.captured(4) + m.captured(5);
    for (int i = 0; i < 8; ++i)
        g.Data4[static_cast<size_t>(i)] =
            static_cast<uint8_t>(tail.mid(i * 2, 2).toUInt(nullptr, 16));
    return g;
}

} // namespace vcom
