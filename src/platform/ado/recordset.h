#pragma once

#include "connection.h"
#include "platform/runtime/variant.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace ado {

enum CursorTypeEnum : int32_t {
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum : int32_t {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};

namespace detail {
struct Rows;
}

struct Field {
    QString Name;
    vrt::Variant Value;
};

// The rows of one statement, read whole when it opens; the cursor moves
// over them. A statement that returns no rows leaves the recordset closed,
// so one recordset object can serve several statements in turn.
class Recordset : public vrt::Object {
public:
    // 3705 when already open. The recordset takes the connection's cursor
    // location unless its own was set before.
    void Open(const QString& source, Connection& activeConnection, int32_t cursorType = -1,
              int32_t lockType = -1, int32_t options = -1);
    void Close(); // 3704 when closed
    int32_t State() const { return open_ ? adStateOpen : adStateClosed; }

    bool eof() const; // EOF
    bool bof() const; // BOF
    void MoveNext();
    void MoveFirst();
    // -1 for server-side dynamic and forward-only cursors, as ADO reports.
    int32_t RecordCount() const;

    // The current row's field, by name without regard to case or by ordinal;
    // 3265 for a field that does not exist, 3021 without a current row.
    Field Fields(const QString& name) const;
    Field Fields(int32_t index) const;
    int32_t FieldCount() const;
    QStringList columnNames() const;
    // Every row, for controls that bind to the recordset.
    const std::vector<std::vector<vrt::Variant>>& rows() const;

    int32_t CursorLocation() const { return cursorLocation_.value_or(adUseServer); }
    void setCursorLocation(int32_t location) { cursorLocation_ = location; }
    int32_t CursorType() const { return cursorType_; }
    int32_t LockType() const { return lockType_; }

    // Opens on rows already read (Connection::Execute).
    void openRows(detail::Rows rows, int32_t cursorLocation, int32_t cursorType);

private:
    void requireOpen() const;
    int columnIndex(const QString& name) const;

    bool open_ = false;
    std::optional<int32_t> cursorLocation_;
    int32_t cursorType_ = adOpenForwardOnly;
    int32_t lockType_ = adLockReadOnly;
    QStringList columns_;
    std::vector<std::vector<vrt::Variant>> rows_;
    size_t position_ = 0;
};

} // namespace ado
