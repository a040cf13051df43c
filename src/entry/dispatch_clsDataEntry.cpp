#include "dispatch_clsDataEntry.h"

#include "vantrel/clsDataEntry.h"

#include <memory>

const vcom::IID IID__clsDataEntry{
    0x570E24D8, 0xB354, 0x4F1F, {0x99, 0x59, 0x32, 0xF4, 0xB0, 0x07, 0x59, 0xB3}};

namespace entry {

namespace {

// Arguments are coerced to the member's declared type as automation does:
// Null never converts to a typed parameter.
template <class T> T coerce(const vrt::Variant& v) {
    if (v.isNull())
        vrt::raise(vrt::err::TypeMismatch);
    if constexpr (std::is_same_v<T, QString>)
        return v.toString();
    else if constexpr (std::is_same_v<T, bool>)
        return v.toBool();
    else if constexpr (std::is_same_v<T, double>)
        return v.toDouble();
    else
        return v.toInteger();
}

ado::Connection& connectionArgument(const vrt::Variant& v) {
    if (!v.isObject() && !v.isEmpty())
        vrt::raise(vrt::err::TypeMismatch);
    const vrt::ObjectPtr object = v.isObject() ? v.toObject() : nullptr;
    if (!object)
        vrt::raise(vrt::err::ObjectNotSet);
    auto* connection = dynamic_cast<ado::Connection*>(object.get());
    if (!connection)
        vrt::raise(vrt::err::TypeMismatch);
    return *connection;
}

class DataEntryDispatch : public vcom::DispatchObject {
public:
    // The member handlers share the object; it terminates with the last
    // reference to the interface.
    DataEntryDispatch()
        : DispatchObject(IID__clsDataEntry, QStringLiteral("Vantrel.clsDataEntry"),
                         members(std::make_shared<clsDataEntry>())) {}

private:
    using Args = std::span<vrt::Variant>;
    using M = vcom::DispatchObject::Member;

    static std::vector<M> members(std::shared_ptr<clsDataEntry> o) {
        std::vector<M> m;
#define VANTREL_PROPERTY_MEMBER(name, type, id)                                                    \
    m.push_back({QStringLiteral(#name), id, vcom::DISPATCH_PROPERTYPUT, 1, [o](Args a) {           \
                     o->name(coerce<type>(a[0]));                                                  \
                     return vrt::Variant();                                                        \
                 }});
        // The interface's order: the request's properties, SQLConnection, the
        // screen properties, HasSaved, then the exam list and the window.
        VANTREL_REQUEST_PROPERTIES(VANTREL_PROPERTY_MEMBER)
        m.push_back({QStringLiteral("SQLConnection"), VANTREL_DISPID_SQLConnection,
                     vcom::DISPATCH_METHOD, 1, [o](Args a) {
                         o->SQLConnection(connectionArgument(a[0]));
                         return vrt::Variant();
                     }});
        VANTREL_SCREEN_PROPERTIES(VANTREL_PROPERTY_MEMBER)
#undef VANTREL_PROPERTY_MEMBER
        m.push_back({QStringLiteral("HasSaved"), VANTREL_DISPID_HasSaved,
                     vcom::DISPATCH_PROPERTYGET, 0,
                     [o](Args) { return vrt::Variant(o->HasSaved()); }});
        m.push_back({QStringLiteral("Clear_Exams"), VANTREL_DISPID_Clear_Exams,
                     vcom::DISPATCH_METHOD, 0, [o](Args) {
                         o->Clear_Exams();
                         return vrt::Variant();
                     }});
        m.push_back({QStringLiteral("Show_ResultEntry"), VANTREL_DISPID_Show_ResultEntry,
                     vcom::DISPATCH_METHOD, 2, [o](Args a) {
                         o->Show_ResultEntry(coerce<int16_t>(a[0]), coerce<int16_t>(a[1]));
                         return vrt::Variant();
                     }});
        m.push_back({QStringLiteral("Modify_Exam"), VANTREL_DISPID_Modify_Exam,
                     vcom::DISPATCH_METHOD, 5, [o](Args a) {
                         o->Modify_Exam(coerce<QString>(a[0]), coerce<QString>(a[1]),
                                        coerce<QString>(a[2]), coerce<bool>(a[3]), a[4]);
                         return vrt::Variant();
                     }});
        m.push_back({QStringLiteral("Add_Exam"), VANTREL_DISPID_Add_Exam, vcom::DISPATCH_METHOD, 10,
                     [o](Args a) {
                         o->Add_Exam(coerce<QString>(a[0]), coerce<double>(a[1]),
                                     coerce<QString>(a[2]), coerce<QString>(a[3]),
                                     coerce<bool>(a[4]), coerce<QString>(a[5]),
                                     coerce<QString>(a[6]), coerce<QString>(a[7]), a[8],
                                     coerce<bool>(a[9]));
                         return vrt::Variant();
                     }});
        return m;
    }
};

} // namespace

vcom::IDispatch* createDataEntryDispatch() {
    return new DataEntryDispatch();
}

} // namespace entry
