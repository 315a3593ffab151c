#pragma once
// A query dataset with a static cursor: the whole result in memory, a record count and a 1-based record
// number, First/Next/Prior/Last, Append/Edit/Post/Cancel/Delete written back to the table named after
// "from" (by rowid), and hooks for before-post, before-delete, calculated fields and field changes.
// Texts longer than their column are cut to the column's size on post, so a row is never refused for a
// long name.

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QSqlDatabase db, QString sql = {}, QObject* parent = nullptr);

    // SQL text; takes effect at the next open.
    void setSql(const QString& sql) { sql_ = sql; }
    const QString& sql() const { return sql_; }
    void setConnection(QSqlDatabase db) { db_ = db; }

    bool open(); // false with error() set when the query fails; the dataset then stays closed
    void close();
    bool isOpen() const { return state_ != State::Inactive; }
    bool refresh() { close(); return open(); }
    State state() const { return state_; }
    const QString& error() const { return error_; }
    const QString& tableName() const { return table_; }

    int recordCount() const { return int(rows_.size()); }
    int recNo() const; // 1-based; 0 when empty; for an inserted row its position
    bool setRecNo(int n);
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rows_.empty(); }

    // Columns of the result, in order, and the current row's values.
    const QStringList& fieldNames() const { return fields_; }
    int fieldIndex(const QString& name) const; // case-insensitive; -1 when missing
    QVariant fieldByName(const QString& name) const;
    QString text(const QString& name) const; // fieldByName as text ("" for NULL)
    // Value at (row 0-based, column) without moving the cursor; calculated fields included.
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& name) const;

    // Editing. setField on a browsed row puts the dataset into Edit first.
    bool append();
    bool edit();
    bool setField(const QString& name, const QVariant& v);
    bool post();   // false with error() set when the hook or the database refuses
    void cancel();
    bool remove(); // Delete; false when the before-delete hook said no or the database refused

    // Hooks. A before-hook returning false aborts the operation silently.
    std::function<bool(Dataset&)> beforePost;
    std::function<bool(Dataset&)> beforeDelete;
    std::function<void(Dataset&, const QString& field)> onFieldChange;
    // Calculated fields: names added to the result, values computed per row from (dataset, row 0-based).
    void addCalculatedField(const QString& name, std::function<QVariant(const Dataset&, int row)> calc);

    // While disabled, no change signals are sent to views (bulk work).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

signals:
    void reset();              // opened, closed or rows changed wholesale
    void rowChanged(int row);  // one row's values changed (post, edit)
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row); // the cursor moved

private:
    // implementation detail left to the .cpp
    struct Row {
        qint64 rowid = -1;
        std::vector<QVariant> values;
    };
    QSqlDatabase db_;
    QString sql_;
    QString table_;
    QString error_;
    QStringList fields_;
    int storedFieldCount_ = 0;
    std::vector<Row> rows_;
    std::vector<std::pair<QString, std::function<QVariant(const Dataset&, int)>>> calcs_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    State state_ = State::Inactive;
    Row pending_;
    int pendingIndex_ = -1;
    int disabled_ = 0;
};
