#pragma once

#include "mz/Variant.h"
#include "mz/data/USQLMount.h"

#include <functional>
#include <string>

namespace mz {

// The data module as the rest of the program uses it: connecting when the window is first
// shown, one-value selects and statements made by the statement builder, and a transaction
// around a read and its write. TDM implements it over the MySQL server; tests of the activity
// test that need no server implement it in memory.
class IDataModule {
public:
    virtual ~IDataModule() = default;

    virtual void OpenConnection() = 0;
    // First column of the first row, or a copy of defaultValue for no row or NULL.
    virtual Variant QueryValue(const std::string& sql, const Variant& defaultValue,
                               bool raiseErrors) = 0;
    // Rows affected, or -1 after a failure that raiseErrors told it to swallow.
    virtual int ExecuteMount(TSqlMount& mount, bool raiseErrors) = 0;
    // Runs work inside one transaction: committed when work returns, rolled back when it
    // throws (the exception then passes on unchanged).
    virtual void RunInTransaction(const std::function<void()>& work) = 0;
};

} // namespace mz
