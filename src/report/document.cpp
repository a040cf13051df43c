#include "document.h"

#include "frmprinter.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"

namespace report {

namespace {
const QString courierNew = QStringLiteral("Courier New");
}

void Add_Text(const QString& strText, int16_t intSize) {
    printing::TextDocument& rtb = frmPrinter::instance().rtbDummy;
    rtb.SelFontName = courierNew;
    rtb.SelFontSize = intSize;
    rtb.SelCharOffset = 0;
    rtb.SelBold = false;
    rtb.SelText(strText);
}

void Add_Repeated(const QString& strText, int16_t intCount) {
    printing::TextDocument& rtb = frmPrinter::instance().rtbDummy;
    // A wider counter: a 16-bit one wraps at 32,767 and never ends.
    for (int i = 1; i <= intCount; ++i) {
        rtb.SelFontName = courierNew;
        rtb.SelText(strText);
    }
}

QString Fix_Width(const QString& strValue, int16_t intWidth) {
    if (intWidth < 0)
        vrt::raise(vrt::err::InvalidProcedureCall);
    const QString value = vrt::Trim(strValue);
    if (value.size() >= intWidth)
        return value.left(intWidth);
    return value + QString(intWidth - value.size(), u' ');
}

QString Fill_Spaces(const QString& strValue, int16_t intWidth) {
    QString value = vrt::Trim(strValue);
    for (qsizetype i = value.size(); i <= intWidth; ++i)
        value += u' ';
    return value;
}

} // namespace report
