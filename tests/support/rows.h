#pragma once

#include <QTest>
#include <initializer_list>
#include <tuple>

// Declares the columns of a data table: one type and one name each, in order.
template <class... Columns, class... Names> void addColumns(const Names&... names) {
    static_assert(sizeof...(Columns) == sizeof...(Names));
    (QTest::addColumn<Columns>(names), ...);
}

// Adds one data row per tuple: the row's name, then its columns in order.
// Tables of rows stay one row a line, whatever the formatter does to chains
// of string literals.
template <class... Columns>
void addRows(std::initializer_list<std::tuple<const char*, Columns...>> rows) {
    for (const auto& row : rows)
        std::apply([](const char* name, const auto&... c) { (QTest::newRow(name) << ... << c); },
                   row);
}
