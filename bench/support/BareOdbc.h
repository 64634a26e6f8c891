#pragma once

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>
#include <string>

// The benchmarks' yardstick calls the ODBC C API directly, as a program without our
// database layer would; a failed call there ends the benchmark with the driver's words.
namespace bench {

inline void checkOdbc(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, const char *what)
{
    if (SQL_SUCCEEDED(rc))
        return;
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    throw std::runtime_error(std::string("bare ODBC ") + what + ": " +
                             reinterpret_cast<const char *>(state) + " " +
                             reinterpret_cast<const char *>(message));
}

} // namespace bench
