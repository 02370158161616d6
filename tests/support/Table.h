#pragma once

#include <QTest>

#include <tuple>

// A data-driven test's columns in one line, and the current row's values in one line. As with QFETCH, fetching
// a name no column has, or a column as another type than it was added with, aborts the test program.

// One data column per name, of the types given, in order.
template <typename... T, typename... Name>
void addColumns(Name... names)
{
    (QTest::addColumn<T>(names), ...);
}

// Declares the columns, and gives the function that adds a row: its tag, then a value for each column, taken
// as the column's type.
template <typename... T, typename... Name>
auto columns(Name... names)
{
    addColumns<T...>(names...);
    return [](const char* tag, const T&... values) {
        (QTest::newRow(tag) << ... << values);
    };
}

// The current row's values of the named columns.
template <typename... T, typename... Name>
std::tuple<T...> fetch(Name... names)
{
    return {*static_cast<T*>(QTest::qData(names, qMetaTypeId<T>()))...};
}
