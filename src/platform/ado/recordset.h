#pragma once

/// \file
/// Recordsets: the rows of one statement.

#include "connection.h"
#include "platform/runtime/variant.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace ado {

/// The cursor a recordset asks for; the rows are read whole whichever it is.
enum CursorTypeEnum : int32_t {
    adOpenForwardOnly = 0, ///< forward only
    adOpenKeyset = 1,      ///< keyset
    adOpenDynamic = 2,     ///< dynamic
    adOpenStatic = 3       ///< static
};
/// The locking a recordset asks for; kept, not enforced.
enum LockTypeEnum : int32_t {
    adLockReadOnly = 1,       ///< read-only
    adLockPessimistic = 2,    ///< pessimistic
    adLockOptimistic = 3,     ///< optimistic
    adLockBatchOptimistic = 4 ///< batch optimistic
};

namespace detail {
struct Rows;
}

/// One field of the current row.
struct Field {
    QString Name;       ///< the column's name as the statement returned it
    vrt::Variant Value; ///< its value; Null for a database NULL
};

/// The rows of one statement, read whole when it opens; the cursor moves
/// over them. A statement that returns no rows leaves the recordset closed,
/// so one recordset object can serve several statements in turn.
class Recordset : public vrt::Object {
public:
    /// Runs source (a statement of the library's dialect) on the connection.
    /// 3705 when already open. The recordset takes the connection's cursor
    /// location unless its own was set before.
    void Open(const QString& source, Connection& activeConnection, int32_t cursorType = -1,
              int32_t lockType = -1, int32_t options = -1);
    /// Closes the recordset; 3704 when closed.
    void Close();
    /// adStateOpen or adStateClosed.
    int32_t State() const { return open_ ? adStateOpen : adStateClosed; }

    bool eof() const; ///< past the last row (EOF); true at once for no rows
    bool bof() const; ///< before the first row (BOF)
    void MoveNext();  ///< to the next row; 3021 past the end
    void MoveFirst(); ///< back to the first row
    /// The number of rows; -1 for server-side dynamic and forward-only
    /// cursors, as ADO reports.
    int32_t RecordCount() const;

    /// The current row's field by name, without regard to case; 3265 for a
    /// field that does not exist, 3021 without a current row.
    Field Fields(const QString& name) const;
    /// The current row's field by ordinal, from 0; as above.
    Field Fields(int32_t index) const;
    /// The number of columns.
    int32_t FieldCount() const;
    /// The columns' names in order.
    QStringList columnNames() const;
    /// Every row, for controls that bind to the recordset.
    const std::vector<std::vector<vrt::Variant>>& rows() const;

    /// adUseServer or adUseClient.
    int32_t CursorLocation() const { return cursorLocation_.value_or(adUseServer); }
    /// Sets the cursor location before Open.
    void setCursorLocation(int32_t location) { cursorLocation_ = location; }
    /// The cursor type Open was given.
    int32_t CursorType() const { return cursorType_; }
    /// The lock type Open was given.
    int32_t LockType() const { return lockType_; }

    /// Opens on rows already read (Connection::Execute).
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
