#include "platform/linux/OdbcApi.h"

#include <QFile>

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace db::odbc {

namespace {

template <class Function> bool resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::unique_ptr<Api> loadApi(const std::string &file)
{
    void *library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    auto api = std::make_unique<Api>();
    const bool complete = resolve(library, "SQLAllocHandle", api->AllocHandle) &&
                          resolve(library, "SQLFreeHandle", api->FreeHandle) &&
                          resolve(library, "SQLSetEnvAttr", api->SetEnvAttr) &&
                          resolve(library, "SQLSetConnectAttr", api->SetConnectAttr) &&
                          resolve(library, "SQLDriverConnect", api->DriverConnect) &&
                          resolve(library, "SQLDisconnect", api->Disconnect) &&
                          resolve(library, "SQLGetDiagRec", api->GetDiagRec) &&
                          resolve(library, "SQLGetInfo", api->GetInfo) &&
                          resolve(library, "SQLExecDirect", api->ExecDirect) &&
                          resolve(library, "SQLPrepare", api->Prepare) &&
                          resolve(library, "SQLExecute", api->Execute) &&
                          resolve(library, "SQLFetch", api->Fetch) &&
                          resolve(library, "SQLGetData", api->GetData) &&
                          resolve(library, "SQLNumResultCols", api->NumResultCols) &&
                          resolve(library, "SQLDescribeCol", api->DescribeCol) &&
                          resolve(library, "SQLBindParameter", api->BindParameter) &&
                          resolve(library, "SQLBindCol", api->BindCol) &&
                          resolve(library, "SQLFreeStmt", api->FreeStmt) &&
                          resolve(library, "SQLSetStmtAttr", api->SetStmtAttr) &&
                          resolve(library, "SQLEndTran", api->EndTran) &&
                          resolve(library, "SQLRowCount", api->RowCount);
    if (!complete) {
        dlclose(library);
        return nullptr;
    }
    // Never closed: the drivers it loaded may still be referenced at exit.
    return api;
}

} // namespace

const Api *load(const QString &library)
{
    static std::mutex mutex;
    // Never destroyed: connections that outlive main (statics) still close through it.
    static auto *const loaded = new std::map<std::string, std::unique_ptr<Api>>;

    const std::string file = QFile::encodeName(library).toStdString();
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = loaded->find(file);
    if (it != loaded->end())
        return it->second.get();
    std::unique_ptr<Api> api = loadApi(file);
    if (!api)
        return nullptr; // not remembered: it may be installed by the next attempt
    return loaded->emplace(file, std::move(api)).first->second.get();
}

} // namespace db::odbc
