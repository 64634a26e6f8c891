#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

// The driver manager's functions, looked up in its library at run time rather than linked:
// a machine without unixODBC still starts, and the call log says why it is off (3706).
namespace db::odbc {

struct Api
{
    decltype(&::SQLAllocHandle) AllocHandle;
    decltype(&::SQLFreeHandle) FreeHandle;
    decltype(&::SQLSetEnvAttr) SetEnvAttr;
    decltype(&::SQLSetConnectAttr) SetConnectAttr;
    decltype(&::SQLDriverConnect) DriverConnect;
    decltype(&::SQLDisconnect) Disconnect;
    decltype(&::SQLGetDiagRec) GetDiagRec;
    decltype(&::SQLGetInfo) GetInfo;
    decltype(&::SQLExecDirect) ExecDirect;
    decltype(&::SQLPrepare) Prepare;
    decltype(&::SQLExecute) Execute;
    decltype(&::SQLFetch) Fetch;
    decltype(&::SQLGetData) GetData;
    decltype(&::SQLNumResultCols) NumResultCols;
    decltype(&::SQLDescribeCol) DescribeCol;
    decltype(&::SQLBindParameter) BindParameter;
    decltype(&::SQLBindCol) BindCol;
    decltype(&::SQLFreeStmt) FreeStmt;
    decltype(&::SQLSetStmtAttr) SetStmtAttr;
    decltype(&::SQLEndTran) EndTran;
    decltype(&::SQLRowCount) RowCount;
};

// The functions of the driver manager library, loaded on first use and kept for the rest
// of the process (the drivers it loads stay with it); nullptr when the library cannot be
// loaded or lacks one of them. Safe to call from any thread.
const Api *load(const QString &library);

} // namespace db::odbc
