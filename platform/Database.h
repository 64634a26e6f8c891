#pragma once

#include <QString>
#include <QVariant>

#include <memory>

// The call log's database objects: a connection and a recordset with the members the
// program's handlers use, in the shape of the data-access objects it was written for.
// Every member reports failure by throwing Failure (number and the driver's own words).
namespace db {

// The number of every Failure from this layer except ErrorNumber::ProviderNotFound (3706,
// the ODBC layer itself is missing): the driver's own text tells these apart.
inline constexpr int GeneralFailure = -2147467259; // E_FAIL

// The Qt SQL driver that reaches unixODBC.
inline constexpr const char *DefaultProvider = "QODBC";

class Recordset;

class Connection
{
public:
    // provider: the Qt SQL driver to use; tests name a missing one to reach 3706.
    explicit Connection(QString provider = QString::fromLatin1(DefaultProvider));
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    int CursorLocation() const;
    void setCursorLocation(int location);

    // "DSN=CallerID;ODBC;" or any ODBC connection string; options are not used.
    void Open(const QString &connectionString, const QString &user, const QString &password,
              int options);
    void Close();
    // 0 closed, 1 open.
    int State() const;

    // Runs a statement that returns no rows (table and index creation).
    void Execute(const QString &statement);

    class Impl;

private:
    std::shared_ptr<Impl> m_impl;
    friend class Recordset;
};

class Field;

class Recordset
{
public:
    enum CommandOption { CmdText = 1, CmdTable = 2 };
    enum LockType { LockReadOnly = 1, LockOptimistic = 3 };

    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // 0 closed, 1 open.
    int State() const;
    void Close();

    int MaxRecords() const;
    // Only while closed; 0 means no limit.
    void setMaxRecords(int maxRecords);

    // options 1: source is a query, its rows arrive in the order the source gives them.
    // options 2: source is a table name. Opened for changes (lock type other than 1) the
    // table's rows are not read at all: the recordset only appends, whatever the size.
    void Open(const QString &source, Connection &connection, int cursorType, int lockType,
              int options);

    bool Eof() const;
    void MoveNext();

    void AddNew();
    void Update();
    // Drops the row AddNew started without storing it.
    void CancelUpdate();

    int FieldCount() const;
    Field Fields(short index);

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
    friend class Field;
};

// One column of the current row. The column named "datetime" holds a day number (days
// since 1899-12-30, time as the fraction): it reads as a QDateTime and takes the call
// stamp text ("2002/10/13 14:25" with any separators) when written.
class Field
{
public:
    QString Name() const;
    QVariant Value() const;
    // Only on the row AddNew started; text that does not fit the column fails.
    void setValue(const QString &text);

private:
    friend class Recordset;
    Field(Recordset &recordset, int index) : m_recordset(&recordset), m_index(index) {}
    Recordset *m_recordset;
    int m_index;
};

} // namespace db
