#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace ado {

// An ADO-style "key=value;" list. Keys are matched without regard to letter
// case; a value may be quoted with " or ' to hold ';' or '='.
class ConnectionString {
public:
    static ConnectionString parse(const QString& text);

    bool contains(const QString& key) const;
    QString value(const QString& key, const QString& fallback = {}) const;
    // First of several equivalent keys ("Data Source", "Server").
    QString value(const QStringList& keys, const QString& fallback = {}) const;

private:
    std::vector<std::pair<QString, QString>> entries_;
};

} // namespace ado
