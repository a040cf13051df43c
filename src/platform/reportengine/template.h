#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace reportengine {

// The text of a line with "{Name}" / "{Name:40}" / "{Name:^40}" /
// "{Name:>40}" fields; "{{" and "}}" stand for braces.
namespace Template {

// Whether the text is well formed; why not, otherwise.
bool check(const QString& text, QString* why);

// The names of the fields of a well-formed text, in order.
QStringList fields(const QString& text);

// The value of a field by name; none when the name is unknown.
using Lookup = std::function<std::optional<QString>(const QString& name)>;

// Fills the fields; the name of an unknown field comes back in *unknown
// (and the result is empty).
QString expand(const QString& text, const Lookup& lookup, QString* unknown);

} // namespace Template

} // namespace reportengine
