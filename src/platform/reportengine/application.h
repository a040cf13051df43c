#pragma once

#include "report.h"

#include "platform/runtime/variant.h"

#include <QString>
#include <memory>

namespace reportengine {

// The report engine's application object: the root through which report
// definitions are opened and printed.
class Application : public vrt::Object {
public:
    Application();
    ~Application() override;

    // Opens a report definition (.RPT). Open method 0 opens the file, 1 a
    // temporary copy of it; either way the file is read whole here, so the
    // report does not change when the file does. 53 when it cannot be read,
    // errDefinition when it is not a valid definition.
    std::shared_ptr<Report> OpenReport(const QString& filePath, int16_t openMethod = 0);

    // The connection string of the data source that a table's log-on
    // information without a server name stands for.
    void setDefaultDataSource(const QString& connectionString) { dataSource_ = connectionString; }
    QString defaultDataSource() const { return dataSource_; }
    // An open connection to that data source, which reports read through
    // instead of logging on themselves (they then see what its transaction
    // sees). Not owned: once it is gone, reports log on again.
    void setConnection(std::weak_ptr<ado::Connection> connection) {
        connection_ = std::move(connection);
    }

    // Application objects alive in the process.
    static int liveCount();

private:
    QString dataSource_;
    std::weak_ptr<ado::Connection> connection_;
};

} // namespace reportengine
