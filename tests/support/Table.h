#pragma once

#include <QTest>

#include <tuple>

// A data-driven test's columns in one line, and the current row's values in one line: a name given in
// one place but not the other, or a value of another type than its column's, fails the test.

// One data column per name, of the types given, in order.
template <typename... T, typename... Name>
void addColumns(Name... names)
{
    (QTest::addColumn<T>(names), ...);
}

// The current row's values of the named columns.
template <typename... T, typename... Name>
std::tuple<T...> fetch(Name... names)
{
    return {*static_cast<T*>(QTest::qData(names, qMetaTypeId<T>()))...};
}
