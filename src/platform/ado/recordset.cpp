#include "recordset.h"

#include "engine.h"
#include "errors.h"
#include "trace.h"

namespace ado {

namespace {
thread_local bool tracing = false;
thread_local QStringList traced;
} // namespace

void setStatementTracing(bool on) {
    tracing = on;
}
bool statementTracing() {
    return tracing;
}

QStringList& statementTrace() {
    return traced;
}

void Recordset::Open(const QString& source, Connection& activeConnection, int32_t cursorType,
                     int32_t lockType, int32_t /*options*/) {
    if (open_)
        raise(adErrObjectOpen);
    if (activeConnection.State() != adStateOpen)
        raise(adErrObjectClosed);
    const int32_t location = cursorLocation_.value_or(activeConnection.CursorLocation());
    lockType_ = lockType < 0 ? adLockReadOnly : lockType;
    openRows(activeConnection.run(source), location,
             cursorType < 0 ? adOpenForwardOnly : cursorType);
}

void Recordset::openRows(detail::Rows rows, int32_t cursorLocation, int32_t cursorType) {
    cursorLocation_ = cursorLocation;
    // A client-side cursor is always static.
    cursorType_ = cursorLocation == adUseClient ? adOpenStatic : cursorType;
    columns_ = std::move(rows.columns);
    rows_ = std::move(rows.data);
    position_ = 0;
    open_ = rows.hasRows;
}

void Recordset::Close() {
    requireOpen();
    open_ = false;
    columns_.clear();
    rows_.clear();
    position_ = 0;
}

void Recordset::requireOpen() const {
    if (!open_)
        raise(adErrObjectClosed);
}

bool Recordset::eof() const {
    requireOpen();
    return position_ >= rows_.size();
}

bool Recordset::bof() const {
    requireOpen();
    return rows_.empty();
}

void Recordset::MoveNext() {
    if (eof())
        raise(adErrNoCurrentRecord);
    ++position_;
}

void Recordset::MoveFirst() {
    requireOpen();
    position_ = 0;
}

int32_t Recordset::RecordCount() const {
    requireOpen();
    if (CursorLocation() != adUseClient &&
        (cursorType_ == adOpenDynamic || cursorType_ == adOpenForwardOnly))
        return -1;
    return static_cast<int32_t>(rows_.size());
}

int Recordset::columnIndex(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    raise(adErrItemNotFound);
}

Field Recordset::Fields(const QString& name) const {
    requireOpen();
    return Fields(columnIndex(name));
}

Field Recordset::Fields(int32_t index) const {
    requireOpen();
    if (index < 0 || index >= columns_.size())
        raise(adErrItemNotFound);
    if (position_ >= rows_.size())
        raise(adErrNoCurrentRecord);
    return {columns_[index], rows_[position_][static_cast<size_t>(index)]};
}

int32_t Recordset::FieldCount() const {
    requireOpen();
    return static_cast<int32_t>(columns_.size());
}

QStringList Recordset::columnNames() const {
    requireOpen();
    return columns_;
}

const std::vector<std::vector<vrt::Variant>>& Recordset::rows() const {
    requireOpen();
    return rows_;
}

} // namespace ado
